// The plugin list update, as an install makes it, on lists of growing size, against the least any
// registration must do (read the whole file, append the line, with plain Win32 calls), in
// one run. Shows the time per registration and per MB of list.
//
//   plugin_list_bench <rounds>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_common.h"
#include "core/install.h"
#include "core/installer_state.h"
#include "core/plan_executor.h"
#include "core/plugin_list.h"
#include "platform/win_file_system.h"

using namespace varnholt;
using namespace varnholt::bench;

namespace {

constexpr char kName[] = "bench_plugin.amxx";

// One registration as an install makes it: the list addition, journalled in its own
// backup folder.
bool Register(const InstallerState& state, WinFileSystem& files) {
    InstallPlan plan;
    plan.gameRoot = state.GameRoot;
    PlanUnit unit;
    unit.additions.push_back({std::string(kPluginListPath), kName});
    plan.units.push_back(std::move(unit));
    return ExecutePlan(plan, files).units[0].additions[0].outcome == RegisterOutcome::Registered;
}

// A plausible list of `size` bytes: comment lines and plugin lines with options.
std::string ListOf(std::size_t size) {
    std::string text;
    text.reserve(size + 64);
    for (unsigned n = 0; text.size() < size; ++n) {
        char line[64];
        const int length = n % 16 == 0
                               ? std::snprintf(line, sizeof line, "; section %u\r\n", n / 16)
                               : std::snprintf(line, sizeof line, "plugin_%06u.amxx%s\r\n", n,
                                               n % 5 == 0 ? " debug" : "");
        text.append(line, static_cast<std::size_t>(length));
    }
    text.resize(size);
    text.replace(size - 2, 2, "\r\n");
    return text;
}

// The least a registration does: read all, append CR LF and the name at the end.
bool PlainAppend(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file.get(), &size) != FALSE;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ok = ok && ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    const std::string line = std::string("\r\n") + kName;
    DWORD wrote = 0;
    ok = ok && WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
    return ok;
}

struct Size {
    std::size_t bytes;
    const char* label;
    int batch;  // registrations per timed batch
    std::vector<double> register_;  // seconds per registration, one per round
    std::vector<double> plain;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    ScratchFolder scratch("varnholt-bench-list");
    const std::wstring game = scratch.path() + L"\\game";
    const std::wstring configs = game + L"\\cstrike\\addons\\amxmodx\\configs";
    MakeFolders(configs);
    const std::wstring list = configs + L"\\plugins.ini";
    InstallerState state;
    FillDestinationFolders(state);
    state.GameRoot = Narrow(game) + "\\";
    WinFileSystem files;

    std::vector<Size> sizes = {
        {64u << 10, "64 KB", 0, {}, {}},
        {256u << 10, "256 KB", 0, {}, {}},
        {1u << 20, "1 MB", 0, {}, {}},
        {4u << 20, "4 MB", 0, {}, {}},
    };
    // About 32 MB of list read per batch, at least 8 registrations.
    for (Size& size : sizes) size.batch = static_cast<int>(std::max<std::size_t>(8, (32u << 20) / size.bytes));

    Print("== plugin list update: registration on a fresh list of each size, %d rounds; "
          "each batch is consecutive registrations on one list\n", rounds);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            // Rotate the order of sizes and sides from round to round.
            Size& size = sizes[(k + static_cast<std::size_t>(round)) % sizes.size()];
            const std::string content = ListOf(size.bytes);
            for (int side = 0; side < 2; ++side) {
                const bool doRegister = (side == 0) == (round % 2 == 0);
                if (!WriteWholeFile(list, content)) {
                    Print("error: cannot write the list\n");
                    Summary("plugin list: FAILED");
                    return 1;
                }
                bool ok = true;
                const double started = Now();
                for (int i = 0; i < size.batch; ++i) {
                    if (doRegister) {
                        ok = Register(state, files) && ok;
                    } else {
                        ok = PlainAppend(list) && ok;
                    }
                }
                const double each = (Now() - started) / size.batch;
                const long long expected =
                    static_cast<long long>(size.bytes + size.batch * (2 + sizeof kName - 1));
                if (!ok || FileSizeOf(list) != expected) {
                    Print("error: %s on %s did not append every line\n",
                          doRegister ? "registration" : "plain append", size.label);
                    Summary("plugin list: FAILED");
                    return 1;
                }
                (doRegister ? size.register_ : size.plain).push_back(each);
            }
        }
    }

    Print("%-7s %6s %16s %16s %10s %14s %14s\n", "list", "batch", "registration", "plain append",
          "ratio", "per MB", "x vs previous");
    const Size* previous = nullptr;
    for (const Size& size : sizes) {
        const Spread r = SpreadOf(size.register_);
        const Spread p = SpreadOf(size.plain);
        const Spread ratio = SpreadOf(Ratios(size.register_, size.plain));
        const double megabytes = static_cast<double>(size.bytes) / (1u << 20);
        char growth[32] = "";
        if (previous) {
            std::snprintf(growth, sizeof growth, "%.2f (size x%.0f)",
                          r.median / SpreadOf(previous->register_).median,
                          static_cast<double>(size.bytes) / static_cast<double>(previous->bytes));
        }
        Print("%-7s %6d %13.3f ms %13.3f ms %10.3f %11.3f ms %14s\n", size.label, size.batch,
              r.median * 1e3, p.median * 1e3, ratio.median, r.median * 1e3 / megabytes, growth);
        Print("        range   registration %.3f..%.3f ms, ratio %.3f..%.3f\n", r.min * 1e3,
              r.max * 1e3, ratio.min, ratio.max);
        Summary("plugin list %-6s: registration %.3f ms per registration (%.3f ms per MB), "
                "plain read+append %.3f ms, ratio median %.3f (min %.3f, max %.3f)",
                size.label, r.median * 1e3, r.median * 1e3 / megabytes, p.median * 1e3,
                ratio.median, ratio.min, ratio.max);
        previous = &size;
    }

    // Linear growth: each size is four times the one before, so is its time per registration.
    std::string growth;
    for (std::size_t k = 1; k < sizes.size(); ++k) {
        char step[96];
        std::snprintf(step, sizeof step, "%s%s->%s x%.2f", k > 1 ? ", " : "", sizes[k - 1].label,
                      sizes[k].label,
                      SpreadOf(sizes[k].register_).median / SpreadOf(sizes[k - 1].register_).median);
        growth += step;
    }
    Print("growth of the time per registration (each size x4): %s\n", growth.c_str());
    Summary("plugin list growth (each size x4): %s", growth.c_str());
    return 0;
}
