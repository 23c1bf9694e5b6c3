#include <windows.h>

#include <gtest/gtest.h>

#include "core/selection.h"
#include "platform/text.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/game_tree.h"
#include "tests/win/launch_record.h"
#include "tests/win/temp_folder.h"
#include "tests/win/window_fixture.h"

namespace varnholt::testing {
namespace {

class ChooserTest : public WindowTest {
protected:
    // Presses a chooser button and answers its dialog with `path`, or cancels.
    DialogDriver::Seen Pick(ControlRole button, std::optional<std::string> path) {
        DialogDriver driver(handle, std::move(path));
        Click(button);
        return driver.Finish();
    }

    TempFolder dir;
};

TEST_F(ChooserTest, EachButtonFillsItsOwnRow) {
    struct Case {
        ControlRole button;
        const char* file;
        ControlRole box, mark;
        const char* fileType;
    };
    // The model and effect rows' buttons are numbered crosswise in the design.
    const Case cases[] = {
        {ControlRole::PluginChooseButton, "admin.amxx", ControlRole::PluginBox,
         ControlRole::PluginMark, "插件(*.amxx)"},
        {ControlRole::ModelChooseButton, "v_ak47.mdl", ControlRole::ModelBox,
         ControlRole::ModelMark, "模型(*.mdl)"},
        {ControlRole::EffectChooseButton, "fire.spr", ControlRole::EffectBox,
         ControlRole::EffectMark, "特效(*.spr)"},
        {ControlRole::MapChooseButton, "de_snow.bsp", ControlRole::MapBox, ControlRole::MapMark,
         "地图(*.bsp)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteBytes(dir / c.file, "x");
        const DialogDriver::Seen seen = Pick(c.button, dir / c.file);
        ASSERT_TRUE(seen.found);
        EXPECT_TRUE(seen.closed);
        EXPECT_EQ(seen.fileType, c.fileType);
        EXPECT_EQ(Text(c.box), dir / c.file);
        EXPECT_EQ(Text(c.mark), "√");
    }
    EXPECT_EQ(Text(ControlRole::GameBox), "");
}

TEST_F(ChooserTest, CancelKeepsTheTypedPathAndTheMark) {
    WriteBytes(dir / "admin.amxx", "x");
    WriteBytes(dir / "other.amxx", "x");
    // Never confirmed yet: cancelling keeps what was typed.
    window->WriteBoxText(SelectionKind::Plugin, dir / "typed.amxx");
    ASSERT_TRUE(Pick(ControlRole::PluginChooseButton, std::nullopt).found);
    EXPECT_EQ(Text(ControlRole::PluginBox), dir / "typed.amxx");
    EXPECT_EQ(Text(ControlRole::PluginMark), "×");

    // After a confirmed pick, the next opening shows it, and a cancel keeps the typed path.
    Pick(ControlRole::PluginChooseButton, dir / "admin.amxx");
    window->WriteBoxText(SelectionKind::Plugin, dir / "other.amxx");
    const int checks = files.existsCalls;
    const DialogDriver::Seen seen = Pick(ControlRole::PluginChooseButton, std::nullopt);
    EXPECT_NE(seen.fileName.find("admin.amxx"), std::string::npos) << seen.fileName;
    EXPECT_EQ(Text(ControlRole::PluginBox), dir / "other.amxx");
    EXPECT_EQ(files.existsCalls, checks) << "no check runs on a cancel";
    EXPECT_EQ(window->ChosenPath(SelectionKind::Plugin), dir / "admin.amxx");
}

TEST_F(ChooserTest, GameChooserSetsTheGameFolderAndChecksTheName) {
    MakeFolders(dir / "CS");
    struct Case {
        const char* file;
        const char* gameRoot;  // relative to dir
        bool warned;
        const char* mark;
        bool runGame;
    };
    const Case cases[] = {
        {"hl.exe", "CS\\", false, "√", true},
        {"cstrike.exe", "CS\\", false, "√", true},
        {"hlds.exe", "CS\\", true, "×", false},
        // Upper case fails the name test, and finds no ".exe": the whole path is the root.
        {"HL.EXE", "CS\\HL.EXE", true, "×", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir / ("CS\\" + std::string(c.file));
        WriteBytes(path, "x");
        services.messages.clear();
        ASSERT_TRUE(Pick(ControlRole::GameChooseButton, path).closed);
        EXPECT_EQ(state.GameRoot, dir / c.gameRoot);
        EXPECT_EQ(Text(ControlRole::GameMark), c.mark);
        EXPECT_EQ(window->MarkColour(SelectionKind::Game), std::string(c.mark) == "√" ? 65280u : 255u);
        EXPECT_EQ(Enabled(ControlRole::RunGameButton), c.runGame);
        ASSERT_EQ(services.messages.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(services.messages[0].text, "请选择正确的目录");
            EXPECT_EQ(services.messages[0].caption, "提示");
            EXPECT_EQ(services.messages[0].flags, static_cast<unsigned>(MB_OKCANCEL | MB_TASKMODAL));
            EXPECT_EQ(services.messages[0].owner, nullptr);
        }
    }
}

TEST_F(ChooserTest, WarningComesBeforeTheRedMark) {
    MakeFolders(dir / "CS");
    WriteBytes(dir / "CS\\hlds.exe", "x");
    std::string markDuringWarning = "unset";
    struct Watcher final : Services {
        ChooserTest* test;
        std::string* seen;
        bool StartProcess(const std::string&, const std::string&, const std::string&) override {
            return true;
        }
        void OpenAddress(const std::string&) override {}
        int ShowMessage(void*, const std::string&, const std::string&, unsigned) override {
            *seen = test->Text(ControlRole::GameMark);
            return IDCANCEL;
        }
    };
    // The row's own check has already written "×" (hlds.exe is no game name); the
    // chooser's red "×" follows the warning. Watch the order through a fresh window.
    Watcher watcher;
    watcher.test = this;
    watcher.seen = &markDuringWarning;
    Recreate(watcher);
    Pick(ControlRole::GameChooseButton, dir / "CS\\hlds.exe");
    EXPECT_EQ(markDuringWarning, "×");
    EXPECT_EQ(Text(ControlRole::GameMark), "×");
}

TEST_F(ChooserTest, TypedGamePathLeavesTheGameFolderAtThePickedOne) {
    MakeFolders(dir / "CS");
    MakeFolders(dir / "Other");
    WriteBytes(dir / "CS\\hl.exe", "x");
    WriteBytes(dir / "Other\\hl.exe", "x");
    Pick(ControlRole::GameChooseButton, dir / "CS\\hl.exe");
    window->WriteBoxText(SelectionKind::Game, dir / "Other\\hl.exe");
    EXPECT_EQ(Text(ControlRole::GameMark), "√");
    EXPECT_EQ(state.GameRoot, dir / "CS\\");
    // A cancelled game chooser changes neither the box nor the game folder.
    Pick(ControlRole::GameChooseButton, std::nullopt);
    EXPECT_EQ(Text(ControlRole::GameBox), dir / "Other\\hl.exe");
    EXPECT_EQ(state.GameRoot, dir / "CS\\");
    EXPECT_TRUE(services.messages.empty());
}

// Starts games for real, and records the rest.
struct RealStarts final : Services {
    RecordingServices record;
    SystemServices system;
    bool StartProcess(const std::string& a, const std::string& c, const std::string& f) override {
        return system.StartProcess(a, c, f);
    }
    void OpenAddress(const std::string& address) override { record.OpenAddress(address); }
    int ShowMessage(void* o, const std::string& t, const std::string& c, unsigned f) override {
        return record.ShowMessage(o, t, c, f);
    }
};

TEST_F(ChooserTest, WholeJobThroughTheChoosers) {
    RealStarts services;
    Recreate(services);
    const std::string game = dir / "Counter-Strike 1.6";
    MakeGameTree(game, "admin.amxx\r\n");
    const std::wstring helper = Widen(LaunchHelperPath());
    ASSERT_TRUE(CopyFileW(helper.c_str(), Widen(game + "\\hl.exe").c_str(), FALSE));
    WriteBytes(game + "\\cstrike\\maps\\de_snow.bsp", "old map");
    MakeFolders(dir / "下载");
    const char* names[] = {"降落伞.amxx", "v_ak47.mdl", "fire.spr", "de_snow.bsp"};
    for (const char* name : names) WriteBytes(dir / ("下载\\" + std::string(name)), name);

    Pick(ControlRole::GameChooseButton, game + "\\hl.exe");
    Pick(ControlRole::PluginChooseButton, dir / "下载\\降落伞.amxx");
    Pick(ControlRole::ModelChooseButton, dir / "下载\\v_ak47.mdl");
    Pick(ControlRole::EffectChooseButton, dir / "下载\\fire.spr");
    Pick(ControlRole::MapChooseButton, dir / "下载\\de_snow.bsp");
    EXPECT_EQ(state.GameRoot, game + "\\");
    ASSERT_TRUE(Enabled(ControlRole::InstallButton));

    Click(ControlRole::InstallButton);
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\plugins\\降落伞.amxx"), "降落伞.amxx");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\models\\v_ak47.mdl"), "v_ak47.mdl");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\sprites\\fire.spr"), "fire.spr");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\maps\\de_snow.bsp"), "de_snow.bsp");
    if (GetACP() == 936) {
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"),
                  "admin.amxx\r\n\r\n\xBD\xB5\xC2\xE4\xC9\xA1.amxx");
    }
    ASSERT_EQ(services.record.messages.size(), 1u);
    EXPECT_EQ(services.record.messages[0].text,
              "插件导入成功（注意：文件名不是以英文字母或数字开头，AMX Mod X 不会按此名称加载该插件，"
              "建议改用简单的英文文件名，如 my_plugin.amxx）\r\n"
              "  注意：不是有效的 AMX Mod X 插件\r\n  注意：插件不会运行：liblist.gam 没有加载 Metamod，Metamod 的 plugins.ini 没有加载 AMX Mod X\r\n"
              "模型导入成功\r\n  注意：不是有效的模型文件（IDST 10）\r\n特效导入成功\r\n"
              "地图导入成功\r\n  注意：不是版本 30 的地图（CS 1.6 的地图格式）\r\n");
    EXPECT_EQ(services.record.messages[0].flags, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));

    Click(ControlRole::RunGameButton);
    const std::optional<LaunchRecord> record = WaitForLaunchRecord(game);
    ASSERT_TRUE(record) << "the game did not start";
    EXPECT_EQ(record->commandLine, "\"" + game + "\\hl.exe\"");
    EXPECT_EQ(record->folder, game);
    EXPECT_EQ(record->showWindow, "1");
}

}  // namespace
}  // namespace varnholt::testing
