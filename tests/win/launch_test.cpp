#include <windows.h>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/win/temp_folder.h"
#include "ui/services.h"

namespace varnholt::testing {
namespace {

std::string HelperPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return Narrow(path.substr(0, path.find_last_of(L'\\') + 1) + L"launch_helper.exe");
}

std::optional<std::string> WaitForRecord(const std::string& path) {
    for (int i = 0; i < 100; ++i) {
        if (auto bytes = ReadBytes(path); bytes && !bytes->empty()) {
            std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()),
                              bytes->size() / sizeof(wchar_t));
            return Narrow(text);
        }
        Sleep(50);
    }
    return std::nullopt;
}

// A game under a folder with blanks, and a decoy at the shorter path the system would try
// first for an unquoted command line.
TEST(LaunchGame, StartsTheRealProgramByItsFullPathInItsFolder) {
    TempFolder dir;
    const std::string games = dir / "My Games\\CS 1.6";
    MakeFolders(games);
    ASSERT_TRUE(CopyFileW(Widen(HelperPath()).c_str(), Widen(games + "\\hl.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Widen(HelperPath()).c_str(), Widen(dir / "My.exe").c_str(), FALSE));

    SystemServices services;
    const DWORD before = GetTickCount();
    LaunchGame(services, games + "\\hl.exe");
    EXPECT_LT(GetTickCount() - before, 3000u) << "never waits long for the game";

    const auto record = WaitForRecord(games + "\\launch-record.txt");
    ASSERT_TRUE(record) << "the game was not started";
    EXPECT_EQ(*record, "\"" + games + "\\hl.exe\"\n" + games + "\n1\n");
    Sleep(200);
    EXPECT_FALSE(ReadBytes(dir / "launch-record.txt")) << "the decoy must not run";
}

TEST(LaunchGame, MissingGameStartsNothing) {
    TempFolder dir;
    SystemServices services;
    LaunchGame(services, dir / "gone\\hl.exe");
    EXPECT_TRUE(ListFolder(dir.path()).empty());
}

}  // namespace
}  // namespace varnholt::testing
