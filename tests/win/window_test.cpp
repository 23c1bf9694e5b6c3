#include <windows.h>

#include <gtest/gtest.h>

#include "core/selection.h"
#include "platform/text.h"
#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"
#include "tests/win/window_fixture.h"
#include "ui/dpi.h"

namespace varnholt::testing {

std::string WindowTest::Text(ControlRole role) const {
    HWND control = Control(role);
    wchar_t buffer[1024] = {};
    GetWindowTextW(control, buffer, 1024);
    return Narrow(buffer);
}

namespace {

constexpr ControlRole kBoxes[] = {ControlRole::GameBox, ControlRole::PluginBox,
                                  ControlRole::ModelBox, ControlRole::EffectBox,
                                  ControlRole::MapBox};
constexpr ControlRole kMarks[] = {ControlRole::GameMark, ControlRole::PluginMark,
                                  ControlRole::ModelMark, ControlRole::EffectMark,
                                  ControlRole::MapMark};

TEST_F(WindowTest, StartsPreparedWithNothingChecked) {
    ASSERT_TRUE(created);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(services.siteOpenedWhileVisible, std::vector<bool>{false})
        << "the site opens once, before the window shows";
    for (ControlRole box : kBoxes) EXPECT_EQ(Text(box), "");
    for (ControlRole mark : kMarks) EXPECT_EQ(Text(mark), "");
    EXPECT_FALSE(Enabled(ControlRole::InstallButton));
    EXPECT_FALSE(Enabled(ControlRole::RunGameButton));
    EXPECT_EQ(files.existsCalls, 0) << "no row is checked at start";
    EXPECT_EQ(state.PluginFolder, "cstrike\\addons\\amxmodx\\plugins\\");
    EXPECT_EQ(state.ModelFolder, "cstrike\\models\\");
    EXPECT_EQ(state.EffectFolder, "cstrike\\sprites\\");
    EXPECT_EQ(state.MapFolder, "cstrike\\maps\\");
    EXPECT_EQ(state.GameRoot, "");
    EXPECT_EQ(window->ChooserFilter(SelectionKind::Game), "请选择 cstrike.exe 或 hl.exe|*.exe");
    EXPECT_EQ(window->ChooserFilter(SelectionKind::Model), "模型(*.mdl)|*.mdl");
    EXPECT_EQ(window->ChooserFilter(SelectionKind::Effect), "特效(*.spr)|*.spr");
}

TEST_F(WindowTest, GeometryAndStyleFollowTheDesign) {
    const UINT dpi = DpiOfWindow(handle);
    RECT outer;
    GetWindowRect(handle, &outer);
    EXPECT_EQ(outer.right - outer.left, Scale(400, dpi));
    EXPECT_EQ(outer.bottom - outer.top, Scale(252, dpi));
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - Scale(400, dpi)) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - Scale(252, dpi)) / 2, 1);

    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(handle), nullptr);
    wchar_t caption[64];
    GetWindowTextW(handle, caption, 64);
    EXPECT_STREQ(caption, L"Varnholt(Beta)");

    int created = 0;
    for (const ControlSpec& entry : Layout()) {
        HWND control = Control(entry.role);
        if (entry.kind == ControlKind::FileChooser) {
            EXPECT_EQ(control, nullptr);
            continue;
        }
        ++created;
        SCOPED_TRACE(std::string(entry.designName));
        RECT box;
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_EQ(box.left, Scale(entry.left, dpi));
        EXPECT_EQ(box.top, Scale(entry.top, dpi));
        EXPECT_EQ(box.right - box.left, Scale(entry.width, dpi));
        EXPECT_EQ(box.bottom - box.top, Scale(entry.height, dpi));
        EXPECT_EQ(Text(entry.role), entry.text);
        const bool tabStop = GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP;
        EXPECT_EQ(tabStop, entry.kind == ControlKind::Box || entry.kind == ControlKind::Button ||
                               entry.kind == ControlKind::ChooseButton);
        if (entry.kind == ControlKind::Button || entry.kind == ControlKind::ChooseButton) {
            EXPECT_FALSE(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                << "no default button";
        }
    }
    EXPECT_EQ(created, 23);
    EXPECT_EQ(Text(ControlRole::SiteLink), "站点：http://varnholt.example/");
    // The background and the labels move the window like its title bar.
    RECT label;
    GetWindowRect(Control(ControlRole::PluginCaption), &label);
    EXPECT_EQ(SendMessageW(handle, WM_NCHITTEST, 0, MAKELPARAM(label.left + 3, label.top + 3)),
              HTCAPTION);
}

TEST_F(WindowTest, EveryTextChangeChecksItsRowOnce) {
    Type(ControlRole::PluginBox, L"a");
    EXPECT_EQ(files.existsCalls, 1);
    Type(ControlRole::PluginBox, L"bc");
    EXPECT_EQ(files.existsCalls, 3) << "once per typed character";
    EXPECT_EQ(Text(ControlRole::PluginMark), "×");
    EXPECT_EQ(window->MarkColour(SelectionKind::Plugin), 255u);
    Type(ControlRole::PluginBox, L"\b");
    EXPECT_EQ(files.existsCalls, 4) << "and per deletion";

    OpenClipboard(handle);
    EmptyClipboard();
    const wchar_t pasted[] = L"D:\\plugins\\admin.amxx";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
    memcpy(GlobalLock(memory), pasted, sizeof pasted);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(Control(ControlRole::MapBox), WM_PASTE, 0, 0);
    EXPECT_EQ(Text(ControlRole::MapBox), "D:\\plugins\\admin.amxx");
    EXPECT_EQ(files.existsCalls, 5) << "once per paste";

    window->WriteBoxText(SelectionKind::Map, "D:\\plugins\\admin.amxx");
    EXPECT_EQ(files.existsCalls, 6) << "a program write of the same text checks once";
    window->WriteBoxText(SelectionKind::Map, "D:\\other.bsp");
    EXPECT_EQ(files.existsCalls, 7);
    window->WriteBoxText(SelectionKind::Map, "");
    EXPECT_EQ(files.existsCalls, 7) << "an empty box is not looked up";
    EXPECT_EQ(Text(ControlRole::MapMark), "");
    EXPECT_EQ(window->MarkColour(SelectionKind::Map), 255u) << "a blank mark keeps its colour";
}

TEST_F(WindowTest, ButtonsFollowTheMarksThroughTheRealControls) {
    TempFolder dir;
    WriteBytes(dir / "hl.exe", "game");
    WriteBytes(dir / "admin.amxx", "plugin");
    struct Step {
        SelectionKind row;
        std::string text;
        bool runGame, install;
    };
    const Step steps[] = {
        {SelectionKind::Plugin, dir / "admin.amxx", false, false},
        {SelectionKind::Game, dir / "hl.exe", true, true},
        {SelectionKind::Game, "", false, true},
        {SelectionKind::Plugin, "", false, true},
        {SelectionKind::Game, dir / "hl.exe", true, false},
        {SelectionKind::Game, dir / "HL.EXE", false, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        window->WriteBoxText(step.row, step.text);
        EXPECT_EQ(Enabled(ControlRole::RunGameButton), step.runGame);
        EXPECT_EQ(Enabled(ControlRole::InstallButton), step.install);
    }
    // Disabled buttons do nothing when clicked.
    Click(ControlRole::InstallButton);
    Click(ControlRole::RunGameButton);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.starts.empty());
}

TEST_F(WindowTest, InstallButtonInstallsAndReportsEveryRow) {
    TempFolder dir;
    const std::string game = dir / "CS 1.6";
    MakeGameTree(game);
    RemoveTree(Widen(game + "\\cstrike\\sprites"));  // the effect row's folder is missing
    WriteBytes(game + "\\hl.exe", "game");
    for (const char* name : {"parachute.amxx", "v_ak47.mdl", "fire.spr", "de_snow.bsp"}) {
        WriteBytes(dir / name, name);
    }
    state.GameRoot = game + "\\";  // the game chooser's work, until it exists
    window->WriteBoxText(SelectionKind::Game, game + "\\hl.exe");
    window->WriteBoxText(SelectionKind::Plugin, dir / "parachute.amxx");
    window->WriteBoxText(SelectionKind::Model, dir / "v_ak47.mdl");
    window->WriteBoxText(SelectionKind::Effect, dir / "fire.spr");  // no sprites folder
    window->WriteBoxText(SelectionKind::Map, dir / "de_snow.bsp");
    ASSERT_TRUE(Enabled(ControlRole::InstallButton));

    Click(ControlRole::InstallButton);
    ASSERT_EQ(services.messages.size(), 1u);
    const RecordingServices::Message& report = services.messages[0];
    EXPECT_EQ(report.caption, "提示");
    EXPECT_EQ(report.owner, handle);
    // The fixtures are not real add-ons: each installs all the same, with a warning.
    EXPECT_EQ(report.text,
              "插件导入成功\r\n  注意：不是有效的 AMX Mod X 插件\r\n  注意：插件不会运行：liblist.gam 没有加载 Metamod，Metamod 的 plugins.ini 没有加载 AMX Mod X\r\n"
              "模型导入成功\r\n  注意：不是有效的模型文件（IDST 10）\r\n"
              "特效导入失败：fire.spr，目标文件夹不存在：" + game +
                  "\\cstrike\\sprites\\\r\n地图导入成功\r\n"
                  "  注意：不是版本 30 的地图（CS 1.6 的地图格式）\r\n");
    EXPECT_EQ(report.flags, static_cast<unsigned>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\maps\\de_snow.bsp"), "de_snow.bsp");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"),
              "admin.amxx\r\nparachute.amxx");
    // The window is as it was.
    EXPECT_EQ(Text(ControlRole::EffectMark), "√");
    EXPECT_EQ(Text(ControlRole::MapBox), dir / "de_snow.bsp");
    EXPECT_TRUE(Enabled(ControlRole::InstallButton));
    EXPECT_TRUE(Enabled(ControlRole::RunGameButton));

    // With no add-on row accepted the report says so.
    window->WriteBoxText(SelectionKind::Plugin, "");
    window->WriteBoxText(SelectionKind::Model, "");
    window->WriteBoxText(SelectionKind::Effect, "");
    window->WriteBoxText(SelectionKind::Game, "");  // keeps install enabled
    window->WriteBoxText(SelectionKind::Map, "");
    ASSERT_TRUE(Enabled(ControlRole::InstallButton));
    Click(ControlRole::InstallButton);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[1].text, "没有选择要导入的文件。\r\n");
    EXPECT_EQ(services.messages[1].flags, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(WindowTest, RunGameStartsTheGameByItsOwnPathInItsOwnFolder) {
    TempFolder dir;
    const std::string game = dir / "My Games\\CS 1.6";
    MakeFolders(game);
    WriteBytes(game + "\\hl.exe", "game");
    window->WriteBoxText(SelectionKind::Game, game + "\\hl.exe");
    Click(ControlRole::RunGameButton);
    Click(ControlRole::RunGameButton);
    ASSERT_EQ(services.starts.size(), 2u) << "each click starts one more game";
    EXPECT_EQ(services.starts[0].application, game + "\\hl.exe");
    EXPECT_EQ(services.starts[0].commandLine, "\"" + game + "\\hl.exe\"");
    EXPECT_EQ(services.starts[0].folder, game + "\\");
    EXPECT_TRUE(Enabled(ControlRole::RunGameButton));
}

TEST_F(WindowTest, LinkOpensTheSiteOnEachLeftPress) {
    HWND link = Control(ControlRole::SiteLink);
    const auto opened = [&] { return services.siteOpenedWhileVisible.size(); };
    ASSERT_EQ(opened(), 1u);
    struct Press {
        UINT message;
        std::size_t after;
    };
    const Press presses[] = {
        {WM_LBUTTONDOWN, 2}, {WM_LBUTTONUP, 2},   {WM_LBUTTONDBLCLK, 2},
        {WM_LBUTTONUP, 2},   {WM_RBUTTONDOWN, 2}, {WM_LBUTTONDOWN, 3},
    };
    for (const Press& press : presses) {
        SendMessageW(link, press.message, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_EQ(opened(), press.after) << "message " << press.message;
    }
}

TEST_F(WindowTest, DpiChangeTakesTheSuggestedRectangleAndScalesTheControls) {
    RECT suggested = {100, 80, 100 + Scale(400, 144), 80 + Scale(252, 144)};
    SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT outer;
    GetWindowRect(handle, &outer);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.right - outer.left, 600);
    EXPECT_EQ(outer.bottom - outer.top, 378);
    const ControlSpec& entry = SpecOf(ControlRole::MapBox);
    RECT box;
    GetWindowRect(Control(ControlRole::MapBox), &box);
    MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, Scale(entry.left, 144));
    EXPECT_EQ(box.top, Scale(entry.top, 144));
    EXPECT_EQ(box.right - box.left, Scale(entry.width, 144));
    LOGFONTW mark{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(ControlRole::MapMark), WM_GETFONT, 0, 0)),
               sizeof mark, &mark);
    EXPECT_EQ(mark.lfHeight, -24) << "the marks' 16 px bold font, scaled";
    EXPECT_EQ(mark.lfWeight, FW_BOLD);
}

TEST_F(WindowTest, EscapeAndEnterDoNothing) {
    window->WriteBoxText(SelectionKind::Game, "");
    SendMessageW(handle, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(handle, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(WindowTest, ClosingEndsTheWindowAtOnce) {
    SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(window->handle(), nullptr);
}

}  // namespace
}  // namespace varnholt::testing
