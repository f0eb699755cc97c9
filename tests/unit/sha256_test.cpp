// Installer hashes: the InstHash text, Windows' SHA-256, and files read through a handle that
// keeps them from changing.
#include "foundation/locked_file.h"
#include "foundation/sha256.h"
#include "foundation/sha256_text.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {
const std::wstring kAbc = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::wstring kEmpty = L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::wstring kMillionA = L"cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

TEST(Sha256Text, SixtyFourHexDigitsInEitherCaseAndNothingElse) {
    const std::wstring upper = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    const std::pair<std::wstring, bool> cases[] = {
        {kAbc, true},
        {upper, true},
        {L"Ba7816bF8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015aD", true},
        {kAbc.substr(1), false},
        {kAbc + L"0", false},
        {L" " + kAbc.substr(1), false},
        {L"0x" + kAbc.substr(2), false},
        {kAbc.substr(0, 63) + L"g", false},
        {kAbc.substr(0, 63) + L"G", false},
        {kAbc.substr(0, 63) + L"\x0146", false}, // 'F' outside ASCII
        {kAbc.substr(0, 63) + L":", false},
        {L"", false},
    };
    for (const auto& [text, valid] : cases) {
        Sha256Digest digest;
        EXPECT_EQ(ParseSha256Text(text, digest), valid) << testing::PrintToString(text);
        if (valid) {
            EXPECT_EQ(Sha256Text(digest), kAbc);
        }
    }
}

std::wstring HashOf(const std::string& bytes) {
    CSha256 hash;
    EXPECT_EQ(hash.error(), 0u);
    // In uneven pieces: the digest is of the stream, not of one call.
    for (size_t at = 0; at < bytes.size(); at += 7777)
        EXPECT_TRUE(hash.add(bytes.data() + at, static_cast<unsigned long>(
                                                    std::min<size_t>(7777, bytes.size() - at))));
    Sha256Digest digest;
    EXPECT_TRUE(hash.finish(digest));
    return Sha256Text(digest);
}

TEST(Sha256, KnownDigestsAndRestart) {
    EXPECT_EQ(HashOf("abc"), kAbc);
    EXPECT_EQ(HashOf(""), kEmpty);
    EXPECT_EQ(HashOf(std::string(1000000, 'a')), kMillionA);

    CSha256 hash;
    ASSERT_TRUE(hash.add("xyz", 3));
    ASSERT_TRUE(hash.restart());
    ASSERT_TRUE(hash.add("abc", 3));
    Sha256Digest digest;
    ASSERT_TRUE(hash.finish(digest));
    EXPECT_EQ(Sha256Text(digest), kAbc);
}

TEST(LockedFile, HashesTheWholeFileAndKeepsItFromChangingUntilClosed) {
    const std::wstring folder = testfiles::FreshFolder(L"locked_file");
    const std::wstring path = folder + L"installer.exe";
    testfiles::WriteBytes(path, std::string(1000000, 'a'));
    {
        UniqueFileHandle file = OpenLockedFile(path);
        ASSERT_TRUE(file.valid());
        Sha256Digest digest;
        ASSERT_EQ(HashLockedFile(file.get(), digest), 0u);
        EXPECT_EQ(Sha256Text(digest), kMillionA);

        // Nobody may write, replace, rename or delete it meanwhile; others may read it.
        HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_FALSE(DeleteFileW(path.c_str()));
        EXPECT_FALSE(MoveFileW(path.c_str(), (folder + L"moved.exe").c_str()));
        testfiles::WriteBytes(folder + L"other.exe", "other");
        EXPECT_FALSE(
            MoveFileExW((folder + L"other.exe").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
        UniqueFileHandle reader(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(reader.valid());
    }
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

} // namespace
