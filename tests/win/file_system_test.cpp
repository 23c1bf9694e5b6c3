#include <windows.h>

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/win_file_system.h"
#include "tests/win/temp_folder.h"

namespace varnholt {
namespace {

using testing::CurrentFolderGuard;
using testing::ListFolder;
using testing::MakeFolders;
using testing::ReadBytes;
using testing::SetCurrentFolder;
using testing::SetReadOnly;
using testing::TempFolder;
using testing::WriteBytes;

// Opens a file the way another program might hold it: no sharing at all.
UniqueFileHandle HoldExclusively(const std::string& path) {
    return UniqueFileHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
}

class WinFileSystemTest : public ::testing::Test {
protected:
    TempFolder dir;
    WinFileSystem fs;
};

TEST_F(WinFileSystemTest, ExistenceCountsFilesFoldersAndPatterns) {
    CurrentFolderGuard guard;
    WriteBytes(dir / "de_dust2.bsp", "map");
    MakeFolders(dir / "new.bsp");
    WriteBytes(dir / "游戏.mdl", "model");
    SetCurrentFolder(dir.path());
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {dir / "de_dust2.bsp", true},
        {dir / "new.bsp", true},       // a folder counts
        {dir / "*.bsp", true},         // a pattern counts when something matches
        {dir / "de_dust?.bsp", true},
        {dir / "*.spr", false},
        {dir / "missing.bsp", false},
        {dir / "游戏.mdl", true},
        {"de_dust2.bsp", true},        // relative to the current folder
        {"missing.bsp", false},
        {"Q:\\no\\such\\drive.bsp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fs.Exists(c.path), c.exists);
    }
    EXPECT_TRUE(fs.IsFolder(dir / "new.bsp\\"));
    EXPECT_FALSE(fs.IsFolder(dir / "de_dust2.bsp"));
}

TEST_F(WinFileSystemTest, SameFileRecognisesEverySpellingOfOneFile) {
    CurrentFolderGuard guard;
    MakeFolders(dir / "maps");
    WriteBytes(dir / "maps\\de_dust2.bsp", "map");
    WriteBytes(dir / "maps\\other.bsp", "map");
    SetCurrentFolder(dir.path());
    const std::string file = dir / "maps\\de_dust2.bsp";
    wchar_t shortName[MAX_PATH];
    GetShortPathNameW(Widen(file).c_str(), shortName, MAX_PATH);
    struct Case {
        std::string other;
        bool same;
    };
    const Case cases[] = {
        {file, true},
        {dir / "MAPS\\DE_DUST2.BSP", true},
        {dir / "maps\\..\\maps\\de_dust2.bsp", true},
        {"maps\\de_dust2.bsp", true},
        {Narrow(shortName), true},
        {dir / "maps\\other.bsp", false},
        {dir / "maps\\missing.bsp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.other);
        EXPECT_EQ(fs.SameFile(file, c.other), c.same);
    }
    auto held = HoldExclusively(file);
    EXPECT_TRUE(fs.SameFile(file, dir / "MAPS\\de_dust2.bsp")) << "a held file is still identified";
}

TEST_F(WinFileSystemTest, CopyReplacingReplacesWholeOrNotAtAll) {
    WriteBytes(dir / "new.bsp", "new map");
    MakeFolders(dir / "maps");
    const std::string destination = dir / "maps\\de_dust2.bsp";

    // A fresh destination, then a replaced one.
    ASSERT_TRUE(fs.CopyReplacing(dir / "new.bsp", destination).ok());
    EXPECT_EQ(ReadBytes(destination), "new map");
    WriteBytes(dir / "newer.bsp", "newer map");
    ASSERT_TRUE(fs.CopyReplacing(dir / "newer.bsp", destination).ok());
    EXPECT_EQ(ReadBytes(destination), "newer map");

    // Failures leave the old destination exactly as it was and no temporary file behind.
    {
        SetReadOnly(destination, true);
        const FileResult result = fs.CopyReplacing(dir / "new.bsp", destination);
        EXPECT_EQ(result.error, FileError::AccessDenied);
        SetReadOnly(destination, false);
    }
    {
        auto held = HoldExclusively(destination);
        ASSERT_TRUE(held);
        const FileResult result = fs.CopyReplacing(dir / "new.bsp", destination);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.error == FileError::SharingViolation ||
                    result.error == FileError::AccessDenied);
    }
    {
        auto held = HoldExclusively(dir / "new.bsp");
        const FileResult result = fs.CopyReplacing(dir / "new.bsp", destination);
        EXPECT_EQ(result.error, FileError::SharingViolation) << "a locked source";
    }
    EXPECT_EQ(fs.CopyReplacing(dir / "gone.bsp", destination).error, FileError::NotFound);
    EXPECT_EQ(ReadBytes(destination), "newer map");
    EXPECT_EQ(ListFolder(dir / "maps"), std::vector<std::string>{"de_dust2.bsp"});

    // A missing destination folder is not created.
    EXPECT_EQ(fs.CopyReplacing(dir / "new.bsp", dir / "models\\x.bsp").error,
              FileError::PathNotFound);
    EXPECT_FALSE(fs.Exists(dir / "models"));
}

TEST_F(WinFileSystemTest, CopyOfReadOnlySourceLeavesNoTemporaryOnFailure) {
    MakeFolders(dir / "maps");
    WriteBytes(dir / "new.bsp", "new map");
    SetReadOnly(dir / "new.bsp", true);
    WriteBytes(dir / "maps\\de_dust2.bsp", "old");
    auto held = HoldExclusively(dir / "maps\\de_dust2.bsp");
    EXPECT_FALSE(fs.CopyReplacing(dir / "new.bsp", dir / "maps\\de_dust2.bsp").ok());
    held.reset();
    EXPECT_EQ(ListFolder(dir / "maps"), std::vector<std::string>{"de_dust2.bsp"});
    EXPECT_EQ(ReadBytes(dir / "maps\\de_dust2.bsp"), "old");
}

TEST_F(WinFileSystemTest, OpenExistingNeverCreatesAndSharesReadingAndWriting) {
    const std::string list = dir / "plugins.ini";
    EXPECT_EQ(fs.OpenExisting(list).result.error, FileError::NotFound);
    EXPECT_EQ(fs.OpenExisting(dir / "no\\plugins.ini").result.error, FileError::PathNotFound);
    EXPECT_FALSE(fs.Exists(list));

    WriteBytes(list, "a.amxx");
    {
        OpenResult opened = fs.OpenExisting(list);
        ASSERT_TRUE(opened.file);
        // Another program may read and write it meanwhile.
        UniqueFileHandle other(CreateFileW(Widen(list).c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(other);
        EXPECT_EQ(opened.file->ReadAll(), "a.amxx");
        EXPECT_TRUE(opened.file->WriteAt(6, "\r\nb.amxx").ok());
        EXPECT_EQ(opened.file->ReadAll(), "a.amxx\r\nb.amxx");
    }
    SetReadOnly(list, true);
    EXPECT_EQ(fs.OpenExisting(list).result.error, FileError::AccessDenied);
    SetReadOnly(list, false);
    auto held = HoldExclusively(list);
    EXPECT_EQ(fs.OpenExisting(list).result.error, FileError::SharingViolation);
}

TEST(AnsiCodePage, NamesAreEncodedOnlyWhenTheCodePageHoldsThem) {
    if (GetACP() != 936) GTEST_SKIP() << "needs code page 936, got " << GetACP();
    EXPECT_EQ(ToAnsiCodePage("admin.amxx"), "admin.amxx");
    EXPECT_EQ(ToAnsiCodePage("中文.amxx"), "\xD6\xD0\xCE\xC4.amxx");
    EXPECT_EQ(ToAnsiCodePage("運.amxx"), "\xDF\x5C.amxx");
    EXPECT_EQ(ToAnsiCodePage("\xF0\x9F\x98\x80.amxx"), std::nullopt);  // an emoji
    EXPECT_EQ(ToAnsiCodePage("\xED\x95\x9C.amxx"), std::nullopt);  // a Hangul syllable
}

}  // namespace
}  // namespace varnholt
