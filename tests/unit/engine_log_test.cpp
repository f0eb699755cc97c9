#include "msi/engine_log.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {

std::string Utf16Bytes(const std::wstring& text) {
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

TEST(EngineLog, BecomesUtf16LinesLikeTheSetupLogsOwn) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"", L""},
        {"=== Logging started ===\nAction 1\r\nend", L"=== Logging started ===\r\nAction 1\r\nend"},
        {"\n\nx\n", L"\r\n\r\nx\r\n"},
        {Utf16Bytes(L"Unicode \u0416\nline\r\n"), L"Unicode \u0416\r\nline\r\n"},
        {Utf16Bytes(L""), L""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeEngineLog(bytes), text) << "bytes: " << bytes;
}

// Every piece size from 1 byte up gives the same text as one piece: a CR LF, a UTF-16 unit, a
// double-byte character (Shift-JIS, code page 932) or a UTF-8 sequence cut between two pieces
// comes out whole.
TEST(EngineLog, PiecesOfAnySizeDecodeLikeTheWhole) {
    const struct {
        unsigned codePage;
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {1252, "ab\r\ncd\nef\r\n", L"ab\r\ncd\r\nef\r\n"},
        {932, "\x83\x65\x83\x58\x83\x67\n\x93\xfa\x96\x7b\r\n",
         L"\u30c6\u30b9\u30c8\r\n\u65e5\u672c\r\n"},
        {65001, "\xd0\x96\n\xe6\x97\xa5\xf0\x9f\x98\x80\r\n", L"\u0416\r\n\u65e5\U0001F600\r\n"},
        {1252, Utf16Bytes(L"\u0416\r\n\U0001F600\n"), L"\u0416\r\n\U0001F600\r\n"},
    };
    for (const auto& c : cases) {
        for (std::size_t piece = 1; piece <= c.bytes.size(); ++piece) {
            EngineLogDecoder decoder(c.codePage);
            std::wstring text;
            for (std::size_t at = 0; at < c.bytes.size(); at += piece)
                text += decoder.Decode(c.bytes.data() + at, std::min(piece, c.bytes.size() - at));
            text += decoder.Finish();
            EXPECT_EQ(text, c.text) << "code page " << c.codePage << ", pieces of " << piece;
        }
    }
}

TEST(EngineLog, SideFileIsAppendedInChunksWithHiddenValuesMaskedAndThenDeleted) {
    std::wstring folder = testfiles::FreshFolder(L"engine_log_move");
    std::wstring setupLog = folder + L"P Setup.log";
    std::wstring sideFile = setupLog + L".engine";
    testfiles::WriteBytes(setupLog, Utf16Bytes(L"own line\r\n"));
    std::string engineText;
    // Written out as the setup log must hold it: UTF-16 lines ending in CR LF, the value masked.
    std::wstring expected = L"own line\r\n";
    for (int line = 0; line < 200; ++line) {
        engineText += "Action " + std::to_string(line) + "\n";
        expected += L"Action " + std::to_wstring(line) + L"\r\n";
        if (line % 50 == 7) {
            // An engine that does not hide the value itself, as Wine's does not.
            engineText += "Property(S): DBPASSWORD = s3cret " + std::to_string(line) + "\n";
            expected += L"Property(S): DBPASSWORD = **********\r\n";
        }
    }
    testfiles::WriteBytes(sideFile, engineText);

    EXPECT_EQ(MoveEngineLogIntoSetupLog(sideFile, setupLog, L"DBPASSWORD", 7), 0u);
    EXPECT_FALSE(testfiles::Exists(sideFile));
    EXPECT_EQ(testfiles::ReadUtf16(setupLog), expected);

    // No side file (the engine wrote nothing): nothing happens.
    EXPECT_EQ(MoveEngineLogIntoSetupLog(sideFile, setupLog, L"", 7), 0u);
    EXPECT_EQ(testfiles::ReadUtf16(setupLog), expected);
}

TEST(EngineLog, SideFileIsKeptWhenTheSetupLogCannotTakeIt) {
    std::wstring folder = testfiles::FreshFolder(L"engine_log_kept");
    std::wstring sideFile = folder + L"x.log.engine";
    testfiles::WriteBytes(sideFile, "engine text\n");
    EXPECT_NE(MoveEngineLogIntoSetupLog(sideFile, folder + L"no\\such\\folder.log", L"", 4), 0u);
    EXPECT_EQ(testfiles::ReadBytes(sideFile), "engine text\n");
}

// A side file name that is a hard link to another file is not this run's: neither copied nor
// deleted, and the file it names stays as it is.
TEST(EngineLog, SideFileThatIsALinkIsLeftAlone) {
    std::wstring folder = testfiles::FreshFolder(L"engine_log_link");
    std::wstring elsewhere = folder + L"elsewhere.txt";
    std::wstring sideFile = folder + L"x.log.engine";
    testfiles::WriteBytes(elsewhere, "Property(S): SECRET = elsewhere\n");
    ASSERT_TRUE(CreateHardLinkW(sideFile.c_str(), elsewhere.c_str(), nullptr));
    EXPECT_EQ(MoveEngineLogIntoSetupLog(sideFile, folder + L"x.log", L"", 4),
              static_cast<unsigned long>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(testfiles::Exists(sideFile));
    EXPECT_EQ(testfiles::ReadBytes(elsewhere), "Property(S): SECRET = elsewhere\n");
    EXPECT_EQ(testfiles::ReadUtf16(folder + L"x.log").find(L"elsewhere\r\n"), std::wstring::npos);
}

} // namespace
