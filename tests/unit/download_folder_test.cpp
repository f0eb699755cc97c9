// The run's download folder: a new one in the temp folder, one file at a time, gone with it when
// its owner goes. (Its access list cannot be seen here: Wine keeps none for files and answers every
// query with its default list, see docs/testing-under-wine.md.)
#include "foundation/download_folder.h"
#include "foundation/temp_folder.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadFolder, ANewFolderPerOwnerInTheTempFolderRemovedWithItsFile) {
    std::wstring path;
    {
        CDownloadFolder folder;
        ASSERT_EQ(folder.create(), 0u);
        path = folder.path();
        EXPECT_EQ(path.compare(0, TempFolder().size(), TempFolder()), 0) << path;
        EXPECT_EQ(folder.create(), 0u); // made once
        EXPECT_EQ(folder.path(), path);

        // A name that is taken, by an earlier run or by anyone, is passed over.
        CDownloadFolder second;
        ASSERT_EQ(second.create(), 0u);
        EXPECT_NE(second.path(), path);

        // One file at a time: the next one's name takes the place of the last.
        const std::wstring firstFile = folder.NewFile(L"runtime.exe");
        EXPECT_EQ(firstFile, path + L"\\runtime.exe");
        testfiles::WriteBytes(firstFile, "MZ");
        const std::wstring secondFile = folder.NewFile(L"other.exe");
        EXPECT_FALSE(testfiles::Exists(firstFile));
        testfiles::WriteBytes(secondFile, "MZ");
    }
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "left behind";
    CDownloadFolder unused; // never made: nothing to remove, nothing made
    EXPECT_TRUE(unused.path().empty());
}

} // namespace
