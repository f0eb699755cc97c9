#include "msi/hidden_properties.h"

#include <gtest/gtest.h>

namespace {

TEST(HiddenProperties, ValuesOfNamedPropertiesBecomeAsterisks) {
    const std::wstring hidden = L"DBPASSWORD; ApiKey ;;TOKEN";
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"", L""},
        {L"DBPASSWORD=s3cret", L"DBPASSWORD=**********"},
        {L"USER=bob DBPASSWORD=s3cret  MODE=1", L"USER=bob DBPASSWORD=**********  MODE=1"},
        {L"APIKEY=\"two words\" X=1", L"APIKEY=********** X=1"},
        {L"TOKEN=\"a \"\"quoted\"\" word\"", L"TOKEN=**********"},
        {L"dbpassword=x", L"dbpassword=**********"},
        {L"DBPASSWORD=", L"DBPASSWORD=**********"},
        // Only whole names count, and quoted text of other properties is kept as it is.
        {L"DBPASSWORD2=x NOTE=\"DBPASSWORD=y\"", L"DBPASSWORD2=x NOTE=\"DBPASSWORD=y\""},
        {L" TRANSFORMS=\"C:\\a b\\1049.mst\"", L" TRANSFORMS=\"C:\\a b\\1049.mst\""},
        {L"REINSTALL=ALL REINSTALLMODE=vomus", L"REINSTALL=ALL REINSTALLMODE=vomus"},
        // Quoted whole, as the engine takes it too.
        {L"\"TOKEN=x\" TOKEN", L"\"TOKEN=**********\" TOKEN"},
        {L"A=1 \"DBPASSWORD=a b\" B=2", L"A=1 \"DBPASSWORD=**********\" B=2"},
        {L"\"TOKEN=a \"\"b\"\" c\"", L"\"TOKEN=**********\""},
        {L"\"TOKEN=never closed", L"\"TOKEN=**********"},
        {L"\"NOTE=TOKEN=x\"", L"\"NOTE=TOKEN=x\""},
    };
    for (const auto& [line, masked] : cases)
        EXPECT_EQ(MaskHiddenPropertyValues(line, hidden), masked) << "line: " << line.size();
    EXPECT_EQ(MaskHiddenPropertyValues(L"DBPASSWORD=s3cret", L""), L"DBPASSWORD=s3cret");
}

// A patch run hides every property its command line assigns: the names found must be exactly
// those, so that masking with them leaves no value behind and touches nothing else.
TEST(HiddenProperties, AssignedNamesHideEveryValueOfTheCommandLine) {
    const struct {
        std::wstring line, names, masked;
    } cases[] = {
        {L"", L"", L""},
        {L"DBPASSWORD=s3cret USER=bob", L"DBPASSWORD;USER",
         L"DBPASSWORD=********** USER=**********"},
        {L"NOTE=\"A=b c=d\" X=", L"NOTE;X", L"NOTE=********** X=**********"},
        {L"\"TOKEN=x y\" /flag =y", L"TOKEN", L"\"TOKEN=**********\" /flag =y"},
        {L"\tK=\"a \"\"q\"\" b\"\r\nL=2", L"K;L", L"\tK=**********\r\nL=**********"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AssignedPropertyNames(c.line), c.names) << "line: " << c.line.size();
        EXPECT_EQ(MaskHiddenPropertyValues(c.line, AssignedPropertyNames(c.line)), c.masked);
    }
}

TEST(HiddenProperties, EngineLogLinesOfHiddenPropertiesLoseTheirValue) {
    const std::vector<std::wstring> hidden = {L"DBPASSWORD"};
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Property(S): DBPASSWORD = s3cret\r\n", L"Property(S): DBPASSWORD = **********\r\n"},
        {L"Property(C): dbpassword = a = b", L"Property(C): dbpassword = **********"},
        {L"Property(S): DBPASSWORD2 = x\r\n", L"Property(S): DBPASSWORD2 = x\r\n"},
        {L"MSI (s): DBPASSWORD = x\r\n", L"MSI (s): DBPASSWORD = x\r\n"},
        {L"Property(S): USER = DBPASSWORD = x\n", L"Property(S): USER = DBPASSWORD = x\n"},
        {L"Property(S", L"Property(S"},
        // Windows' engine in a verbose log: what it was given, and each property it sets.
        {L"MSI (s) (A0:B4) [12:34:56:789]: Command Line: DBPASSWORD=s3cret USER=bob\r\n",
         L"MSI (s) (A0:B4) [12:34:56:789]: Command Line: DBPASSWORD=********** USER=bob\r\n"},
        {L"MSI (c) (A0:B4) [12:34:56:789]: Command Line: \"DBPASSWORD=a b\" X=1",
         L"MSI (c) (A0:B4) [12:34:56:789]: Command Line: \"DBPASSWORD=**********\" X=1"},
        {L"MSI (s) (A0:B4) [12:34:56:790]: PROPERTY CHANGE: Adding DBPASSWORD property. Its value "
         L"is 's3 cret'.\r\n",
         L"MSI (s) (A0:B4) [12:34:56:790]: PROPERTY CHANGE: Adding DBPASSWORD property. Its value "
         L"is '**********'.\r\n"},
        {L"PROPERTY CHANGE: Modifying DBPASSWORD property. Its current value is 'old'. Its new "
         L"value: 'new'.\n",
         L"PROPERTY CHANGE: Modifying DBPASSWORD property. Its current value is '**********'. Its "
         L"new value: '**********'.\n"},
        {L"PROPERTY CHANGE: Deleting dbpassword property. Its current value is 'x'.",
         L"PROPERTY CHANGE: Deleting dbpassword property. Its current value is '**********'."},
        {L"PROPERTY CHANGE: Adding USER property. Its value is 'DBPASSWORD'.",
         L"PROPERTY CHANGE: Adding USER property. Its value is 'DBPASSWORD'."},
        {L"PROPERTY CHANGE: Adding DBPASSWORD2 property. Its value is 'x'.",
         L"PROPERTY CHANGE: Adding DBPASSWORD2 property. Its value is 'x'."},
    };
    for (const auto& [line, masked] : cases)
        EXPECT_EQ(MaskHiddenPropertyLine(line, hidden), masked);

    // Cut anywhere, also inside a line longer than the filter holds back.
    const std::wstring longValue(10000, L'v');
    const std::wstring text = L"a\r\nProperty(S): DBPASSWORD = " + longValue +
                              L"\r\nProperty(S): X = 1\r\nProperty(S): DBPASSWORD = z";
    const std::wstring expected = L"a\r\nProperty(S): DBPASSWORD = **********\r\nProperty(S): X = "
                                  L"1\r\nProperty(S): DBPASSWORD = **********";
    for (std::size_t piece : {1u, 3u, 4096u, 20000u}) {
        HiddenValueFilter filter(hidden);
        std::wstring out;
        for (std::size_t at = 0; at < text.size(); at += piece)
            out += filter.Filter(text.substr(at, piece));
        out += filter.Finish();
        EXPECT_EQ(out, expected) << "pieces of " << piece;
    }
}

} // namespace
