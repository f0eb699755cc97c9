// The transform choice as the program makes it: placeholder .mst files and the ini file beside the
// running executable (this test program), the user's language of the Wine session, and the lines
// written to a setup log.
#include "msi/language_transform.h"

#include "settings/setup_settings.h"
#include "foundation/handles.h"
#include "foundation/ini_file.h"
#include "foundation/module_path.h"
#include "msi/language_fallback.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace {
// The run keeps the choice in its settings record; so do these tests.
void SelectInto(SetupSettings& settings) {
    TransformSelection selection = SelectLanguageTransform(settings.LogPath);
    settings.LangId = selection.LangId;
    settings.Transforms = selection.Transforms;
}

// A language id that no real transform uses.
constexpr int kUnusedLangId = 29999;

std::wstring UniqueTempPath(const wchar_t* prefix) {
    wchar_t path[MAX_PATH] = {};
    GetTempFileNameW(testfiles::TempFolder().c_str(), prefix, 0, path);
    DeleteFileW(path); // only the unique name is wanted
    return path;
}

// The lines of a setup log, each without its time-stamp prefix but with its line end.
std::vector<std::wstring> LogMessages(const std::wstring& path) {
    std::wstring text = testfiles::ReadUtf16(path);
    const std::wstring prefixStart = L"Setup.exe [";
    std::vector<std::wstring> messages;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(L"\r\n", start);
        end = end == text.npos ? text.size() : end + 2;
        std::wstring line = text.substr(start, end - start);
        std::size_t prefixEnd = line.find(L"]: ");
        messages.push_back(line.compare(0, prefixStart.size(), prefixStart) == 0 &&
                                   prefixEnd != line.npos
                               ? line.substr(prefixEnd + 3)
                               : L"(no prefix) " + line);
        start = end;
    }
    return messages;
}

std::wstring Line(const wchar_t* format, int value) {
    wchar_t buffer[256] = {};
    _snwprintf(buffer, 255, format, value);
    return buffer;
}

// A placeholder file that this test creates and deletes; never one that was there before.
class Placeholder {
public:
    explicit Placeholder(std::wstring path) : path_(std::move(path)) {
        UniqueFileHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        created_ = file.valid();
    }
    Placeholder(const Placeholder&) = delete;
    Placeholder& operator=(const Placeholder&) = delete;
    ~Placeholder() {
        if (created_)
            DeleteFileW(path_.c_str());
    }
    bool created() const { return created_; }

private:
    std::wstring path_;
    bool created_ = false;
};

// The setup ini file of this test program for the duration of a test (null: none at all).
class IniBesideExecutable {
public:
    explicit IniBesideExecutable(const std::string* contents) : path_(GetIniPath()) {
        DeleteFileW(path_.c_str());
        if (contents)
            testfiles::WriteBytes(path_, *contents);
        written_ = contents == nullptr || testfiles::Exists(path_);
    }
    IniBesideExecutable(const IniBesideExecutable&) = delete;
    IniBesideExecutable& operator=(const IniBesideExecutable&) = delete;
    ~IniBesideExecutable() { DeleteFileW(path_.c_str()); }
    bool written() const { return written_; }

private:
    std::wstring path_;
    bool written_ = false;
};

std::string IniWithLangId(int langId) {
    return "[Main]\r\nLangId=" + std::to_string(langId) + "\r\n";
}

class LanguageTransformTest : public testing::Test {
protected:
    void SetUp() override {
        saved_ = Settings();
        Settings() = SetupSettings();
        logPath_ = UniqueTempPath(L"tlg");
        Settings().LogPath = logPath_;
        userLangId_ = GetUserDefaultLangID();
        fallbackLangId_ = static_cast<int>(PrimaryLanguageFallback(userLangId_));
    }
    void TearDown() override {
        Settings() = saved_;
        DeleteFileW(logPath_.c_str());
    }

    static std::wstring Transform(int langId) {
        return GetModulePath(false, true) + std::to_wstring(langId) + L".mst";
    }
    std::vector<std::wstring> Messages() const { return LogMessages(logPath_); }

    int userLangId_ = 0;
    int fallbackLangId_ = 0;

private:
    SetupSettings saved_;
    std::wstring logPath_;
};

TEST_F(LanguageTransformTest, LanguageFromIniWithItsTransform) {
    std::string ini = IniWithLangId(kUnusedLangId);
    IniBesideExecutable iniFile(&ini);
    Placeholder transform(Transform(kUnusedLangId));
    ASSERT_TRUE(iniFile.written());
    ASSERT_TRUE(transform.created()) << "a file of that name already lies beside the test program";

    SelectInto(Settings());

    EXPECT_EQ(Settings().LangId, kUnusedLangId);
    EXPECT_EQ(Settings().Transforms, Transform(kUnusedLangId));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{
                              Line(L"LangId %d is set from ini file\r\n", kUnusedLangId)});
}

TEST_F(LanguageTransformTest, LanguageFromIniHasNoFallback) {
    // 3081 (English, Australia) would fall back to 1033; the user's language is not tried either.
    const int iniLangId = 3081;
    std::string ini = IniWithLangId(iniLangId);
    IniBesideExecutable iniFile(&ini);
    Placeholder primary(Transform(1033));
    Placeholder user(Transform(userLangId_));
    ASSERT_TRUE(iniFile.written());
    ASSERT_FALSE(testfiles::Exists(Transform(iniLangId)));
    ASSERT_TRUE(testfiles::Exists(Transform(1033)));
    ASSERT_TRUE(testfiles::Exists(Transform(userLangId_)));

    SelectInto(Settings());

    EXPECT_EQ(Settings().LangId, iniLangId);
    EXPECT_EQ(Settings().Transforms, L"");
    EXPECT_EQ(Messages(),
              (std::vector<std::wstring>{Line(L"LangId %d is set from ini file\r\n", iniLangId),
                                         L"LangId transform not found\r\n"}));
}

TEST_F(LanguageTransformTest, UserLanguageWithItsTransform) {
    std::string ini = IniWithLangId(0); // 0 stands for the user's language
    IniBesideExecutable iniFile(&ini);
    Placeholder transform(Transform(userLangId_));
    ASSERT_TRUE(iniFile.written());
    ASSERT_TRUE(transform.created()) << "a file of that name already lies beside the test program";

    SelectInto(Settings());

    EXPECT_EQ(Settings().LangId, userLangId_);
    EXPECT_EQ(Settings().Transforms, Transform(userLangId_));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{Line(L"User LangId is %d\r\n", userLangId_)});
}

// ctest runs this case as a British English user and counts a skip as a failure.
TEST_F(LanguageTransformTest, UserLanguageFallsBackToThePrimaryLanguage) {
    if (fallbackLangId_ == 0 || fallbackLangId_ == userLangId_)
        GTEST_SKIP() << "the user's language " << userLangId_
                     << " has no other primary language; run with e.g. LC_ALL=en_GB.UTF-8";
    IniBesideExecutable noIni(nullptr);
    Placeholder transform(Transform(fallbackLangId_));
    ASSERT_TRUE(transform.created()) << "a file of that name already lies beside the test program";
    ASSERT_FALSE(testfiles::Exists(Transform(userLangId_)));

    SelectInto(Settings());

    EXPECT_EQ(Settings().LangId, fallbackLangId_);
    EXPECT_EQ(Settings().Transforms, Transform(fallbackLangId_));
    EXPECT_EQ(Messages(),
              (std::vector<std::wstring>{
                  Line(L"User LangId is %d\r\n", userLangId_),
                  Line(L"Language transform for LangId %d not found, trying primary language\r\n",
                       userLangId_),
                  Line(L"Primary LangId is %d\r\n", fallbackLangId_)}));
}

TEST_F(LanguageTransformTest, NoTransformForTheUserOrThePrimaryLanguage) {
    IniBesideExecutable noIni(nullptr);
    ASSERT_FALSE(testfiles::Exists(Transform(userLangId_)));
    ASSERT_FALSE(testfiles::Exists(Transform(fallbackLangId_)));

    SelectInto(Settings());

    std::vector<std::wstring> expected = {
        Line(L"User LangId is %d\r\n", userLangId_),
        Line(L"Language transform for LangId %d not found, trying primary language\r\n",
             userLangId_)};
    if (fallbackLangId_ != 0) {
        expected.push_back(Line(L"Primary LangId is %d\r\n", fallbackLangId_));
        expected.push_back(L"Primary LangId transform not found\r\n");
    }
    EXPECT_EQ(Settings().Transforms, L"");
    EXPECT_EQ(Settings().LangId, fallbackLangId_ != 0 ? fallbackLangId_ : userLangId_);
    EXPECT_EQ(Messages(), expected);
}

} // namespace
