#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include "core/selection.h"
#include "platform/text.h"
#include "tests/win/temp_folder.h"
#include "tests/win/window_fixture.h"

namespace varnholt::testing {
namespace {

class DropTest : public WindowTest {
protected:
    // Drops files as the shell does: a DROPFILES block posted with WM_DROPFILES.
    void Drop(const std::vector<std::string>& paths) {
        std::wstring list;
        for (const std::string& path : paths) list += Widen(path) + L'\0';
        list += L'\0';
        const SIZE_T size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GHND, size);
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(),
               list.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        PostMessageW(handle, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        Pump();
    }

    TempFolder dir;
};

TEST_F(DropTest, FilesGoToTheRowsTheirNamesFit) {
    MakeFolders(dir / "CS");
    const char* names[] = {"CS\\hl.exe", "a.amxx", "b.amxx", "v.mdl", "fire.spr", "map.bsp",
                           "readme.txt", "MAP.BSP", "hlds.exe"};
    for (const char* name : names) WriteBytes(dir / name, "x");
    // In the background too.
    SetWindowPos(handle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::vector<std::string> paths;
    for (const char* name : names) paths.push_back(dir / name);
    Drop(paths);

    EXPECT_EQ(Text(ControlRole::GameBox), dir / "CS\\hl.exe");
    EXPECT_EQ(state.GameRoot, dir / "CS\\") << "the game file sets the game folder";
    EXPECT_EQ(window->ChosenPath(SelectionKind::Game), dir / "CS\\hl.exe");
    EXPECT_EQ(Text(ControlRole::PluginBox), dir / "b.amxx") << "the last one wins";
    EXPECT_EQ(Text(ControlRole::ModelBox), dir / "v.mdl");
    EXPECT_EQ(Text(ControlRole::EffectBox), dir / "fire.spr");
    EXPECT_EQ(Text(ControlRole::MapBox), dir / "map.bsp");
    for (ControlRole mark : {ControlRole::GameMark, ControlRole::PluginMark, ControlRole::ModelMark,
                             ControlRole::EffectMark, ControlRole::MapMark}) {
        EXPECT_EQ(Text(mark), "√");
    }
    EXPECT_TRUE(Enabled(ControlRole::InstallButton));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              "以下文件不属于任何一栏，没有使用：\r\nreadme.txt\r\nMAP.BSP\r\nhlds.exe");
    EXPECT_EQ(services.messages[0].caption, "提示");
}

TEST_F(DropTest, OnlyUnknownFilesChangeNothingButTheMessage) {
    WriteBytes(dir / "notes.txt", "x");
    window->WriteBoxText(SelectionKind::Map, dir / "typed.bsp");
    Drop({dir / "notes.txt"});
    EXPECT_EQ(Text(ControlRole::MapBox), dir / "typed.bsp");
    EXPECT_EQ(state.GameRoot, "");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "以下文件不属于任何一栏，没有使用：\r\nnotes.txt");
}

TEST_F(DropTest, MarksExplainTheirVerdict) {
    MakeFolders(dir / "CS");
    WriteBytes(dir / "CS\\hlds.exe", "x");
    WriteBytes(dir / "CS\\hl.exe", "x");
    WriteBytes(dir / "ADMIN.AMXX", "x");
    WriteBytes(dir / "v.mdl", "x");
    struct Case {
        SelectionKind row;
        std::string text;
        std::string tip;
    };
    const Case cases[] = {
        {SelectionKind::Map, "", "尚未选择文件"},
        {SelectionKind::Map, dir / "gone.bsp", "文件不存在：" + dir / "gone.bsp"},
        {SelectionKind::Game, dir / "CS\\hlds.exe", "游戏文件必须命名为 hl.exe 或 cstrike.exe（小写）"},
        {SelectionKind::Plugin, dir / "ADMIN.AMXX", "文件扩展名必须是 .amxx（小写）"},
        {SelectionKind::Model, dir / "v.mdl",
         "将导入：" + dir / "v.mdl" + "\r\n到：cstrike\\models\\\r\n（尚未通过“选择目录”选择游戏，将按程序所在的文件夹计算）"
         "\r\n注意：不是有效的模型文件（IDST 10）"},
        {SelectionKind::Game, dir / "CS\\hl.exe",
         "游戏：" + dir / "CS\\hl.exe" + "\r\n尚未通过“选择目录”选择游戏，将按程序所在的文件夹计算"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        window->WriteBoxText(c.row, c.text);
        EXPECT_EQ(window->MarkTip(c.row), c.tip);
    }
    // Once the game is dropped (or picked), the destination is under its folder.
    Drop({dir / "CS\\hl.exe"});
    EXPECT_EQ(window->MarkTip(SelectionKind::Model),
              "将导入：" + dir / "v.mdl" + "\r\n到：" + dir / "CS\\cstrike\\models\\" +
                  "\r\n注意：不是有效的模型文件（IDST 10）");
    EXPECT_EQ(Text(ControlRole::ModelMark), "√") << "the tooltip never changes the caption";

    // Every mark has its tool, and the tooltip asks the window for the text.
    ASSERT_NE(window->Tooltip(), nullptr);
    EXPECT_EQ(SendMessageW(window->Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 5);
    wchar_t shown[512] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = handle;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(ControlRole::PluginMark));
    tool.lpszText = shown;
    SendMessageW(window->Tooltip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(Narrow(shown), "文件扩展名必须是 .amxx（小写）");
}

}  // namespace
}  // namespace varnholt::testing
