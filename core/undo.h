#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/journal.h"

namespace varnholt {

enum class UndoOutcome {
    Restored,     // the old file is back
    Removed,      // a file or folder the install added is gone
    ListCut,      // the list ends where it ended before the install
    NothingToDo,  // the action never happened, or was taken back already
    LeftChanged,  // changed since the install: left as it is (an old file stays in the backup)
    Failed,       // could not be taken back now; the journal keeps it for another try
};

// Takes one journalled action back under `gameRoot`. Each step leaves its file either as
// the install left it or as it was before, never in between. With `keep` (a folder below the
// game folder), a file the install wrote is moved there under its path in the game instead
// of being deleted.
struct UndoKeep {
    std::string folder;             // below the game folder, ending in a backslash
    std::set<std::string> made;     // its folders known to exist
};
UndoOutcome TakeBackAction(const std::string& gameRoot, const JournalLine& action,
                           FileSystem& files, std::string* systemText = nullptr,
                           UndoKeep* keep = nullptr);

// Where an undo keeps the files it took out of the game, inside the install's backup folder.
inline constexpr char kUndoneFolder[] = "undone\\";

// The newest install under the game folder that still has something to take back.
struct PendingUndo {
    std::string folder;  // its backup folder, relative to the game folder
    Journal journal;
};
std::optional<PendingUndo> FindLastInstall(const std::string& gameRoot, FileSystem& files);
// The install whose backup folder (relative to the game folder) is `folder`.
std::optional<PendingUndo> ReadInstall(const std::string& gameRoot, const std::string& folder,
                                       FileSystem& files);

struct UndoStep {
    JournalLine action;
    UndoOutcome outcome = UndoOutcome::NothingToDo;
    std::string systemText;
};

struct UndoReport {
    std::string folder;
    std::vector<UndoStep> steps;  // last action first
    bool complete = true;         // nothing is left to take back
    bool keptFiles = false;       // the install's files were moved to its undone folder
};

// Takes every pending action of the install back, last first, noting each in its journal.
UndoReport UndoInstall(const std::string& gameRoot, const PendingUndo& install, FileSystem& files);

// What an undo will change, a line each, for the question asked before it.
std::string DescribeUndo(const PendingUndo& install);
// What an undo did, a line each.
std::string FormatUndoReport(const UndoReport& report);

}  // namespace varnholt
