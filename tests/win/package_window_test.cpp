#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "platform/text.h"
#include "tests/core/format_builders.h"
#include "tests/core/zip_builder.h"
#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"
#include "tests/win/window_fixture.h"

namespace varnholt::testing {
namespace {

// A chosen game, and packages to drop on the window.
class PackageWindowTest : public WindowTest {
protected:
    PackageWindowTest() {
        Recreate(answers);
        MakeGameTree(game);
        WriteBytes(game + "\\hl.exe", "MZ");
        WriteBytes(game + "\\cstrike\\server.cfg", "the player's own settings");
        WriteBytes(game + "\\cstrike\\models\\v_knife.mdl", "old knife");
        state.GameRoot = game + "\\";
    }

    // Every file in the game with its bytes; the backups aside.
    std::map<std::string, std::string> Game() {
        std::map<std::string, std::string> files;
        Collect(game, "", files);
        return files;
    }
    void Collect(const std::string& folder, const std::string& below,
                 std::map<std::string, std::string>& files) {
        for (const std::string& name : ListFolder(folder + "\\" + below)) {
            const std::string path = below + name;
            if (path == "varnholt-backup") continue;
            const std::optional<std::string> bytes = ReadBytes(game + "\\" + path);
            if (bytes) {
                files[path] = *bytes;
            } else {
                Collect(folder, path + "\\", files);
            }
        }
    }
    void Drop(const std::vector<std::string>& paths) { window->DropFiles(paths); }
    void MakeAddOnFolder() {
        const std::string root = dir / "僵尸模式 v1.2";
        for (const auto& [path, bytes] : std::map<std::string, std::string>{
                 {"cstrike\\addons\\amxmodx\\plugins\\zp.amxx", "plugin"},
                 {"cstrike\\addons\\amxmodx\\configs\\zp.cfg", "zp settings"},
                 {"cstrike\\server.cfg", "the package's settings"},
                 {"cstrike\\sound\\zp\\僵尸.wav", "sound"},
                 {"cstrike\\models\\v_knife.mdl", "new knife"},
                 {"说明.txt", "readme"}}) {
            const std::string full = root + "\\" + path;
            MakeFolders(full.substr(0, full.find_last_of('\\')));
            WriteBytes(full, bytes);
        }
    }

    AnsweringServices answers;
    TempFolder dir;
    std::string game = dir / "cs";
};

TEST_F(PackageWindowTest, AFolderDroppedInstallsWholeAndKeepsThePlayersSettings) {
    MakeAddOnFolder();
    Drop({dir / "僵尸模式 v1.2"});
    ASSERT_EQ(answers.reports.size(), 1u) << (answers.messages.empty() ? "" : answers.messages[0]);
    const std::map<std::string, std::string> after = Game();
    EXPECT_EQ(after.at("cstrike\\addons\\amxmodx\\plugins\\zp.amxx"), "plugin");
    EXPECT_EQ(after.at("cstrike\\addons\\amxmodx\\configs\\zp.cfg"), "zp settings");
    EXPECT_EQ(after.at("cstrike\\sound\\zp\\僵尸.wav"), "sound");
    EXPECT_EQ(after.at("cstrike\\models\\v_knife.mdl"), "new knife");
    EXPECT_EQ(after.at("cstrike\\server.cfg"), "the player's own settings");
    EXPECT_EQ(after.at("cstrike\\addons\\amxmodx\\configs\\plugins.ini"), "admin.amxx\r\nzp.amxx");
    EXPECT_EQ(after.count("说明.txt") + after.count("cstrike\\说明.txt"), 0u);
    const std::string& report = answers.reports[0];
    for (const char* named : {"说明.txt", "server.cfg", "zp.amxx", "v_knife.mdl"}) {
        EXPECT_NE(report.find(named), std::string::npos) << named << " in\n" << report;
    }
}

TEST_F(PackageWindowTest, ThePackagesReportUndoesItWhole) {
    MakeAddOnFolder();
    const auto before = Game();
    answers.undoOnReport = true;
    Drop({dir / "僵尸模式 v1.2"});
    ASSERT_EQ(answers.reports.size(), 2u);
    EXPECT_EQ(Game(), before);
}

TEST_F(PackageWindowTest, AFileInUseTakesTheWholePackageBack) {
    MakeAddOnFolder();
    const auto before = Game();
    const std::wstring knife = Widen(game + "\\cstrike\\models\\v_knife.mdl");
    HANDLE held = CreateFileW(knife.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Drop({dir / "僵尸模式 v1.2"});
    CloseHandle(held);
    EXPECT_EQ(Game(), before) << "all or nothing";
    ASSERT_EQ(answers.reports.size(), 1u);
    EXPECT_NE(answers.reports[0].find("v_knife.mdl"), std::string::npos) << answers.reports[0];
}

TEST_F(PackageWindowTest, AZipMadeOnChineseWindowsInstallsUnderItsNames) {
    TestArchive archive;
    // "枪声.wav" in code page 936, as Chinese zip tools write it, without the UTF-8 flag.
    archive.entries.push_back({"cstrike/sound/\xC7\xB9\xC9\xF9.wav", "bang", 8});
    archive.entries.push_back({"cstrike/maps/de_新.bsp", BuildMap("{\n\"classname\" \"worldspawn\"\n}\n"), 8,
                               0x0800});
    WriteBytes(dir / "pack.zip", Build(archive));
    Drop({dir / "pack.zip"});
    ASSERT_EQ(answers.reports.size(), 1u) << (answers.messages.empty() ? "" : answers.messages[0]);
    if (GetOEMCP() == 936) {
        EXPECT_EQ(ReadBytes(game + "\\cstrike\\sound\\枪声.wav"), "bang");
    }
    EXPECT_TRUE(ReadBytes(game + "\\cstrike\\maps\\de_新.bsp").has_value());
}

TEST_F(PackageWindowTest, PackagesThatCannotBeInstalledSaySoAndChangeNothing) {
    const auto before = Game();
    WriteBytes(dir / "addon.rar", std::string("Rar!\x1A\x07\x01\x00", 8) + "rest");
    TestArchive bad;
    bad.entries.push_back({"cstrike/../../evil.dll", "x"});
    WriteBytes(dir / "bad.zip", Build(bad));
    WriteBytes(dir / "cut.zip", Build(TestArchive{{{"cstrike/sound/a.wav", "sound"}}}).substr(0, 30));
    for (const char* name : {"addon.rar", "bad.zip", "cut.zip"}) {
        answers.messages.clear();
        Drop({dir / name});
        ASSERT_EQ(answers.messages.size(), 1u) << name;
        EXPECT_NE(answers.messages[0].find("没有导入任何文件"), std::string::npos)
            << name << ": " << answers.messages[0];
    }
    EXPECT_NE(answers.messages.size(), 0u);
    EXPECT_EQ(Game(), before);

    state.GameRoot.clear();
    MakeAddOnFolder();
    answers.messages.clear();
    Drop({dir / "僵尸模式 v1.2"});
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].rfind("请先选择游戏", 0), 0u) << answers.messages[0];
    EXPECT_EQ(Game(), before);
}

TEST_F(PackageWindowTest, TheWindowMenuOffersPackagesAndFolders) {
    const std::vector<std::wstring> items = MenuItems(GetSystemMenu(handle, FALSE));
    for (const wchar_t* item : {L"导入整包(&P)…", L"导入文件夹(&F)…"}) {
        EXPECT_NE(std::find(items.begin(), items.end(), item), items.end());
    }
}

TEST_F(PackageWindowTest, AModelRowBringsItsTextureFileAlong) {
    WriteBytes(dir / "v_m4a1.mdl", BuildModel({"idle"}, 1, 0));
    WriteBytes(dir / "v_m4a1T.mdl", BuildModel({}, 1, 1));
    window->WriteBoxText(SelectionKind::Game, game + "\\hl.exe");
    window->WriteBoxText(SelectionKind::Model, dir / "v_m4a1.mdl");
    // Windows names files without regard to case: either spelling of the T will do.
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return text;
    };
    const std::string tip = window->MarkTip(SelectionKind::Model);
    EXPECT_NE(lower(tip).find("v_m4a1t.mdl"), std::string::npos) << tip;
    Click(ControlRole::InstallButton);
    EXPECT_TRUE(ReadBytes(game + "\\cstrike\\models\\v_m4a1.mdl").has_value());
    EXPECT_TRUE(ReadBytes(game + "\\cstrike\\models\\v_m4a1T.mdl").has_value());
    ASSERT_EQ(answers.reports.size(), 1u);
    EXPECT_NE(lower(answers.reports[0]).find("一并导入：cstrike\\models\\v_m4a1t.mdl"), std::string::npos)
        << answers.reports[0];
}

}  // namespace
}  // namespace varnholt::testing
