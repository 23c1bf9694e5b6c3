#include "core/install.h"

#include "core/companions.h"
#include "core/file_system.h"
#include "core/path_rules.h"
#include "core/plan_executor.h"
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

// What the game will miss, and warnings, for the report: a line each.
std::string DescribeMissing(const RowNeeds& needs) {
    std::string text;
    for (const MissingFile& missing : needs.missing) {
        text += "  缺少 " + missing.name + "：" + missing.effect + "\r\n";
    }
    for (const std::string& warning : needs.warnings) text += "  注意：" + warning + "\r\n";
    return text;
}

}  // namespace

const std::string& DestinationFolderOf(const InstallerState& state, SelectionKind row) {
    return *FieldsOf(state, row).folder;
}

InstallReport InstallSelected(InstallerState& state, const AddOnRows& rows, FileSystem& files) {
    InstallReport report;
    InstallPlan plan;
    plan.gameRoot = state.GameRoot;
    std::optional<RegisterReport> registration;
    for (std::size_t i = 0; i < kAddOnRows.size(); ++i) {
        const SelectionKind row = kAddOnRows[i];
        const AddOnRow& input = rows[i];
        if (!IsAccepted(input.markCaption)) continue;
        const auto fields = FieldsOf(state, row);
        *fields.fileName = FileNameOf(input.path);
        state.DestinationFolder = state.GameRoot + *fields.folder;
        PlanUnit unit;
        // The plugin is registered before its file is copied; the unit takes the entry back
        // when the file cannot be placed.
        if (row == SelectionKind::Plugin) registration = PlanRegistration(*fields.fileName, unit, files);
        // The row's file goes with what it needs to load, read from its own header.
        const RowNeeds needs = NeedsOfRow(row, input.path, *fields.folder, state.GameRoot, files);
        const std::string mainRelative =
            needs.mainRelative.empty() ? *fields.folder + *fields.fileName : needs.mainRelative;
        unit.placements.push_back({input.path, nullptr, mainRelative, needs.createFolders});
        for (const Companion& companion : needs.companions) {
            unit.placements.push_back({companion.source, nullptr, companion.relative, true});
        }
        plan.units.push_back(std::move(unit));

        RowReport placed;
        placed.row = row;
        placed.fileName = *fields.fileName;
        placed.destination = state.GameRoot + mainRelative;
        placed.needs = DescribeMissing(needs);
        for (const Companion& companion : needs.companions) {
            placed.companions.push_back({companion.relative, PlaceOutcome::Installed, {}});
        }
        report.rows.push_back(std::move(placed));
    }

    ExecutionResult done = ExecutePlan(plan, files);
    report.journalFolder = done.journalFolder;
    report.journalProblem = done.journalProblem;
    for (std::size_t u = 0; u < report.rows.size(); ++u) {
        RowReport& row = report.rows[u];
        const UnitResult& unit = done.units[u];
        row.outcome = unit.placements.front().outcome;
        row.systemText = unit.placements.front().systemText;
        row.replaced = unit.placements.front().replaced;
        for (std::size_t c = 0; c < row.companions.size(); ++c) {
            row.companions[c].outcome = unit.placements[c + 1].outcome;
            row.companions[c].systemText = unit.placements[c + 1].systemText;
        }
        if (row.row != SelectionKind::Plugin) continue;
        if (!unit.additions.empty()) {
            const AdditionResult& added = unit.additions.front();
            registration->outcome = added.outcome;
            registration->systemText = added.systemText;
            state.PluginListText = added.listText;
        } else {
            state.PluginListText = "\r\n" + row.fileName;
        }
        report.plugin = registration;
    }
    return report;
}

RegisterReport PlanRegistration(const std::string& fileName, PlanUnit& unit, FileSystem& files) {
    RegisterReport report;
    // A pattern would register every plugin it matches, or none: never written to the list.
    if (HasPatternCharacters(fileName)) {
        report.outcome = RegisterOutcome::NameIsPattern;
        return report;
    }
    const std::optional<std::string> name = files.ToAnsi(fileName);
    report.nameProblem = CheckPluginName(name.value_or(fileName));
    // A name the list's code page cannot hold would reach AMX Mod X garbled: leave it out.
    unit.additions.push_back({std::string(kPluginListPath), name.value_or(fileName),
                              name ? RegisterOutcome::Registered
                                   : RegisterOutcome::NameNotRepresentable});
    return report;
}

}  // namespace varnholt
