// Map install: InstallSelected with only the map row accepted, a 200 MB map bringing its wad,
// six sky images, its .res with the two files it lists and the sounds, model and sprite its
// entities name, against CopyFileW of exactly those files to the same destinations,
// alternately in one process. Each run starts on a game without any of them.
//
//   map_bench <pairs>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/bench_common.h"
#include "core/install.h"
#include "core/installer_state.h"
#include "core/selection.h"
#include "platform/win_file_system.h"
#include "tests/core/format_builders.h"

using namespace varnholt;
using namespace varnholt::bench;

namespace {

constexpr double kTarget = 1.1;
constexpr std::uint64_t kMapSize = 200ull << 20;
constexpr std::uint64_t kSkySize = 256 * 256 * 3 + 18;  // a 256 x 256 true-colour targa

const char kEntities[] =
    "{\n\"classname\" \"worldspawn\"\n\"wad\" \"\\half-life\\cstrike\\bench.wad\"\n"
    "\"skyname\" \"benchsky\"\n}\n"
    "{\n\"classname\" \"ambient_generic\"\n\"message\" \"ambience/benchwind.wav\"\n}\n"
    "{\n\"classname\" \"cycler\"\n\"model\" \"models/benchtree.mdl\"\n}\n"
    "{\n\"classname\" \"env_sprite\"\n\"model\" \"sprites/benchglow.spr\"\n}\n";

const char kResourceList[] = "// de_benchmap\r\nsound/bench/siren.wav\r\nmodels/benchcrate.mdl\r\n";

struct MapFile {
    std::wstring source;       // below the map's tree
    std::wstring destination;  // below the game
    std::uint64_t size = 0;    // 0: written by Prepare itself
};

// The map first, then every companion it brings.
std::vector<MapFile> MapFiles() {
    std::vector<MapFile> files = {
        {L"maps\\de_benchmap.bsp", L"cstrike\\maps\\de_benchmap.bsp", 0},
        {L"bench.wad", L"cstrike\\bench.wad", 3ull << 20},
        {L"maps\\de_benchmap.res", L"cstrike\\maps\\de_benchmap.res", 0},
        {L"sound\\bench\\siren.wav", L"cstrike\\sound\\bench\\siren.wav", 180ull << 10},
        {L"models\\benchcrate.mdl", L"cstrike\\models\\benchcrate.mdl", 400ull << 10},
        {L"sound\\ambience\\benchwind.wav", L"cstrike\\sound\\ambience\\benchwind.wav",
         600ull << 10},
        {L"models\\benchtree.mdl", L"cstrike\\models\\benchtree.mdl", 900ull << 10},
        {L"sprites\\benchglow.spr", L"cstrike\\sprites\\benchglow.spr", 40ull << 10},
    };
    for (const wchar_t* side : {L"up", L"dn", L"lf", L"rt", L"ft", L"bk"}) {
        const std::wstring image = std::wstring(L"gfx\\env\\benchsky") + side + L".tga";
        files.push_back({image, L"cstrike\\" + image, kSkySize});
    }
    return files;
}

// The map's header and entity text, then pseudo-random lumps up to `size` bytes.
std::string MapBytes(std::uint64_t size) {
    std::string map = varnholt::testing::BuildMap(kEntities, 0);
    const std::size_t start = map.size();
    map.resize(static_cast<std::size_t>(size));
    std::uint32_t state = 0x9E3779B9u;
    for (std::size_t at = start; at < map.size(); ++at) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        map[at] = static_cast<char>(state >> 24);
    }
    return map;
}

class Bench {
public:
    Bench() : scratch_("varnholt-bench"), files_(MapFiles()) {}

    bool Prepare() {
        if (scratch_.path().empty())
            return false;
        game_ = scratch_ / L"game";
        tree_ = scratch_ / L"de_benchmap";
        if (!MakeGame())
            return false;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            MapFile& file = files_[i];
            const std::wstring path = tree_ + L"\\" + file.source;
            MakeFolders(path.substr(0, path.find_last_of(L'\\')));
            bool ok = true;
            if (i == 0) {
                const std::string map = MapBytes(kMapSize);
                ok = WriteWholeFile(path, map);
                file.size = map.size();
            } else if (i == 2) {
                ok = WriteWholeFile(path, kResourceList);
                file.size = sizeof kResourceList - 1;
            } else {
                ok = WriteFilledFile(path, file.size, static_cast<std::uint32_t>(i * 7919));
            }
            FlushToDisk(path);
            if (!ok)
                return false;
        }
        FillDestinationFolders(state_);
        state_.GameRoot = Narrow(game_) + "\\";
        rows_[3] = {std::string(kAcceptedCaption), Narrow(tree_ + L"\\" + files_[0].source)};
        return true;
    }

    // An empty game: hl.exe and the maps folder, which the map row needs to be there.
    bool MakeGame() {
        MakeFolders(game_ + L"\\cstrike\\maps");
        return WriteWholeFile(game_ + L"\\hl.exe", "MZ");
    }

    // What a run installed, and the backups, go; the next run starts on an empty game.
    void Clear() {
        varnholt::testing::RemoveTree(game_ + L"\\cstrike");
        varnholt::testing::RemoveTree(game_ + L"\\varnholt-backup");
        MakeGame();
    }

    // Each side's work, timed; a negative figure when it did not do the whole job.
    double TimeInstall() {
        const double started = Now();
        const InstallReport report = InstallSelected(state_, rows_, system_);
        const double elapsed = Now() - started;
        bool complete = report.allSucceeded() && report.rows.size() == 1 &&
                        report.rows[0].placed() &&
                        report.rows[0].companions.size() == files_.size() - 1;
        if (complete) {
            for (const CompanionReport& companion : report.rows[0].companions) {
                if (companion.outcome != PlaceOutcome::Installed) {
                    Print("error: %s did not land\n", companion.relative.c_str());
                    complete = false;
                }
            }
        } else {
            Print("error: the install brought %zu of %zu companions\n",
                  report.rows.empty() ? std::size_t{0} : report.rows[0].companions.size(),
                  files_.size() - 1);
        }
        return complete && Installed() ? elapsed : -1;
    }

    double TimePlainCopy() {
        const double started = Now();
        std::unordered_set<std::wstring> made;
        bool ok = true;
        for (const MapFile& file : files_) {
            const std::wstring destination = game_ + L"\\" + file.destination;
            ok = ok && MakeFolderOf(destination, made) &&
                 CopyFileW((tree_ + L"\\" + file.source).c_str(), destination.c_str(), FALSE);
        }
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

private:
    bool Installed() const {
        bool all = true;
        for (const MapFile& file : files_) {
            if (FileSizeOf(game_ + L"\\" + file.destination) != static_cast<long long>(file.size)) {
                Print("error: %s is missing or has the wrong size\n",
                      Narrow(file.destination).c_str());
                all = false;
            }
        }
        return all;
    }

    ScratchFolder scratch_;
    std::wstring game_;
    std::wstring tree_;
    std::vector<MapFile> files_;
    InstallerState state_;
    AddOnRows rows_;
    WinFileSystem system_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int pairs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    Bench bench;
    Print("== map: preparing a 200 MB map with its wad (3 MB), sky, .res and entity files\n");
    if (!bench.Prepare()) {
        Print("error: could not prepare the scratch folder\n");
        Summary("map: FAILED to prepare");
        return 1;
    }
    Print("== map with 13 companions, onto an empty game: %d alternating pairs\n", pairs);
    std::vector<double> install;
    std::vector<double> plain;
    for (int i = -1; i < pairs; ++i) {  // the first pair warms up and is not counted
        const bool installFirst = i % 2 == 0;
        double a = 0;
        double b = 0;
        for (int side = 0; side < 2; ++side) {
            const bool doInstall = (side == 0) == installFirst;
            bench.Clear();
            const double t = doInstall ? bench.TimeInstall() : bench.TimePlainCopy();
            if (t < 0) {
                Print("error: %s did not install every file\n",
                      doInstall ? "InstallSelected" : "CopyFileW");
                Summary("map: FAILED");
                return 1;
            }
            (doInstall ? a : b) = t;
        }
        bench.Clear();
        if (i < 0)
            continue;
        install.push_back(a);
        plain.push_back(b);
        Print("  run %2d: InstallSelected %7.1f ms   CopyFileW x14 %7.1f ms   ratio %.3f\n", i + 1,
              a * 1e3, b * 1e3, a / b);
    }
    const Comparison c = PrintComparison("InstallSelected ", install, "CopyFileW x14   ", plain,
                                         "InstallSelected / CopyFileW", kTarget);
    Summary(
        "map (with companions) ratio InstallSelected/CopyFileW: median %.3f (min %.3f, "
        "max %.3f; %.1f vs %.1f ms) target <= %.1f %s",
        c.ratio.median, c.ratio.min, c.ratio.max, c.first.median * 1e3, c.second.median * 1e3,
        kTarget, c.ratio.median <= kTarget ? "MET" : "NOT MET");
    return 0;
}
