#include <windows.h>

#include <gtest/gtest.h>

#include "core/install.h"
#include "core/undo.h"
#include "platform/text.h"
#include "platform/win_file_system.h"
#include "tests/win/forwarding_file_system.h"
#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"

namespace varnholt::testing {
namespace {

const std::string kAccepted(kAcceptedCaption);

// A real game folder with an old model and plugin list, and add-ons to install over them.
class BackupTest : public ::testing::Test {
protected:
    BackupTest() {
        MakeGameTree(game, "admin.amxx");
        WriteBytes(game + "\\cstrike\\models\\v_ak47.mdl", "old model");
        WriteBytes(dir / "v_ak47.mdl", "new model");
        WriteBytes(dir / "p.amxx", "plugin");
        FillDestinationFolders(state);
        state.GameRoot = game + "\\";
    }

    InstallReport Install(FileSystem& files) {
        const AddOnRows rows = {{{kAccepted, dir / "p.amxx"}, {kAccepted, dir / "v_ak47.mdl"}, {}, {}}};
        return InstallSelected(state, rows, files);
    }

    TempFolder dir;
    std::string game = dir / "游戏 目录";
    InstallerState state;
    WinFileSystem files;
};

// Links refused, as on a drive that has none (FAT32, some shares).
class NoLinks final : public ForwardingFileSystem {
public:
    FileResult HardLink(const std::string&, const std::string&) override {
        return {FileError::Other, "no links here"};
    }
};

TEST_F(BackupTest, TheOldFileIsKeptAndAnUndoPutsEverythingBack) {
    NoLinks noLinks;
    for (FileSystem* fs : {static_cast<FileSystem*>(&files), static_cast<FileSystem*>(&noLinks)}) {
        SCOPED_TRACE(fs == &files ? "with links" : "without links");
        const InstallReport report = Install(*fs);
        ASSERT_TRUE(report.allSucceeded());
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\models\\v_ak47.mdl"), "new model");
        EXPECT_EQ(ReadBytes(game + "\\" + report.journalFolder + "cstrike\\models\\v_ak47.mdl"),
                  "old model");
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"),
                  "admin.amxx\r\np.amxx");

        const std::optional<PendingUndo> last = FindLastInstall(state.GameRoot, *fs);
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->folder, report.journalFolder);
        const UndoReport undone = UndoInstall(state.GameRoot, *last, *fs);
        EXPECT_TRUE(undone.complete) << FormatUndoReport(undone);
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\models\\v_ak47.mdl"), "old model");
        EXPECT_FALSE(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\plugins\\p.amxx"));
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), "admin.amxx");
        const std::string kept = game + "\\" + report.journalFolder + "undone\\cstrike\\";
        EXPECT_EQ(ReadBytes(kept + "models\\v_ak47.mdl"), "new model")
            << "what the install wrote is moved aside, not deleted";
        EXPECT_EQ(ReadBytes(kept + "addons\\amxmodx\\plugins\\p.amxx"), "plugin");
        EXPECT_FALSE(ReadBytes(game + "\\" + report.journalFolder + "cstrike\\models\\v_ak47.mdl"))
            << "the old file is back in the game, not in the backup";
        RemoveTree(Widen(game + "\\varnholt-backup"));
    }
}

TEST_F(BackupTest, AReadOnlySourceLandsWritableAndInstallsAgain) {
    SetReadOnly(dir / "p.amxx", true);
    SetReadOnly(dir / "v_ak47.mdl", true);
    for (int run = 0; run < 2; ++run) {
        const InstallReport report = Install(files);
        EXPECT_TRUE(report.allSucceeded()) << "run " << run;
        for (const char* placed : {"\\cstrike\\addons\\amxmodx\\plugins\\p.amxx",
                                   "\\cstrike\\models\\v_ak47.mdl"}) {
            const DWORD attributes = GetFileAttributesW(
                Widen(game + placed).c_str());
            ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << placed;
            EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY) << placed << " run " << run;
        }
    }
    SetReadOnly(dir / "p.amxx", false);
    SetReadOnly(dir / "v_ak47.mdl", false);
}

TEST_F(BackupTest, AFileInUseIsNotReplacedAndItsPluginEntryIsTakenBack) {
    WriteBytes(game + "\\cstrike\\addons\\amxmodx\\plugins\\p.amxx", "running plugin");
    const std::wstring held = Widen(game + "\\cstrike\\addons\\amxmodx\\plugins\\p.amxx");
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const InstallReport report = Install(files);
    CloseHandle(file);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::InUse);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::TakenBack);
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), "admin.amxx");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\plugins\\p.amxx"), "running plugin");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\models\\v_ak47.mdl"), "new model");
}

TEST_F(BackupTest, ALeftoverTemporaryIsRemovedByTheNextInstall) {
    WriteBytes(game + "\\cstrike\\models\\~varnholt-3.tmp", "half a model");
    Install(files);
    EXPECT_FALSE(ReadBytes(game + "\\cstrike\\models\\~varnholt-3.tmp"));
}

}  // namespace
}  // namespace varnholt::testing
