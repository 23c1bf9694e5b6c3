// Memory: the peak working set of the running program after an install, as the system
// reports it, next to that of the minimal window program. The program is copied into a
// scratch folder that also holds a game tree; its boxes are filled and 执行 pressed by
// messages, and the report box is confirmed.
//
//   memory_bench <runs> <program.exe> <baseline.exe>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "core/selection.h"
#include "ui/layout.h"

using namespace varnholt;
using namespace varnholt::bench;

namespace {

struct AddOn {
    SelectionKind row;
    const wchar_t* name;
    const wchar_t* folder;
    std::uint64_t size;
};

const AddOn kAddOns[] = {
    {SelectionKind::Plugin, L"bench_plugin.amxx", L"cstrike\\addons\\amxmodx\\plugins", 20ull << 10},
    {SelectionKind::Model, L"bench_model.mdl", L"cstrike\\models", 3ull << 20},
    {SelectionKind::Effect, L"bench_sprite.spr", L"cstrike\\sprites", 300ull << 10},
    {SelectionKind::Map, L"de_bench.bsp", L"cstrike\\maps", 200ull << 20},
};

const char kListText[] = "; AMX Mod X plugins\r\nadmin.amxx\r\nadmincmd.amxx\r\n";

struct Memory {
    double peakMb = -1;
    double currentMb = -1;
};

Memory MemoryOf(DWORD processId) {
    Memory memory;
    const UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return memory;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) {
        memory.peakMb = static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
        memory.currentMb = static_cast<double>(counters.WorkingSetSize) / (1 << 20);
    }
    return memory;
}

HWND ControlOf(HWND window, ControlRole role) { return GetDlgItem(window, ControlIdOf(role)); }

struct Folder {
    std::wstring app;
    std::wstring sources;
    std::wstring program;
};

class Run {
public:
    explicit Run(const Folder& folder) : folder_(folder) {}

    void Reset() {
        for (const AddOn& addOn : kAddOns) {
            DeleteFileW((folder_.app + L"\\" + addOn.folder + L"\\" + addOn.name).c_str());
        }
        WriteWholeFile(folder_.app + L"\\cstrike\\addons\\amxmodx\\configs\\plugins.ini", kListText);
    }

    bool Installed() const {
        for (const AddOn& addOn : kAddOns) {
            if (FileSizeOf(folder_.app + L"\\" + addOn.folder + L"\\" + addOn.name) !=
                static_cast<long long>(addOn.size)) {
                return false;
            }
        }
        const std::string list =
            ReadWholeFile(folder_.app + L"\\cstrike\\addons\\amxmodx\\configs\\plugins.ini");
        return list == std::string(kListText) + "\r\nbench_plugin.amxx";
    }

    // One start, fill, install and confirm; the peak working set after it, or -1.
    double Measure(bool verbose) {
        Reset();
        ChildProcess child;
        if (!child.Start(folder_.program)) return Fail("the program did not start");
        HWND window = WaitForVisibleWindow(child, L"VarnholtMainWindow", 60);
        if (!window) return Fail("the main window did not show");
        const Memory atStart = MemoryOf(child.id());

        auto write = [&](SelectionKind row, const std::wstring& text) {
            HWND box = ControlOf(window, RoleOf(row, ControlKind::Box));
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        };
        write(SelectionKind::Game, folder_.app + L"\\hl.exe");
        for (const AddOn& addOn : kAddOns) write(addOn.row, folder_.sources + L"\\" + addOn.name);
        for (SelectionKind row : kAllRows) {
            const std::wstring mark = TextOf(ControlOf(window, RoleOf(row, ControlKind::Mark)));
            if (Narrow(mark) != kAcceptedCaption) return Fail("a row was not accepted");
        }
        HWND install = ControlOf(window, ControlRole::InstallButton);
        if (!IsWindowEnabled(install)) return Fail("the install button stayed disabled");

        // Posted: the click runs the install and then the modal report box.
        PostMessageW(install, BM_CLICK, 0, 0);
        HWND box = WaitForVisibleWindow(child, L"#32770", 120);
        if (!box) return Fail("no report box appeared");
        const Memory afterInstall = MemoryOf(child.id());
        std::wstring report;
        for (HWND part = GetWindow(box, GW_CHILD); part; part = GetWindow(part, GW_HWNDNEXT)) {
            if (ClassNameOf(part) == L"Static" && GetDlgCtrlID(part) != 20 /* icon */) {
                const std::wstring text = TextOf(part);
                if (text.size() > report.size()) report = text;
            }
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 5000 && IsWindow(box); ++i) Sleep(1);
        if (IsWindow(box)) return Fail("the report box did not close");
        const Memory afterBox = MemoryOf(child.id());
        PostMessageW(window, WM_CLOSE, 0, 0);
        const bool closed = child.WaitForExit(10000);
        child.Terminate();
        if (!Installed()) return Fail("the files were not installed");

        if (verbose) {
            Print("report box text:\n%s\n", Narrow(report).c_str());
            Print("program closed by WM_CLOSE: %s\n", closed ? "yes" : "no (terminated)");
        }
        Print("  program: peak working set %.1f MB at start-up, %.1f MB after the install "
              "(working set %.1f MB), %.1f MB after the report box\n",
              atStart.peakMb, afterInstall.peakMb, afterInstall.currentMb, afterBox.peakMb);
        return std::max(afterInstall.peakMb, afterBox.peakMb);
    }

private:
    static double Fail(const char* why) {
        Print("error: %s\n", why);
        return -1;
    }
    Folder folder_;
};

double MeasureBaseline(const std::wstring& program) {
    ChildProcess child;
    if (!child.Start(program)) return -1;
    if (!WaitForVisibleWindow(child, nullptr, 30)) return -1;
    Sleep(200);  // as long as it takes to settle
    const Memory memory = MemoryOf(child.id());
    child.Terminate();
    Print("  empty window: peak working set %.1f MB\n", memory.peakMb);
    return memory.peakMb;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        Print("usage: memory_bench <runs> <program.exe> <baseline.exe>\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    ScratchFolder scratch("varnholt-bench-memory");
    Folder folder;
    folder.app = scratch / L"game";
    folder.sources = scratch / L"sources";
    folder.program = folder.app + L"\\varnholt.exe";
    MakeFolders(folder.sources);
    MakeFolders(folder.app + L"\\cstrike\\addons\\amxmodx\\configs");
    bool ok = CopyFileW(argv[2], folder.program.c_str(), FALSE) &&
              WriteWholeFile(folder.app + L"\\hl.exe", "MZ");
    for (const AddOn& addOn : kAddOns) {
        MakeFolders(folder.app + L"\\" + addOn.folder);
        ok = ok && WriteFilledFile(folder.sources + L"\\" + addOn.name, addOn.size,
                                   static_cast<std::uint32_t>(addOn.size));
    }
    if (!ok) {
        Print("error: could not prepare the scratch folder\n");
        Summary("memory: FAILED to prepare");
        return 1;
    }

    Print("== memory: peak working set (GetProcessMemoryInfo) of the program after an install "
          "of the four add-ons (200 MB map), %d runs alternating with the empty window\n", runs);
    Run run(folder);
    std::vector<double> program;
    std::vector<double> baseline;
    for (int i = 0; i < runs; ++i) {
        const double p = run.Measure(i == 0);
        const double b = MeasureBaseline(argv[3]);
        if (p < 0 || b < 0) {
            Summary("memory: FAILED");
            return 1;
        }
        program.push_back(p);
        baseline.push_back(b);
    }
    const Spread p = SpreadOf(program);
    const Spread b = SpreadOf(baseline);
    const Spread r = SpreadOf(Ratios(program, baseline));
    Print("program after install  median %.1f MB  (min %.1f, max %.1f)\n", p.median, p.min, p.max);
    Print("empty window           median %.1f MB  (min %.1f, max %.1f)\n", b.median, b.min, b.max);
    Print("ratio: median %.3f  (min %.3f, max %.3f)\n", r.median, r.min, r.max);
    Summary("memory: peak working set after an install %.1f MB (min %.1f, max %.1f); "
            "empty window %.1f MB; ratio %.3f",
            p.median, p.min, p.max, b.median, r.median);
    return 0;
}
