#include "core/install.h"

#include <gtest/gtest.h>

#include <map>

#include "core/file_system.h"
#include "tests/core/memory_file_system.h"

namespace varnholt {
namespace {

const std::string kAccepted(kAcceptedCaption);

using testing::MemoryFileSystem;

// What reached the game, in order: list writes and files moved into place (backups aside).
std::vector<std::string> Effects(const MemoryFileSystem& fs) {
    std::vector<std::string> effects;
    for (const std::string& entry : fs.log) {
        if (entry.find("varnholt-backup") != std::string::npos) continue;
        if (entry.rfind("write ", 0) == 0) effects.push_back(entry);
        if (entry.rfind("rename ", 0) == 0 || entry.rfind("replace ", 0) == 0) {
            effects.push_back("place " + entry.substr(entry.find(" -> ") + 4));
        }
    }
    return effects;
}

class InstallRun : public ::testing::Test {
protected:
    InstallRun() {
        FillDestinationFolders(state);
        state.GameRoot = "G\\";
        for (const char* folder : {"G\\cstrike\\addons\\amxmodx\\plugins", "G\\cstrike\\models",
                                   "G\\cstrike\\sprites", "G\\cstrike\\maps"}) {
            fs.folders.insert(folder);
        }
        fs.Put("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini", "old.amxx");
        for (const char* source : {"S\\p.amxx", "S\\m.mdl", "S\\e.spr", "S\\d.bsp"}) {
            fs.Put(source, source);
        }
    }

    InstallerState state;
    MemoryFileSystem fs;
};

TEST_F(InstallRun, HandlesAcceptedRowsInOrderRegisteringThePluginFirst) {
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {kAccepted, "S\\m.mdl"},
                             {kAccepted, "S\\e.spr"}, {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(Effects(fs), (std::vector<std::string>{
                               "write G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini",
                               "place G\\cstrike\\addons\\amxmodx\\plugins\\p.amxx",
                               "place G\\cstrike\\models\\m.mdl",
                               "place G\\cstrike\\sprites\\e.spr",
                               "place G\\cstrike\\maps\\d.bsp",
                           }));
    EXPECT_TRUE(report.allSucceeded());
    ASSERT_EQ(report.rows.size(), 4u);
    EXPECT_EQ(report.rows[1].row, SelectionKind::Model);
    EXPECT_EQ(state.PluginFileName, "p.amxx");
    EXPECT_EQ(state.MapFileName, "d.bsp");
    EXPECT_EQ(state.DestinationFolder, "G\\cstrike\\maps\\");
    EXPECT_EQ(state.PluginListText, "old.amxx\r\np.amxx");
    EXPECT_EQ(fs.Bytes("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), "old.amxx\r\np.amxx");
    EXPECT_EQ(fs.Bytes("G\\cstrike\\maps\\d.bsp"), "S\\d.bsp");
}

TEST_F(InstallRun, SkipsRowsWhoseMarkIsNotAccepted) {
    state.ModelFileName = "earlier.mdl";
    const AddOnRows rows = {{{"", "S\\p.amxx"}, {"×", "S\\m.mdl"}, {"√ ", "S\\e.spr"},
                             {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(Effects(fs), (std::vector<std::string>{"place G\\cstrike\\maps\\d.bsp"}));
    EXPECT_FALSE(report.plugin.has_value());
    EXPECT_EQ(state.ModelFileName, "earlier.mdl");  // a skipped row keeps its earlier value

    fs.log.clear();
    const AddOnRows none = {{{"", "a"}, {"", "b"}, {"×", "c"}, {"", "d"}}};
    EXPECT_TRUE(InstallSelected(state, none, fs).rows.empty());
    EXPECT_TRUE(fs.log.empty());
}

TEST_F(InstallRun, ReportsEachRowThatCannotBePlaced) {
    fs.folders.erase("G\\cstrike\\models");
    fs.folders.insert("G\\cstrike\\sprites\\e.spr");
    fs.files.erase("S\\d.bsp");
    fs.folders.insert("S\\p.amxx");
    fs.files.erase("S\\p.amxx");
    fs.log.clear();
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {kAccepted, "S\\m.mdl"},
                             {kAccepted, "S\\e.spr"}, {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    ASSERT_EQ(report.rows.size(), 4u);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::SourceIsFolder);
    EXPECT_EQ(report.rows[1].outcome, PlaceOutcome::DestinationFolderMissing);
    EXPECT_EQ(report.rows[2].outcome, PlaceOutcome::FolderInTheWay);
    EXPECT_EQ(report.rows[3].outcome, PlaceOutcome::SourceMissing);
    EXPECT_FALSE(report.allSucceeded());
    for (const std::string& entry : fs.log) EXPECT_EQ(entry.rfind("copy", 0), std::string::npos);
}

TEST_F(InstallRun, PluginRegistrationOutcomes) {
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {}, {}, {}}};

    fs.unrepresentable.insert("p.amxx");
    InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::NameNotRepresentable);
    EXPECT_EQ(fs.Bytes("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), "old.amxx");
    EXPECT_TRUE(report.rows[0].placed());  // the file is still copied
    EXPECT_FALSE(report.allSucceeded());

    fs.files.erase("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini");
    report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::ListMissing);
    EXPECT_EQ(state.PluginListText, "\r\np.amxx");
    EXPECT_EQ(fs.files.count("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), 0u);
}

TEST_F(InstallRun, FileAlreadyAtItsDestinationIsLeftInPlace) {
    fs.Put("G\\cstrike\\maps\\d.bsp", "mine");
    const AddOnRows rows = {{{}, {}, {}, {kAccepted, "G\\cstrike\\maps\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::AlreadyInPlace);
    EXPECT_TRUE(fs.log.empty()) << "nothing changed, not even a backup folder";
    EXPECT_EQ(fs.Bytes("G\\cstrike\\maps\\d.bsp"), "mine");
}

TEST_F(InstallRun, EmptyGameRootGivesRelativeDestinations) {
    state.GameRoot.clear();
    fs.folders.insert("cstrike\\models");
    const AddOnRows rows = {{{}, {kAccepted, "S\\m.mdl"}, {}, {}}};
    InstallSelected(state, rows, fs);
    EXPECT_EQ(Effects(fs), (std::vector<std::string>{"place cstrike\\models\\m.mdl"}));
    EXPECT_EQ(fs.Bytes("cstrike\\models\\m.mdl"), "S\\m.mdl");
    EXPECT_TRUE(fs.IsFolder("varnholt-backup\\2026-12-11 14-03-27")) << "backups go by the current folder too";
}

}  // namespace
}  // namespace varnholt
