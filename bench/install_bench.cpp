// Install: InstallSelected with all four add-on rows accepted, against plain CopyFileW of the
// same four files to the same destinations, alternately in one process. Once onto empty
// destination folders, once over files already there (the install keeping the old ones as
// backups); then the undo of such an install against the install.
//
//   install_bench <pairs>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "tests/win/temp_folder.h"
#include "core/install.h"
#include "core/installer_state.h"
#include "core/selection.h"
#include "core/undo.h"
#include "platform/win_file_system.h"

using namespace varnholt;
using namespace varnholt::bench;

namespace {

struct AddOn {
    const wchar_t* name;
    const wchar_t* folder;  // under the game folder
    std::uint64_t size;
};

// In install order: plugin, model, sprite, map.
const AddOn kAddOns[] = {
    {L"bench_plugin.amxx", L"cstrike\\addons\\amxmodx\\plugins", 20ull << 10},
    {L"bench_model.mdl", L"cstrike\\models", 3ull << 20},
    {L"bench_sprite.spr", L"cstrike\\sprites", 300ull << 10},
    {L"de_bench.bsp", L"cstrike\\maps", 200ull << 20},
};

const char kListText[] =
    "; AMX Mod X plugins\r\n"
    "admin.amxx\r\nadmincmd.amxx\r\nadminhelp.amxx\r\nadminslots.amxx\r\nmultilingual.amxx\r\n"
    "menufront.amxx\r\ncmdmenu.amxx\r\nplmenu.amxx\r\nmapsmenu.amxx\r\npluginmenu.amxx\r\n"
    "adminchat.amxx\r\nantiflood.amxx\r\nscrollmsg.amxx\r\nimessage.amxx\r\nadminvote.amxx\r\n"
    "nextmap.amxx\r\nmapchooser.amxx\r\ntimeleft.amxx\r\npausecfg.amxx\r\nstatscfg.amxx\r\n";

class Bench {
public:
    Bench() : scratch_("varnholt-bench") {}

    bool Prepare() {
        if (scratch_.path().empty()) return false;
        game_ = scratch_ / L"game";
        const std::wstring sources = scratch_ / L"sources";
        MakeFolders(sources);
        MakeFolders(game_ + L"\\cstrike\\addons\\amxmodx\\configs");
        WriteWholeFile(game_ + L"\\hl.exe", "MZ");
        for (const AddOn& addOn : kAddOns) {
            MakeFolders(game_ + L"\\" + addOn.folder);
            const std::wstring source = sources + L"\\" + addOn.name;
            if (!WriteFilledFile(source, addOn.size, static_cast<std::uint32_t>(addOn.size))) return false;
            sources_.push_back(source);
            destinations_.push_back(game_ + L"\\" + addOn.folder + L"\\" + addOn.name);
        }
        list_ = game_ + L"\\cstrike\\addons\\amxmodx\\configs\\plugins.ini";
        FillDestinationFolders(state_);
        state_.GameRoot = Narrow(game_) + "\\";
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            rows_[i] = {std::string(kAcceptedCaption), Narrow(sources_[i])};
        }
        return ResetList();
    }

    bool ResetList() {
        const bool ok = WriteWholeFile(list_, kListText);
        FlushToDisk(list_);
        return ok;
    }

    // Puts what the last run wrote on the disk, so no run pays for the one before it and a
    // file to be replaced is one long written, as a player's would be.
    void FlushDestinations() {
        for (const std::wstring& destination : destinations_) FlushToDisk(destination);
        FlushToDisk(list_);
    }

    // Every install keeps what it replaced; the bench's game must not fill the disk with it.
    void RemoveBackups() { testing::RemoveTree(game_ + L"\\varnholt-backup"); }
    // Takes the newest install back, timed; a negative figure when it did not restore it all.
    double TimeUndo() {
        const double started = Now();
        const std::optional<PendingUndo> last = FindLastInstall(state_.GameRoot, files_);
        const bool complete = last && UndoInstall(state_.GameRoot, *last, files_).complete;
        const double elapsed = Now() - started;
        return complete ? elapsed : -1;
    }
    void RemoveDestinations() {
        for (const std::wstring& destination : destinations_) DeleteFileW(destination.c_str());
    }

    // Each side's work, timed; a negative figure when it did not do the whole job.
    double TimeInstall() {
        ResetList();
        const double started = Now();
        const InstallReport report = InstallSelected(state_, rows_, files_);
        const double elapsed = Now() - started;
        const bool complete = report.allSucceeded() && report.rows.size() == 4 &&
                              report.plugin && Installed();
        return complete ? elapsed : -1;
    }

    double TimePlainCopy() {
        ResetList();
        const double started = Now();
        bool ok = true;
        for (std::size_t i = 0; i < sources_.size(); ++i) {
            ok = CopyFileW(sources_[i].c_str(), destinations_[i].c_str(), FALSE) && ok;
        }
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

private:
    bool Installed() const {
        for (std::size_t i = 0; i < destinations_.size(); ++i) {
            if (FileSizeOf(destinations_[i]) != static_cast<long long>(kAddOns[i].size)) return false;
        }
        return true;
    }

    ScratchFolder scratch_;
    std::wstring game_;
    std::wstring list_;
    std::vector<std::wstring> sources_;
    std::vector<std::wstring> destinations_;
    InstallerState state_;
    AddOnRows rows_;
    WinFileSystem files_;
};

// Runs `pairs` alternating pairs; `fresh` removes the destinations before every run, else
// every run finds them in place. Prints the figures; false on a failed run.
bool Measure(Bench& bench, int pairs, bool fresh, const char* title, const char* key) {
    Print("== install, %s: %d alternating pairs\n", title, pairs);
    std::vector<double> install;
    std::vector<double> plain;
    auto prepare = [&] {
        if (fresh) {
            bench.RemoveDestinations();
        } else {
            bench.TimePlainCopy();  // puts every destination in place (already there after a run)
            bench.FlushDestinations();
        }
    };
    // A warm-up pair, not counted.
    prepare();
    if (bench.TimeInstall() < 0) return false;
    prepare();
    if (bench.TimePlainCopy() < 0) return false;
    bench.FlushDestinations();
    for (int i = 0; i < pairs; ++i) {
        const bool installFirst = i % 2 == 0;
        double a = 0;
        double b = 0;
        for (int side = 0; side < 2; ++side) {
            if (fresh) bench.RemoveDestinations();
            const bool doInstall = (side == 0) == installFirst;
            const double t = doInstall ? bench.TimeInstall() : bench.TimePlainCopy();
            if (t < 0) {
                Print("error: %s did not install every file\n", doInstall ? "InstallSelected" : "CopyFileW");
                return false;
            }
            (doInstall ? a : b) = t;
            bench.FlushDestinations();
            bench.RemoveBackups();
        }
        install.push_back(a);
        plain.push_back(b);
        Print("  run %2d: InstallSelected %7.1f ms   CopyFileW x4 %7.1f ms   ratio %.3f\n", i + 1,
              a * 1e3, b * 1e3, a / b);
    }
    const Comparison c = PrintComparison("InstallSelected ", install, "CopyFileW x4    ", plain,
                                         "InstallSelected / CopyFileW", fresh ? 1.1 : 1.0);
    const Spread& s = c.first;
    const Spread& p = c.second;
    const Spread& r = c.ratio;
    Summary("install (%s) ratio InstallSelected/CopyFileW: median %.3f (min %.3f, max %.3f; "
            "%.1f vs %.1f ms) target <= %.1f %s",
            key, r.median, r.min, r.max, s.median * 1e3, p.median * 1e3, fresh ? 1.1 : 1.0,
            r.median <= (fresh ? 1.1 : 1.0) ? "MET" : "NOT MET");
    return true;
}

// An undo of an install over existing files, against that install.
bool MeasureUndo(Bench& bench, int pairs) {
    Print("== undo of an install over existing files: %d runs\n", pairs);
    std::vector<double> undo;
    std::vector<double> install;
    for (int i = 0; i < pairs; ++i) {
        bench.TimePlainCopy();
        bench.FlushDestinations();
        const double in = bench.TimeInstall();
        bench.FlushDestinations();
        const double back = bench.TimeUndo();
        if (in < 0 || back < 0) {
            Print("error: the install or its undo did not complete\n");
            return false;
        }
        install.push_back(in);
        undo.push_back(back);
        bench.RemoveBackups();
        Print("  run %2d: undo %7.1f ms   install %7.1f ms   ratio %.3f\n", i + 1, back * 1e3,
              in * 1e3, back / in);
    }
    const Comparison c = PrintComparison("undo            ", undo, "install         ", install,
                                         "undo / install", 0.1);
    Summary("undo ratio undo/install: median %.3f (min %.3f, max %.3f; %.1f vs %.1f ms) "
            "target <= 0.1 %s",
            c.ratio.median, c.ratio.min, c.ratio.max, c.first.median * 1e3,
            c.second.median * 1e3, c.ratio.median <= 0.1 ? "MET" : "NOT MET");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int pairs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    Bench bench;
    Print("== install: preparing a game folder and sources (200 MB map, 3 MB model, "
          "300 KB sprite, 20 KB plugin)\n");
    if (!bench.Prepare()) {
        Print("error: could not prepare the scratch folder\n");
        Summary("install: FAILED to prepare");
        return 1;
    }
    bool ok = Measure(bench, pairs, true, "empty destination folders", "new files");
    ok = ok && Measure(bench, pairs, false, "every destination already present", "replacing");
    ok = ok && MeasureUndo(bench, pairs);
    if (!ok) Summary("install: FAILED");
    return ok ? 0 : 1;
}
