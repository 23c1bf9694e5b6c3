// Start-up: the time from starting a process to its first visible top-level window, for the
// real program and for a minimal window program, started alternately in one run.
//
//   startup_bench <runs> <program.exe> <baseline.exe>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "ui/site.h"

using namespace varnholt::bench;

namespace {

struct Side {
    std::wstring program;
    std::vector<double> seconds;
    std::wstring className;
};

// One start: the time until the window shows, or a negative figure on failure.
double StartOnce(Side& side) {
    ChildProcess child;
    const double started = Now();
    if (!child.Start(side.program)) return -1;
    HWND window = WaitForVisibleWindow(child, nullptr, 30);
    const double elapsed = Now() - started;
    if (!window) return -1;
    if (side.className.empty()) side.className = ClassNameOf(window);
    child.Terminate();
    // Let the server and the display finish with the ended process before the next start.
    Sleep(150);
    return elapsed;
}

// In a process started like the programs: how long the shell's "open" of the site address
// takes there, and what it returns.
void ProbeSiteOpening() {
    const std::wstring address = Widen(std::string(varnholt::kSiteAddress));
    std::vector<double> times;
    INT_PTR code = 0;
    for (int i = 0; i < 5; ++i) {
        const double started = Now();
        code = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        times.push_back(Now() - started);
    }
    const Spread spread = SpreadOf(times);
    // Above 32 the shell started the browser helper; at most 32 it reported a failure.
    Print("site opening as the started programs see it: ShellExecuteW returned %lld (%s), "
          "median %.1f ms (min %.1f, max %.1f) over %zu calls\n",
          static_cast<long long>(code),
          code > 32 ? "the browser helper ran" : "no browser helper started", spread.median * 1e3,
          spread.min * 1e3, spread.max * 1e3, times.size());
    if (code > 32) {
        Print("note: to keep browsers out of the bench, start Wine with winebrowser.exe=d in "
              "WINEDLLOVERRIDES (scripts/bench.sh does)\n");
    }
    Summary("start-up: ShellExecuteW of the site in a started process %.1f ms median, returned %lld (%s)",
            spread.median * 1e3, static_cast<long long>(code),
            code > 32 ? "browser helper ran" : "no browser helper");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--probe-site") {
        ProbeSiteOpening();
        return 0;
    }
    if (argc < 4) {
        Print("usage: startup_bench <runs> <program.exe> <baseline.exe>\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    Side program{argv[2], {}, {}};
    Side baseline{argv[3], {}, {}};

    Print("== start-up: process start to visible main window, %d alternating pairs\n", runs);
    Print("program:  %s\nbaseline: %s\n", Narrow(program.program).c_str(),
          Narrow(baseline.program).c_str());
    // Warm-up starts bring both files and Wine's libraries into the page cache.
    for (int i = 0; i < 2; ++i) {
        if (StartOnce(program) < 0 || StartOnce(baseline) < 0) {
            Print("error: a program did not show a window\n");
            Summary("start-up: FAILED, no visible window");
            return 1;
        }
    }
    Print("windows found: program \"%s\", baseline \"%s\"\n", Narrow(program.className).c_str(),
          Narrow(baseline.className).c_str());

    for (int i = 0; i < runs; ++i) {
        // The order alternates so neither side always runs first after the pause.
        Side& first = i % 2 ? baseline : program;
        Side& second = i % 2 ? program : baseline;
        const double a = StartOnce(first);
        const double b = StartOnce(second);
        if (a < 0 || b < 0) {
            Print("error: run %d: a program did not show a window\n", i + 1);
            Summary("start-up: FAILED, no visible window");
            return 1;
        }
        first.seconds.push_back(a);
        second.seconds.push_back(b);
        Print("  run %2d: program %7.1f ms   empty window %7.1f ms   ratio %.3f\n", i + 1,
              program.seconds.back() * 1e3, baseline.seconds.back() * 1e3,
              program.seconds.back() / baseline.seconds.back());
    }
    const Comparison c = PrintComparison("program      ", program.seconds, "empty window ",
                                         baseline.seconds, "program / empty window", 1.2);
    const Spread& p = c.first;
    const Spread& b = c.second;
    const Spread& r = c.ratio;
    Summary("start-up ratio program/empty window: median %.3f (min %.3f, max %.3f; %.1f vs %.1f ms) "
            "target <= 1.2 %s",
            r.median, r.min, r.max, p.median * 1e3, b.median * 1e3, r.median <= 1.2 ? "MET" : "NOT MET");
    // The same opening the program does at start-up, in a process started the same way.
    ChildProcess probe;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!probe.Start(self, L"--probe-site", true) || !probe.WaitForExit(60000)) {
        Print("error: the site opening probe did not finish\n");
    }
    return 0;
}
