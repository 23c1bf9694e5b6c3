#include <windows.h>

#include <gtest/gtest.h>

#include "core/install.h"
#include "core/plugin_list.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "tests/plugin_list_cases.h"
#include "tests/win/forwarding_file_system.h"
#include "tests/win/game_tree.h"
#include "tests/win/temp_folder.h"

namespace varnholt {
namespace {

using testing::CurrentFolderGuard;
using testing::ListFolder;
using testing::MakeFolders;
using testing::MakeGameTree;
using testing::ReadBytes;
using testing::SetCurrentFolder;
using testing::SetReadOnly;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kAccepted(kAcceptedCaption);

// The real file system, with a log of the openings and of the copies of add-on files. A copy
// is logged by the name of the file copied: it may go to a temporary name first.
class RecordingFileSystem final : public testing::ForwardingFileSystem {
public:
    std::vector<std::string> log;

    FileResult CopyReplacing(const std::string& source, const std::string& destination) override {
        log.push_back("copy " + FileNameOnly(source));
        return ForwardingFileSystem::CopyReplacing(source, destination);
    }
    FileResult CopyToNew(const std::string& source, const std::string& destination) override {
        log.push_back("copy " + FileNameOnly(source));
        return ForwardingFileSystem::CopyToNew(source, destination);
    }
    OpenResult OpenExisting(const std::string& path) override {
        log.push_back("open " + FileNameOnly(path));
        return ForwardingFileSystem::OpenExisting(path);
    }

private:
    static std::string FileNameOnly(const std::string& path) {
        return path.substr(path.find_last_of('\\') + 1);
    }
};

// A game tree with every destination folder and a plugin list, and four add-on files.
class InstallRunTest : public ::testing::Test {
protected:
    InstallRunTest() {
        FillDestinationFolders(state);
        state.GameRoot = game + "\\";
        MakeGameTree(game);
        MakeFolders(dir / "src");
        for (const char* name : {"parachute.amxx", "v_ak47.mdl", "fire.spr", "de_snow.bsp"}) {
            WriteBytes(dir / ("src\\" + std::string(name)), std::string("bytes of ") + name);
        }
    }

    std::string Source(const std::string& name) const { return dir / ("src\\" + name); }
    InstallReport Install(const AddOnRows& rows) { return InstallSelected(state, rows, fs); }
    AddOnRows OnlyPlugin(const std::string& path) const { return {{{kAccepted, path}, {}, {}, {}}}; }
    AddOnRows OnlyMap(const std::string& path) const { return {{{}, {}, {}, {kAccepted, path}}}; }

    TempFolder dir;
    std::string game = dir / "游戏 CS";
    std::string list = game + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini";
    InstallerState state;
    RecordingFileSystem fs;
};

TEST_F(InstallRunTest, InstallsEveryAcceptedFileInOrderAfterRegisteringThePlugin) {
    const InstallReport report =
        Install({{{kAccepted, Source("parachute.amxx")}, {kAccepted, Source("v_ak47.mdl")},
                  {kAccepted, Source("fire.spr")}, {kAccepted, Source("de_snow.bsp")}}});
    EXPECT_EQ(fs.log, (std::vector<std::string>{"open plugins.ini", "copy parachute.amxx",
                                                "copy v_ak47.mdl", "copy fire.spr",
                                                "copy de_snow.bsp"}));
    EXPECT_TRUE(report.allSucceeded());
    EXPECT_EQ(ReadBytes(list), "admin.amxx\r\nparachute.amxx");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\addons\\amxmodx\\plugins\\parachute.amxx"),
              "bytes of parachute.amxx");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\models\\v_ak47.mdl"), "bytes of v_ak47.mdl");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\sprites\\fire.spr"), "bytes of fire.spr");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\maps\\de_snow.bsp"), "bytes of de_snow.bsp");
    EXPECT_EQ(ListFolder(game + "\\cstrike\\maps"), std::vector<std::string>{"de_snow.bsp"});
}

TEST_F(InstallRunTest, PluginListGetsTheNameAfterEveryOldByte) {
    for (const testing::PluginListCase& c : testing::PluginListCases()) {
        SCOPED_TRACE(c.name);
        WriteBytes(list, c.before);
        const InstallReport report = Install(OnlyPlugin(Source(testing::kListedPlugin)));
        EXPECT_EQ(report.plugin->outcome, RegisterOutcome::Registered);
        EXPECT_EQ(ReadBytes(list), c.kept + "\r\n" + testing::kListedPlugin);
    }
    // The same plugin installed twice stands twice.
    WriteBytes(list, "admin.amxx");
    Install(OnlyPlugin(Source("parachute.amxx")));
    Install(OnlyPlugin(Source("parachute.amxx")));
    EXPECT_EQ(ReadBytes(list), "admin.amxx\r\nparachute.amxx\r\nparachute.amxx");
}

TEST_F(InstallRunTest, ListThatCannotBeUpdatedIsLeftAloneButThePluginIsCopied) {
    const std::string copied = game + "\\cstrike\\addons\\amxmodx\\plugins\\parachute.amxx";
    struct Case {
        const char* name;
        RegisterOutcome outcome;
    };
    const Case cases[] = {
        {"missing", RegisterOutcome::ListMissing},
        {"read-only", RegisterOutcome::ListAccessDenied},
        {"held without sharing", RegisterOutcome::ListInUse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(Widen(copied).c_str());
        SetReadOnly(list, false);
        DeleteFileW(Widen(list).c_str());
        UniqueFileHandle held;
        if (c.outcome != RegisterOutcome::ListMissing) WriteBytes(list, "admin.amxx");
        if (c.outcome == RegisterOutcome::ListAccessDenied) SetReadOnly(list, true);
        if (c.outcome == RegisterOutcome::ListInUse) {
            held.reset(CreateFileW(Widen(list).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
        }
        const InstallReport report = Install(OnlyPlugin(Source("parachute.amxx")));
        EXPECT_EQ(report.plugin->outcome, c.outcome);
        EXPECT_TRUE(report.rows[0].placed());
        EXPECT_EQ(ReadBytes(copied), "bytes of parachute.amxx");
        held.reset();
        EXPECT_EQ(ReadBytes(list), c.outcome == RegisterOutcome::ListMissing
                                       ? std::nullopt
                                       : std::optional<std::string>("admin.amxx"));
    }
}

TEST_F(InstallRunTest, NameOutsideTheCodePageIsNotWritten) {
    if (GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    WriteBytes(Source("한.amxx"), "x");
    WriteBytes(Source("中文.amxx"), "y");
    InstallReport report = Install(OnlyPlugin(Source("한.amxx")));
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::NameNotRepresentable);
    EXPECT_TRUE(report.rows[0].placed());
    EXPECT_EQ(ReadBytes(list), "admin.amxx");
    report = Install(OnlyPlugin(Source("中文.amxx")));
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::Registered);
    EXPECT_EQ(ReadBytes(list), "admin.amxx\r\n\xD6\xD0\xCE\xC4.amxx");
}

TEST_F(InstallRunTest, EachRowFailureIsReportedAndNothingIsLost) {
    const std::string maps = game + "\\cstrike\\maps";
    const std::string map = maps + "\\de_snow.bsp";
    // Which file another program holds open, without sharing, while the row is installed.
    enum class Held { Nothing, Source, Destination };
    struct Case {
        const char* name;
        PlaceOutcome outcome;
        Held held;
    };
    const Case cases[] = {
        {"read-only destination", PlaceOutcome::AccessDenied, Held::Nothing},
        {"destination held open", PlaceOutcome::InUse, Held::Destination},
        {"source locked", PlaceOutcome::InUse, Held::Source},
        {"source deleted after it was accepted", PlaceOutcome::SourceMissing, Held::Nothing},
        {"folder in the way", PlaceOutcome::FolderInTheWay, Held::Nothing},
        {"destination folder missing", PlaceOutcome::DestinationFolderMissing, Held::Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFolders(dir / "incoming");
        const std::string source = dir / "incoming\\de_snow.bsp";
        WriteBytes(source, "new map");
        WriteBytes(map, "old map");
        UniqueFileHandle held;
        if (c.held != Held::Nothing) {
            held.reset(CreateFileW(Widen(c.held == Held::Source ? source : map).c_str(),
                                   GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held);
        }
        switch (c.outcome) {
            case PlaceOutcome::AccessDenied: SetReadOnly(map, true); break;
            case PlaceOutcome::SourceMissing: DeleteFileW(Widen(source).c_str()); break;
            case PlaceOutcome::FolderInTheWay:
                DeleteFileW(Widen(map).c_str());
                MakeFolders(map);
                break;
            case PlaceOutcome::DestinationFolderMissing:
                DeleteFileW(Widen(map).c_str());
                RemoveDirectoryW(Widen(maps).c_str());
                break;
            default: break;
        }
        const InstallReport report =
            Install({{{}, {kAccepted, Source("v_ak47.mdl")}, {}, {kAccepted, source}}});
        ASSERT_EQ(report.rows.size(), 2u);
        EXPECT_TRUE(report.rows[0].placed()) << "the other row is still installed";
        EXPECT_EQ(report.rows[1].outcome, c.outcome);
        held.reset();
        if (c.outcome == PlaceOutcome::FolderInTheWay) {
            EXPECT_TRUE(fs.IsFolder(map));
            RemoveDirectoryW(Widen(map).c_str());
        } else if (c.outcome == PlaceOutcome::DestinationFolderMissing) {
            EXPECT_FALSE(fs.Exists(maps)) << "the folder is not created";
            MakeFolders(maps);
        } else {
            SetReadOnly(map, false);
            EXPECT_EQ(ReadBytes(map), "old map");
            EXPECT_EQ(ListFolder(maps), std::vector<std::string>{"de_snow.bsp"})
                << "no temporary file is left behind";
        }
    }
}

TEST_F(InstallRunTest, SameNamedFileIsReplaced) {
    const std::string model = game + "\\cstrike\\models\\v_ak47.mdl";
    WriteBytes(model, "an old, longer model file");
    const InstallReport report = Install({{{}, {kAccepted, Source("v_ak47.mdl")}, {}, {}}});
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::Installed);
    EXPECT_EQ(ReadBytes(model), "bytes of v_ak47.mdl");
}

TEST_F(InstallRunTest, FileChosenAtItsOwnDestinationIsKept) {
    CurrentFolderGuard guard;
    const std::string map = game + "\\cstrike\\maps\\de_snow.bsp";
    WriteBytes(map, "the only copy");
    SetCurrentFolder(game + "\\cstrike");
    wchar_t shortName[MAX_PATH];
    GetShortPathNameW(Widen(map).c_str(), shortName, MAX_PATH);
    for (const std::string& spelling :
         {map, game + "\\CSTRIKE\\MAPS\\DE_SNOW.BSP", game + "\\cstrike\\maps\\..\\maps\\de_snow.bsp",
          std::string("maps\\de_snow.bsp"), Narrow(shortName)}) {
        SCOPED_TRACE(spelling);
        const InstallReport report = Install(OnlyMap(spelling));
        EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::AlreadyInPlace);
        EXPECT_EQ(ReadBytes(map), "the only copy");
    }
    // With the plugin, the name is registered all the same.
    const std::string plugin = game + "\\cstrike\\addons\\amxmodx\\plugins\\admin.amxx";
    WriteBytes(plugin, "plugin");
    const InstallReport report = Install(OnlyPlugin(plugin));
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::AlreadyInPlace);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::Registered);
    EXPECT_EQ(ReadBytes(plugin), "plugin");
}

TEST_F(InstallRunTest, EmptyGameRootResolvesAgainstTheCurrentFolder) {
    CurrentFolderGuard guard;
    SetCurrentFolder(game);
    state.GameRoot.clear();
    const InstallReport report =
        Install({{{kAccepted, Source("parachute.amxx")}, {}, {kAccepted, Source("fire.spr")}, {}}});
    EXPECT_TRUE(report.allSucceeded());
    EXPECT_EQ(ReadBytes(list), "admin.amxx\r\nparachute.amxx");
    EXPECT_EQ(ReadBytes(game + "\\cstrike\\sprites\\fire.spr"), "bytes of fire.spr");
}

}  // namespace
}  // namespace varnholt
