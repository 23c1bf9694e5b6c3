#include "core/install.h"

#include "core/file_system.h"
#include "core/path_rules.h"
#include "core/plugin_list.h"

namespace varnholt {

void FillDestinationFolders(InstallerState& state) {
    state.PluginFolder = "cstrike\\addons\\amxmodx\\plugins\\";
    state.ModelFolder = "cstrike\\models\\";
    state.EffectFolder = "cstrike\\sprites\\";
    state.MapFolder = "cstrike\\maps\\";
}

bool InstallReport::allSucceeded() const {
    for (const RowReport& row : rows) {
        if (!row.placed()) return false;
    }
    return !plugin || plugin->outcome == RegisterOutcome::Registered;
}

namespace {

// An add-on row's folder and file-name fields; const when the state is.
template <typename State>
auto FieldsOf(State& state, SelectionKind row) {
    struct Fields {
        decltype(&state.PluginFolder) folder;
        decltype(&state.PluginFileName) fileName;
    };
    switch (row) {
        case SelectionKind::Model: return Fields{&state.ModelFolder, &state.ModelFileName};
        case SelectionKind::Effect: return Fields{&state.EffectFolder, &state.EffectFileName};
        case SelectionKind::Map: return Fields{&state.MapFolder, &state.MapFileName};
        case SelectionKind::Plugin:
        case SelectionKind::Game: break;
    }
    return Fields{&state.PluginFolder, &state.PluginFileName};
}

RegisterReport ListFailure(const FileResult& result) {
    switch (result.error) {
        case FileError::NotFound:
        case FileError::PathNotFound: return {RegisterOutcome::ListMissing, {}};
        case FileError::AccessDenied: return {RegisterOutcome::ListAccessDenied, {}};
        case FileError::SharingViolation: return {RegisterOutcome::ListInUse, {}};
        default: return {RegisterOutcome::Failed, result.systemText};
    }
}

PlaceOutcome CopyFailure(const FileResult& result) {
    switch (result.error) {
        case FileError::AccessDenied: return PlaceOutcome::AccessDenied;
        case FileError::SharingViolation: return PlaceOutcome::InUse;
        case FileError::DiskFull: return PlaceOutcome::DiskFull;
        case FileError::NotFound: return PlaceOutcome::SourceMissing;
        case FileError::PathNotFound: return PlaceOutcome::DestinationFolderMissing;
        default: return PlaceOutcome::Failed;
    }
}

}  // namespace

const std::string& DestinationFolderOf(const InstallerState& state, SelectionKind row) {
    return *FieldsOf(state, row).folder;
}

InstallReport InstallSelected(InstallerState& state, const AddOnRows& rows, FileSystem& files) {
    InstallReport report;
    for (std::size_t i = 0; i < kAddOnRows.size(); ++i) {
        const SelectionKind row = kAddOnRows[i];
        const AddOnRow& input = rows[i];
        if (!IsAccepted(input.markCaption)) continue;
        const auto fields = FieldsOf(state, row);
        *fields.fileName = FileNameOf(input.path);
        // The plugin is registered before its file is copied.
        if (row == SelectionKind::Plugin) {
            report.plugin = RegisterPlugin(state, *fields.fileName, files);
        }
        RowReport placed = PlaceFile(state, input.path, *fields.folder, *fields.fileName, files);
        placed.row = row;
        report.rows.push_back(std::move(placed));
    }
    return report;
}

namespace {

RegisterReport RegisterInList(InstallerState& state, const std::optional<std::string>& name,
                              const std::string& fileName, FileSystem& files) {
    OpenResult opened = files.OpenExisting(state.GameRoot + std::string(kPluginListPath));
    std::optional<std::string> content;
    if (opened.file) content = opened.file->ReadAll();
    const bool readable = content.has_value();
    // The list can be megabytes: it is moved, not copied, on its way to PluginListText.
    std::string old = content ? std::move(*content) : std::string();
    const ListAppend append = ComposeListAppend(old, name.value_or(fileName));
    old.resize(append.offset);
    old += append.bytes;
    state.PluginListText = std::move(old);

    if (!opened.file) return ListFailure(opened.result);
    if (!readable) return {RegisterOutcome::ListUnreadable, {}};
    // A name the list's code page cannot hold would reach AMX Mod X garbled: leave it out.
    if (!name) return {RegisterOutcome::NameNotRepresentable, {}};
    const FileResult written = opened.file->WriteAt(append.offset, append.bytes);
    if (!written.ok()) return ListFailure(written);
    return {RegisterOutcome::Registered, {}};
}

}  // namespace

RegisterReport RegisterPlugin(InstallerState& state, const std::string& fileName,
                              FileSystem& files) {
    const std::optional<std::string> name = files.ToAnsi(fileName);
    RegisterReport report = RegisterInList(state, name, fileName, files);
    report.nameProblem = CheckPluginName(name.value_or(fileName));
    return report;
}

RowReport PlaceFile(InstallerState& state, const std::string& source, const std::string& folder,
                    const std::string& fileName, FileSystem& files) {
    state.DestinationFolder = state.GameRoot + folder;
    RowReport report;
    report.fileName = fileName;
    report.destination = state.DestinationFolder + fileName;

    // Deleting the destination first would remove the only copy when the user picked the
    // file inside the game's own folder; the identity test catches every spelling of it.
    if (files.SameFile(source, report.destination)) {
        report.outcome = PlaceOutcome::AlreadyInPlace;
        return report;
    }
    if (!files.Exists(source)) {
        report.outcome = PlaceOutcome::SourceMissing;
        return report;
    }
    if (files.IsFolder(source)) {
        report.outcome = PlaceOutcome::SourceIsFolder;
        return report;
    }
    if (!files.IsFolder(state.DestinationFolder)) {
        report.outcome = PlaceOutcome::DestinationFolderMissing;
        return report;
    }
    if (files.IsFolder(report.destination)) {
        report.outcome = PlaceOutcome::FolderInTheWay;
        return report;
    }
    const FileResult copied = files.CopyReplacing(source, report.destination);
    if (!copied.ok()) {
        report.outcome = CopyFailure(copied);
        report.systemText = copied.systemText;
    }
    return report;
}

}  // namespace varnholt
