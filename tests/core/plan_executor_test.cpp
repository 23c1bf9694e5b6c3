#include "core/plan_executor.h"

#include <gtest/gtest.h>

#include "core/install.h"
#include "core/journal.h"
#include "core/undo.h"
#include "tests/core/memory_file_system.h"

namespace varnholt {
namespace {

using testing::MemoryFileSystem;

const std::string kAccepted(kAcceptedCaption);
const std::string kList = "G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini";
const std::string kOldList = std::string("a.amxx\r\nb.amxx") + '\x1a';
const std::string kPlugin = "G\\cstrike\\addons\\amxmodx\\plugins\\p.amxx";
const std::string kModel = "G\\cstrike\\models\\v_ak47.mdl";
const std::string kMap = "G\\cstrike\\maps\\de_x.bsp";

// A game with a plugin list, an old model to be replaced and no map yet.
class Executor : public ::testing::Test {
protected:
    Executor() {
        FillDestinationFolders(state);
        state.GameRoot = "G\\";
        MakeGame();
    }

    void MakeGame() {
        fs = MemoryFileSystem();
        for (const char* folder : {"G\\cstrike\\addons\\amxmodx\\plugins", "G\\cstrike\\models",
                                   "G\\cstrike\\sprites", "G\\cstrike\\maps"}) {
            fs.folders.insert(folder);
        }
        fs.Put(kList, kOldList);
        fs.Put(kModel, "old model");
        fs.Put("S\\p.amxx", "new plugin");
        fs.Put("S\\v_ak47.mdl", "new model");
        fs.Put("S\\de_x.bsp", "new map");
    }

    InstallReport InstallAll() {
        const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {kAccepted, "S\\v_ak47.mdl"},
                                 {},
                                 {kAccepted, "S\\de_x.bsp"}}};
        return InstallSelected(state, rows, fs);
    }

    UndoReport UndoLast() {
        const std::optional<PendingUndo> last = FindLastInstall(state.GameRoot, fs);
        if (!last) return {};
        return UndoInstall(state.GameRoot, *last, fs);
    }

    // The game as a player sees it: every file but our temporaries and backups.
    std::map<std::string, std::string> Game() const {
        std::map<std::string, std::string> game;
        for (const auto& [path, node] : fs.files) {
            if (path.find("~varnholt-") != std::string::npos) continue;
            if (path.find("varnholt-backup") != std::string::npos) continue;
            if (path.rfind("G\\", 0) == 0) game[path] = node->bytes;
        }
        return game;
    }

    InstallerState state;
    MemoryFileSystem fs;
};

TEST_F(Executor, ReplacedFilesAreKeptAndTheJournalSaysWhere) {
    const InstallReport report = InstallAll();
    EXPECT_TRUE(report.allSucceeded());
    EXPECT_EQ(report.journalFolder, "varnholt-backup\\2026-12-11 14-03-27\\");
    EXPECT_EQ(fs.Bytes(kModel), "new model");
    EXPECT_TRUE(report.rows[1].replaced);
    EXPECT_FALSE(report.rows[2].replaced);
    const std::string backup = "G\\varnholt-backup\\2026-12-11 14-03-27\\";
    EXPECT_EQ(fs.Bytes(backup + "cstrike\\models\\v_ak47.mdl"), "old model");

    const Journal journal = ParseJournal(fs.Bytes(backup + "journal.txt"));
    EXPECT_TRUE(journal.complete);
    std::vector<std::string> lines;
    for (const JournalLine& line : journal.actions) {
        if (line.action != JournalAction::Folder) lines.push_back(FormatJournalLine(line));
    }
    const auto stamp = [&](const std::string& path) {
        const FileStamp s = *fs.StampOf(path);
        return std::to_string(s.size) + "\t" + std::to_string(s.writeTime);
    };
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "append\tcstrike\\addons\\amxmodx\\configs\\plugins.ini\t14\t15\t1a\t"
                         "0d0a702e616d7878",
                         "add\tcstrike\\addons\\amxmodx\\plugins\\p.amxx\t" + stamp(kPlugin),
                         "replace\tcstrike\\models\\v_ak47.mdl\tvarnholt-backup\\2026-12-11 "
                         "14-03-27\\cstrike\\models\\v_ak47.mdl\t" + stamp(kModel),
                         "add\tcstrike\\maps\\de_x.bsp\t" + stamp(kMap),
                     }));
}

TEST_F(Executor, TwoInstallsInOneSecondGetTheirOwnFoldersAndUndoNewestFirst) {
    const auto before = Game();
    InstallAll();
    const auto afterFirst = Game();
    fs.Put("S\\v_ak47.mdl", "newer model");
    const InstallReport second = InstallAll();
    EXPECT_EQ(second.journalFolder, "varnholt-backup\\2026-12-11 14-03-27-02\\");
    EXPECT_EQ(fs.Bytes(kModel), "newer model");

    UndoReport undone = UndoLast();
    EXPECT_TRUE(undone.complete);
    EXPECT_EQ(undone.folder, "varnholt-backup\\2026-12-11 14-03-27-02\\");
    EXPECT_EQ(Game(), afterFirst);
    undone = UndoLast();
    EXPECT_TRUE(undone.complete);
    EXPECT_EQ(Game(), before);
    // What the installs wrote was moved aside, not deleted: nothing is lost by an undo either.
    const std::string firstKept = "G\\varnholt-backup\\2026-12-11 14-03-27\\undone\\";
    const std::string secondKept = "G\\varnholt-backup\\2026-12-11 14-03-27-02\\undone\\";
    EXPECT_EQ(fs.Bytes(firstKept + "cstrike\\models\\v_ak47.mdl"), "new model");
    EXPECT_EQ(fs.Bytes(firstKept + "cstrike\\maps\\de_x.bsp"), "new map");
    EXPECT_EQ(fs.Bytes(secondKept + "cstrike\\models\\v_ak47.mdl"), "newer model");
    EXPECT_EQ(fs.files.count("G\\varnholt-backup\\2026-12-11 14-03-27\\cstrike\\models\\v_ak47.mdl"), 0u)
        << "the old file went back into the game";
    EXPECT_FALSE(FindLastInstall(state.GameRoot, fs).has_value());
    EXPECT_NE(FormatUndoReport(undone).find("撤下的文件保存在 varnholt-backup\\2026-12-11 14-03-27\\undone\\"),
              std::string::npos);
}

// Whatever step the program stops at, each file in the game is old or new, never missing or
// half-written, and an undo afterwards brings back exactly the game as it was.
TEST_F(Executor, StoppedAtAnyStepTheGameIsWholeAndUndoRestoresIt) {
    for (bool links : {true, false}) {
        for (long step = 0;; ++step) {
            MakeGame();
            fs.linksWork = links;
            const auto before = Game();
            fs.stopAfter = step;
            InstallAll();
            const bool finished = fs.changes < step;
            const auto middle = Game();
            for (const std::string& path : {kPlugin, kModel, kMap}) {
                const std::string bytes = middle.count(path) ? middle.at(path) : "<missing>";
                const std::string old = before.count(path) ? before.at(path) : "<missing>";
                const std::string fresh = path == kPlugin  ? "new plugin"
                                          : path == kModel ? "new model"
                                                           : "new map";
                if (links) {
                    EXPECT_TRUE(bytes == old || bytes == fresh)
                        << path << " after step " << step << ": " << bytes;
                }
            }
            const std::string list = middle.at(kList);
            EXPECT_TRUE(list == kOldList || list == "a.amxx\r\nb.amxx\r\np.amxx")
                << "after step " << step;

            fs.stopAfter = -1;
            const UndoReport undone = UndoLast();
            EXPECT_TRUE(undone.complete) << "step " << step;
            EXPECT_EQ(Game(), before) << "undo after step " << step << (links ? "" : " without links");
            if (finished) break;
        }
    }
}

TEST_F(Executor, UndoLeavesFilesChangedSinceAndSaysSo) {
    InstallAll();
    fs.Put(kMap, "the player's own edit");
    fs.Put(kModel, "another tool's model");
    fs.files[kList]->bytes += "\r\nlater.amxx";
    const UndoReport undone = UndoLast();
    EXPECT_EQ(fs.Bytes(kMap), "the player's own edit");
    EXPECT_EQ(fs.Bytes(kModel), "another tool's model");
    EXPECT_EQ(fs.Bytes(kList), "a.amxx\r\nb.amxx\r\np.amxx\r\nlater.amxx");
    EXPECT_EQ(fs.files.count(kPlugin), 0u) << "the untouched plugin file goes";
    EXPECT_EQ(fs.Bytes("G\\varnholt-backup\\2026-12-11 14-03-27\\cstrike\\models\\v_ak47.mdl"),
              "old model")
        << "an old file that could not go back stays in the backup";
    const std::string text = FormatUndoReport(undone);
    EXPECT_NE(text.find("cstrike\\maps\\de_x.bsp 在导入后又被修改过，未删除"), std::string::npos) << text;
    EXPECT_NE(text.find("plugins.ini 在导入后又被修改过"), std::string::npos) << text;
    EXPECT_FALSE(FindLastInstall(state.GameRoot, fs).has_value()) << "told once, not undone again";
}

TEST_F(Executor, APluginThatIsNotPlacedIsTakenOffTheList) {
    fs.folders.erase("G\\cstrike\\addons\\amxmodx\\plugins");
    fs.Put("G\\cstrike\\addons\\amxmodx\\plugins", "a file where the folder should be");
    const InstallReport report = InstallAll();
    EXPECT_FALSE(report.rows[0].placed());
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::TakenBack);
    EXPECT_EQ(fs.Bytes(kList), kOldList) << "byte for byte, the Ctrl-Z end included";
    EXPECT_TRUE(report.rows[1].placed()) << "the other rows still go in";
    EXPECT_TRUE(report.rows[2].placed());
}

TEST_F(Executor, APatternIsNeverWrittenToTheList) {
    fs.Put("S\\q.amxx", "another plugin");
    const AddOnRows rows = {{{kAccepted, "S\\*.amxx"}, {}, {}, {}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::NameIsPattern);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::NameIsPattern);
    EXPECT_EQ(fs.Bytes(kList), kOldList);
    EXPECT_TRUE(fs.log.empty());
}

TEST_F(Executor, ANewFileIsNotReadOnlyAndAReadOnlyDestinationIsRefused) {
    fs.files["S\\de_x.bsp"]->readOnly = true;
    fs.files[kModel]->readOnly = true;
    const InstallReport report = InstallAll();
    EXPECT_FALSE(fs.IsReadOnly(kMap));
    EXPECT_EQ(report.rows[1].outcome, PlaceOutcome::AccessDenied);
    EXPECT_EQ(fs.Bytes(kModel), "old model");
}

TEST_F(Executor, NoBackupNoReplace) {
    fs.Put("G\\varnholt-backup", "a file where the backup folder should be");
    const InstallReport report = InstallAll();
    for (const RowReport& row : report.rows) EXPECT_EQ(row.outcome, PlaceOutcome::BackupFailed);
    EXPECT_EQ(fs.Bytes(kModel), "old model");
    EXPECT_EQ(fs.Bytes(kList), kOldList);
    EXPECT_FALSE(report.journalProblem.ok());
}

TEST_F(Executor, LeftoverTemporariesAreClearedByTheNextInstall) {
    fs.Put("G\\cstrike\\maps\\~varnholt-7.tmp", "half a map");
    fs.Put("G\\cstrike\\maps\\keep.tmp", "not ours");
    InstallAll();
    EXPECT_EQ(fs.files.count("G\\cstrike\\maps\\~varnholt-7.tmp"), 0u);
    EXPECT_EQ(fs.Bytes("G\\cstrike\\maps\\keep.tmp"), "not ours");
}

TEST_F(Executor, APackageStopsAtItsFirstFailureAndIsTakenBackWhole) {
    const auto before = Game();
    InstallPlan plan;
    plan.gameRoot = "G\\";
    PlanUnit unit;
    unit.stopsAtFirstFailure = true;
    unit.additions.push_back({"cstrike\\addons\\amxmodx\\configs\\plugins.ini", "p.amxx"});
    unit.placements = {{"S\\p.amxx", nullptr, "cstrike\\addons\\amxmodx\\plugins\\p.amxx", true},
                       {"S\\v_ak47.mdl", nullptr, "cstrike\\models\\v_ak47.mdl", true},
                       {"S\\de_x.bsp", nullptr, "cstrike\\sound\\new\\deep\\x.wav", true},
                       {"S\\gone.wav", nullptr, "cstrike\\sound\\gone.wav", true},
                       {"S\\de_x.bsp", nullptr, "cstrike\\sound\\never.wav", true}};
    plan.units.push_back(unit);
    const ExecutionResult result = ExecutePlan(plan, fs);
    const UnitResult& out = result.units[0];
    EXPECT_FALSE(out.wentIn);
    EXPECT_EQ(out.placements[3].outcome, PlaceOutcome::SourceMissing);
    for (std::size_t i : {0u, 1u, 2u, 4u}) {
        EXPECT_EQ(out.placements[i].outcome, PlaceOutcome::TakenBack) << i;
    }
    EXPECT_EQ(out.additions[0].outcome, RegisterOutcome::TakenBack);
    EXPECT_EQ(Game(), before);
    EXPECT_FALSE(fs.IsFolder("G\\cstrike\\sound")) << "the folders it made go too";
    EXPECT_FALSE(fs.IsFolder("G\\varnholt-backup")) << "nothing stayed, so nothing is kept";
}

TEST_F(Executor, CancelTakesThePackageUnderWayBackAndReportsProgress) {
    const auto before = Game();
    InstallPlan plan;
    plan.gameRoot = "G\\";
    PlanUnit unit;
    unit.stopsAtFirstFailure = true;
    unit.placements = {{"S\\v_ak47.mdl", nullptr, "cstrike\\models\\v_ak47.mdl", true},
                       {"S\\de_x.bsp", nullptr, "cstrike\\maps\\de_x.bsp", true},
                       {"S\\p.amxx", nullptr, "cstrike\\addons\\amxmodx\\plugins\\p.amxx", true}};
    plan.units.push_back(unit);
    std::vector<std::pair<std::size_t, std::uint64_t>> seen;
    const ExecutionResult result = ExecutePlan(plan, fs, [&](std::size_t files, std::uint64_t bytes) {
        seen.emplace_back(files, bytes);
        return files < 2;  // Cancel pressed while the second file went in
    });
    EXPECT_EQ(seen, (std::vector<std::pair<std::size_t, std::uint64_t>>{{1, 9}, {2, 16}}));
    EXPECT_FALSE(result.units[0].wentIn);
    for (const PlacementResult& placed : result.units[0].placements) {
        EXPECT_EQ(placed.outcome, PlaceOutcome::TakenBack);
    }
    EXPECT_EQ(Game(), before);
    EXPECT_TRUE(result.journalFolder.empty()) << "nothing stayed, so nothing is kept";
}

}  // namespace
}  // namespace varnholt
