#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/install_plan.h"

namespace varnholt {

struct PlacementResult {
    PlaceOutcome outcome = PlaceOutcome::Installed;
    std::string systemText;
    bool replaced = false;  // an old file was there, and is kept in the backup folder
    std::uint64_t size = 0;  // the source file's size, for the progress shown
};

struct AdditionResult {
    RegisterOutcome outcome = RegisterOutcome::Registered;
    std::string systemText;
    std::string listText;  // the list's text as composed: its old text, CR LF and the name
};

struct UnitResult {
    std::vector<AdditionResult> additions;
    std::vector<PlacementResult> placements;  // one per placement; those not reached stay
                                              // TakenBack when the unit stopped early
    bool wentIn = true;         // every placement succeeded
    bool takeBackFailed = false;  // something placed could not be taken back
};

struct ExecutionResult {
    std::string journalFolder;  // relative to the game folder; empty when none was kept
    FileResult journalProblem;  // why no journal could be written (then nothing was done)
    std::vector<UnitResult> units;
};

// Reports progress through a plan: files done and bytes of their sources; false cancels.
using PlanProgress = std::function<bool(std::size_t files, std::uint64_t bytes)>;

// Carries out a plan: every replaced file is kept in the install's backup folder, every
// action is journalled before it is taken, and a unit whose placement fails is taken back
// whole (for a package, at its first failure). A cancel through `progress` takes the unit
// under way back like a failure.
ExecutionResult ExecutePlan(const InstallPlan& plan, FileSystem& files,
                            const PlanProgress& progress = {});

// "a\b\c.txt" -> "a\b\"; "" when there is no folder.
std::string FolderPartOf(const std::string& path);
// True for a name that is a pattern rather than a file name.
bool HasPatternCharacters(const std::string& name);

}  // namespace varnholt
