#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/install.h"
#include "platform/long_path.h"
#include "platform/text.h"
#include "platform/win_file_system.h"
#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"

namespace varnholt {
namespace {

using testing::ListFolder;
using testing::MakeFolders;
using testing::MakeGameTree;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kAccepted(kAcceptedCaption);

// Drive M: is a small filesystem that the test script mounts; without it there is nothing
// to fill.
TEST(DiskFull, MapLargerThanTheFreeSpaceLeavesTheOldMapAndNoTemporaryFile) {
    const char* drive = std::getenv("VARNHOLT_FULL_DRIVE");
    if (!drive || GetDriveTypeW(Widen(std::string(drive) + "\\").c_str()) == DRIVE_NO_ROOT_DIR) {
        GTEST_SKIP() << "no small drive mounted for this test";
    }
    // Everything the test leaves on the drive goes with this folder, even when it fails.
    TempFolder onDrive("varnholt-full", drive);
    ASSERT_FALSE(onDrive.path().empty()) << "cannot make a folder on " << drive;
    const std::string game = onDrive / "game";
    MakeGameTree(game);
    const std::string map = game + "\\cstrike\\maps\\de_big.bsp";
    WriteBytes(map, std::string(1 << 20, 'o'));
    TempFolder dir;
    WriteBytes(dir / "de_big.bsp", std::string(16 << 20, 'n'));  // twice the whole drive
    WriteBytes(dir / "small.mdl", "model");

    InstallerState state;
    FillDestinationFolders(state);
    state.GameRoot = game + "\\";
    WinFileSystem fs;
    const InstallReport report =
        InstallSelected(state, {{{}, {kAccepted, dir / "small.mdl"}, {}, {kAccepted, dir / "de_big.bsp"}}}, fs);
    ASSERT_EQ(report.rows.size(), 2u);
    EXPECT_TRUE(report.rows[0].placed());
    EXPECT_EQ(report.rows[1].outcome, PlaceOutcome::DiskFull);
    EXPECT_EQ(ReadBytes(map), std::string(1 << 20, 'o'));
    EXPECT_EQ(ListFolder(game + "\\cstrike\\maps"), std::vector<std::string>{"de_big.bsp"});
}

// Paths of every shape Windows allows: checked and installed byte for byte.
TEST(PathShapes, CheckedAndInstalledWhereWindowsAllowsThem) {
    TempFolder dir;
    const std::string longFolder = dir / (std::string(120, 'a') + "\\" + std::string(120, 'b'));
    struct Case {
        const char* name;
        std::string sourceFolder;
        std::string fileName;
    };
    const Case cases[] = {
        {"longer than 260", longFolder, std::string(40, 'c') + ".bsp"},
        {"blanks", dir / "My Maps", "de dust 2.bsp"},
        {"outside code page 936", dir / "マップ", "\xF0\x9F\x98\x80 map.bsp"},
        {"long-path prefix", "\\\\?\\" + dir / "prefixed", "de_prefixed.bsp"},
    };
    TempFolder gameDir;
    const std::string game = gameDir / (std::string(200, 'g') + "\\Counter Strike 游戏");
    MakeGameTree(game);
    WinFileSystem fs;
    InstallerState state;
    FillDestinationFolders(state);
    state.GameRoot = game + "\\";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFolders(c.sourceFolder);
        const std::string source = c.sourceFolder + "\\" + c.fileName;
        WriteBytes(source, c.name);
        ASSERT_EQ(ReadBytes(source), c.name) << "could not make the source";
        EXPECT_TRUE(fs.Exists(source));
        const InstallReport report = InstallSelected(state, {{{}, {}, {}, {kAccepted, source}}}, fs);
        ASSERT_EQ(report.rows.size(), 1u);
        EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::Installed);
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\maps\\" + c.fileName), c.name);
    }
    // A relative source resolves against the current folder; its new bytes reach the
    // destination, a long path too.
    testing::CurrentFolderGuard guard;
    testing::SetCurrentFolder(dir / "My Maps");
    WriteBytes(dir / "My Maps\\de dust 2.bsp", "relative source");
    const InstallReport report = InstallSelected(state, {{{}, {}, {}, {kAccepted, "de dust 2.bsp"}}}, fs);
    EXPECT_TRUE(report.rows[0].placed());
    const std::string destination = game + "\\cstrike\\maps\\de dust 2.bsp";
    EXPECT_TRUE(fs.Exists(destination));
    EXPECT_EQ(ReadBytes(destination), "relative source");
}

TEST(LongPathPrefix, OnlyLongPathsGetIt) {
    EXPECT_EQ(FileApiPath("C:\\short\\x.bsp"), L"C:\\short\\x.bsp");
    EXPECT_EQ(FileApiPath("relative\\x.bsp"), L"relative\\x.bsp");
    const std::string longPath = "C:\\" + std::string(300, 'a') + "\\..\\x.bsp";
    EXPECT_EQ(FileApiPath(longPath), L"\\\\?\\C:\\x.bsp") << "made absolute and normalised";
    const std::string share = "\\\\server\\share\\" + std::string(300, 'b');
    EXPECT_EQ(FileApiPath(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'b'));
    EXPECT_EQ(FileApiPath("\\\\?\\C:\\" + std::string(300, 'c')), L"\\\\?\\C:\\" + std::wstring(300, L'c'));
}

}  // namespace
}  // namespace varnholt
