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
        {L"\"TOKEN=x\" TOKEN", L"\"TOKEN=x\" TOKEN"},
    };
    for (const auto& [line, masked] : cases)
        EXPECT_EQ(MaskHiddenPropertyValues(line, hidden), masked) << "line: " << line.size();
    EXPECT_EQ(MaskHiddenPropertyValues(L"DBPASSWORD=s3cret", L""), L"DBPASSWORD=s3cret");
}

} // namespace
