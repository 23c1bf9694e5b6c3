#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"
#include "tests/win/window_fixture.h"

namespace varnholt::testing {
namespace {

class UndoWindowTest : public WindowTest {
protected:
    UndoWindowTest() {
        Recreate(answers);
        MakeGameTree(game);
        WriteBytes(game + "\\hl.exe", "MZ");
        WriteBytes(game + "\\cstrike\\maps\\de_x.bsp", "old map");
        WriteBytes(dir / "de_x.bsp", "new map");
        state.GameRoot = game + "\\";
        window->WriteBoxText(SelectionKind::Game, game + "\\hl.exe");
        window->WriteBoxText(SelectionKind::Map, dir / "de_x.bsp");
    }
    std::string Map() { return ReadBytes(game + "\\cstrike\\maps\\de_x.bsp").value_or("<missing>"); }
    void Menu(UINT command) { SendMessageW(handle, WM_SYSCOMMAND, command, 0); }

    AnsweringServices answers;
    TempFolder dir;
    std::string game = dir / "cs";
};

TEST_F(UndoWindowTest, TheWindowMenuOffersUndoAndTheBackups) {
    const std::vector<std::wstring> items = MenuItems(GetSystemMenu(handle, FALSE));
    const auto has = [&](const std::wstring& item) {
        return std::find(items.begin(), items.end(), item) != items.end();
    };
    EXPECT_TRUE(has(L"撤销上次导入(&U)…"));
    EXPECT_TRUE(has(L"打开备份文件夹(&B)"));
    EXPECT_GT(items.size(), 3u) << "the menu's own items stay";
}

TEST_F(UndoWindowTest, TheReportsButtonTakesThisInstallBack) {
    answers.undoOnReport = true;
    Click(ControlRole::InstallButton);
    ASSERT_EQ(answers.reports.size(), 2u);
    EXPECT_TRUE(answers.offeredUndo[0]);
    EXPECT_NE(answers.reports[0].find("地图导入成功"), std::string::npos);
    EXPECT_NE(answers.reports[1].find("已还原：cstrike\\maps\\de_x.bsp"), std::string::npos)
        << answers.reports[1];
    EXPECT_EQ(Map(), "old map");
}

TEST_F(UndoWindowTest, UndoFromTheMenuAsksFirstAndWorksAfterARestart) {
    Click(ControlRole::InstallButton);
    EXPECT_EQ(Map(), "new map");
    // A new window knows nothing of the install but what the game folder holds.
    Recreate(answers);
    state.GameRoot = game + "\\";

    answers.answer = IDNO;
    Menu(0x0110);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("还原原来的文件：cstrike\\maps\\de_x.bsp"), std::string::npos)
        << answers.messages[0];
    EXPECT_EQ(Map(), "new map") << "no means no";

    answers.answer = IDYES;
    Menu(0x0110);
    EXPECT_EQ(Map(), "old map");
    Menu(0x0110);
    EXPECT_EQ(answers.messages.back(), "没有可以撤销的导入。");
}

TEST_F(UndoWindowTest, TheBackupFolderOpensInTheFileBrowser) {
    Menu(0x0120);
    EXPECT_TRUE(answers.folders.empty()) << "no backups yet: the window says where they will be";
    Click(ControlRole::InstallButton);
    Menu(0x0120);
    ASSERT_EQ(answers.folders.size(), 1u);
    EXPECT_EQ(answers.folders[0], game + "\\varnholt-backup\\");
}

}  // namespace
}  // namespace varnholt::testing
