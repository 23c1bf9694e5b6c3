#include <windows.h>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/win/launch_record.h"
#include "tests/win/temp_folder.h"
#include "ui/services.h"

namespace varnholt::testing {
namespace {

// A game under a folder with blanks and a name outside the ANSI code page, and a decoy at the
// shorter path the system would try first for an unquoted command line: the helper program
// stands in for both and writes down what it saw.
TEST(LaunchGame, StartsTheRealProgramByItsFullPathInItsFolder) {
    TempFolder dir;
    const std::string games = dir / "My Games\\CS 1.6 한";
    MakeFolders(games);
    const std::wstring helper = Widen(LaunchHelperPath());
    ASSERT_TRUE(CopyFileW(helper.c_str(), Widen(games + "\\hl.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(helper.c_str(), Widen(dir / "My.exe").c_str(), FALSE));

    SystemServices services;
    const DWORD before = GetTickCount();
    LaunchGame(services, games + "\\hl.exe");
    EXPECT_LT(GetTickCount() - before, 3000u) << "never waits long for the game";

    const std::optional<LaunchRecord> record = WaitForLaunchRecord(games);
    ASSERT_TRUE(record) << "the game was not started";
    EXPECT_EQ(record->commandLine, "\"" + games + "\\hl.exe\"") << "its full path, quoted";
    EXPECT_EQ(record->folder, games) << "it runs in its own folder";
    EXPECT_EQ(record->showWindow, "1") << "in a normal window (SW_SHOWNORMAL)";
}

TEST(LaunchGame, MissingGameStartsNothing) {
    TempFolder dir;
    SystemServices services;
    LaunchGame(services, dir / "gone\\hl.exe");
    EXPECT_TRUE(ListFolder(dir.path()).empty());
}

}  // namespace
}  // namespace varnholt::testing
