#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/install_plan.h"
#include "core/file_system.h"
#include "core/installer_state.h"
#include "core/plugin_list.h"
#include "core/selection.h"

namespace varnholt {

class FileSystem;

// One add-on row as the install run sees it: its mark's caption and its box's text.
struct AddOnRow {
    std::string markCaption;
    std::string path;
};

// The four add-on rows in install order: plugin, model, effect, map.
using AddOnRows = std::array<AddOnRow, 4>;

struct RegisterReport {
    RegisterOutcome outcome = RegisterOutcome::Registered;
    std::string systemText;
    PluginNameProblem nameProblem = PluginNameProblem::None;  // AMX Mod X would not load it
};

// A file installed together with a row's own file.
struct CompanionReport {
    std::string relative;  // below the game folder
    PlaceOutcome outcome = PlaceOutcome::Installed;
    std::string systemText;
};

struct RowReport {
    SelectionKind row = SelectionKind::Plugin;
    std::string fileName;
    std::string destination;
    PlaceOutcome outcome = PlaceOutcome::Installed;
    std::string systemText;
    bool replaced = false;  // the old file is kept in the install's backup folder
    std::vector<CompanionReport> companions;
    std::string needs;  // what the file needs and lacks, and warnings, a line each

    bool placed() const {
        return outcome == PlaceOutcome::Installed || outcome == PlaceOutcome::AlreadyInPlace;
    }
};

// What one install run did, row by row in run order.
struct InstallReport {
    std::vector<RowReport> rows;
    std::optional<RegisterReport> plugin;  // set when the plugin row was handled
    std::string journalFolder;  // the install's backup folder below the game; empty if none
    FileResult journalProblem;  // why no backup folder could be made (nothing was touched)

    bool allSucceeded() const;
};

// An add-on row's destination folder field, relative to GameRoot.
const std::string& DestinationFolderOf(const InstallerState& state, SelectionKind row);

// Installs every add-on row whose mark is accepted, registering the plugin first.
InstallReport InstallSelected(InstallerState& state, const AddOnRows& rows, FileSystem& files);
// The plugin row's registration: the list addition for `unit`, or why there is none.
RegisterReport PlanRegistration(const std::string& fileName, PlanUnit& unit, FileSystem& files);

}  // namespace varnholt
