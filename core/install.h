#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

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

enum class PlaceOutcome {
    Installed,
    AlreadyInPlace,  // the chosen file already is the destination file
    SourceMissing,
    SourceIsFolder,  // the row's path names a folder, which cannot be copied as a file
    DestinationFolderMissing,
    FolderInTheWay,  // a folder of the file's name stands at the destination
    AccessDenied,
    InUse,
    DiskFull,
    Failed,  // RowReport::systemText says why
};

enum class RegisterOutcome {
    Registered,
    ListMissing,
    ListAccessDenied,
    ListInUse,
    ListUnreadable,
    NameNotRepresentable,  // the name has characters the system's code page cannot hold
    Failed,                // RegisterReport::systemText says why
};

struct RegisterReport {
    RegisterOutcome outcome = RegisterOutcome::Registered;
    std::string systemText;
    PluginNameProblem nameProblem = PluginNameProblem::None;  // AMX Mod X would not load it
};

struct RowReport {
    SelectionKind row = SelectionKind::Plugin;
    std::string fileName;
    std::string destination;
    PlaceOutcome outcome = PlaceOutcome::Installed;
    std::string systemText;

    bool placed() const {
        return outcome == PlaceOutcome::Installed || outcome == PlaceOutcome::AlreadyInPlace;
    }
};

// What one install run did, row by row in run order.
struct InstallReport {
    std::vector<RowReport> rows;
    std::optional<RegisterReport> plugin;  // set when the plugin row was handled

    bool allSucceeded() const;
};

// An add-on row's destination folder field, relative to GameRoot.
const std::string& DestinationFolderOf(const InstallerState& state, SelectionKind row);

// Installs every add-on row whose mark is accepted, registering the plugin first.
InstallReport InstallSelected(InstallerState& state, const AddOnRows& rows, FileSystem& files);
// Appends the plugin's file name to the plugin list under GameRoot; never creates the list.
RegisterReport RegisterPlugin(InstallerState& state, const std::string& fileName,
                              FileSystem& files);
// Copies `source` into GameRoot + `folder` as `fileName`, replacing a same-named file.
RowReport PlaceFile(InstallerState& state, const std::string& source, const std::string& folder,
                    const std::string& fileName, FileSystem& files);

}  // namespace varnholt
