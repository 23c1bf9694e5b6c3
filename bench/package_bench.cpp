// Package install: a folder package of 2,000 sounds (about 200 MB) installed whole into an
// empty game with PlanPackage + ExecutePlan, against CopyFileW of the same files one by one;
// then the same files in a deflated zip (ItemsOfZip + PlanPackage + ExecutePlan), against
// inflating each entry with zlib and writing it with WriteFile. Alternately in one process;
// the installed tree and the backups are removed between runs, outside the timing.
//
//   package_bench <pairs>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "bench/bench_common.h"
#include "core/package_plan.h"
#include "core/plan_executor.h"
#include "platform/package_source.h"
#include "platform/text.h"
#include "platform/win_file_system.h"
#include "tests/core/zip_builder.h"

using namespace varnholt;
using namespace varnholt::bench;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 20;
constexpr double kTarget = 1.2;

struct PackFile {
    std::wstring relative;  // below the package folder and below the game: cstrike\sound\...
    std::uint64_t size = 0;
    // Where the entry's deflated data lies in the zip, for the plain inflate.
    std::uint64_t dataOffset = 0;
    std::uint64_t compressedSize = 0;
};

std::uint32_t Mix(std::uint32_t value) {
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    return value ^ (value >> 16);
}

// Mostly sounds of 16 to 125 KB, every hundredth one of 2 to 4 MB: about 200 MB in all.
std::uint64_t SizeOfFile(int index) {
    const std::uint32_t noise = Mix(static_cast<std::uint32_t>(index) + 1);
    if (index % 100 == 7)
        return (2ull << 20) + noise % (2u << 20);
    return (16ull << 10) + noise % (110u << 10);
}

// Sound-like bytes: a header, then 16-bit samples of a tone with noise on it, so deflate
// finds some but not much to squeeze, as in a real wav.
std::string SoundBytes(std::uint64_t size, std::uint32_t seed) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::memcpy(bytes.data(), "RIFF\0\0\0\0WAVEfmt ", std::min<std::size_t>(bytes.size(), 16));
    static const std::vector<int> wave = [] {
        std::vector<int> table(256);
        for (int i = 0; i < 256; ++i)
            table[i] = (i < 128 ? i : 255 - i) * 200 - 12800;
        return table;
    }();
    std::uint32_t state = seed | 1u;
    std::uint32_t phase = 0;
    const std::uint32_t step = 300 + seed % 700;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        phase += step;
        const int sample = wave[(phase >> 8) & 0xFF] + static_cast<int>(state & 0x1FF) - 256;
        bytes[at] = static_cast<char>(sample & 0xFF);
        bytes[at + 1] = static_cast<char>((sample >> 8) & 0xFF);
    }
    return bytes;
}

// Raw deflate at zlib's default level, as a zip tool writes it.
std::string DeflateRaw(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

class Bench {
public:
    Bench() : scratch_("varnholt-bench") {}

    bool Prepare() {
        if (scratch_.path().empty())
            return false;
        game_ = scratch_ / L"game";
        package_ = scratch_ / L"package";
        zip_ = scratch_ / L"package.zip";
        MakeFolders(game_ + L"\\cstrike");
        if (!WriteWholeFile(game_ + L"\\hl.exe", "MZ"))
            return false;
        gameRoot_ = Narrow(game_) + "\\";

        varnholt::testing::TestArchive archive;
        std::uint64_t zipAt = 0;
        for (int i = 0; i < kFolders * kFilesPerFolder; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"cstrike\\sound\\pack\\%03d\\s%02d.wav", i / kFilesPerFolder,
                     i % kFilesPerFolder);
            PackFile file{name, SizeOfFile(i)};
            const std::string bytes = SoundBytes(file.size, Mix(static_cast<std::uint32_t>(i)));
            const std::wstring source = package_ + L"\\" + file.relative;
            MakeFolders(source.substr(0, source.find_last_of(L'\\')));
            if (!WriteWholeFile(source, bytes))
                return false;

            varnholt::testing::TestEntry entry;
            entry.name = Narrow(file.relative);
            std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
            entry.method = 8;
            entry.payload = DeflateRaw(bytes);
            entry.crc = varnholt::testing::Crc(bytes);
            entry.size = bytes.size();
            // The builder writes a 30-byte local header and the name before each entry's data.
            file.dataOffset = zipAt + 30 + entry.name.size();
            file.compressedSize = entry.payload->size();
            zipAt = file.dataOffset + file.compressedSize;
            packed_ += file.compressedSize;
            bytes_ += file.size;
            archive.entries.push_back(std::move(entry));
            files_.push_back(std::move(file));
        }
        const bool written = WriteWholeFile(zip_, varnholt::testing::Build(archive));
        FlushToDisk(zip_);
        return written;
    }

    std::uint64_t bytes() const { return bytes_; }
    std::uint64_t packed() const { return packed_; }
    std::size_t count() const { return files_.size(); }

    // What one run installed, and its backups, go; the next run starts on an empty game.
    void Clear() {
        varnholt::testing::RemoveTree(game_ + L"\\cstrike\\sound");
        varnholt::testing::RemoveTree(game_ + L"\\varnholt-backup");
    }

    // Each side's work, timed; a negative figure when it did not do the whole job.
    double TimeFolderInstall() {
        const double started = Now();
        const std::string folder = Narrow(package_) + "\\";
        std::vector<PackageItem> items;
        for (const FolderFile& file : FilesBelow(folder)) {
            const std::string full = folder + file.relative;
            items.push_back({file.relative, file.size, full, nullptr,
                             [this, full] { return system_.ReadPart(full, 0, 16u << 20); }});
        }
        const bool ok = Install(items);
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

    double TimePlainCopy() {
        const double started = Now();
        std::unordered_set<std::wstring> made;
        bool ok = true;
        for (const PackFile& file : files_) {
            const std::wstring destination = game_ + L"\\" + file.relative;
            ok = ok && MakeFolderOf(destination, made) &&
                 CopyFileW((package_ + L"\\" + file.relative).c_str(), destination.c_str(), FALSE);
        }
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

    double TimeZipInstall() {
        const double started = Now();
        const ZipItems zipped = ItemsOfZip(OpenByteSource(Narrow(zip_)), [](std::string_view oem) {
            return FromOemCodePage(oem);
        });
        const bool ok = zipped.refusal.empty() && Install(zipped.items);
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

    double TimePlainInflate() {
        const double started = Now();
        const bool ok = PlainInflate();
        const double elapsed = Now() - started;
        return ok && Installed() ? elapsed : -1;
    }

private:
    bool Install(const std::vector<PackageItem>& items) {
        const PackagePlan plan = PlanPackage(gameRoot_, items, system_);
        if (!plan.refusal.empty() || plan.plan.units.size() != 1 ||
            plan.plan.units.front().placements.size() != files_.size()) {
            return false;
        }
        const ExecutionResult result = ExecutePlan(plan.plan, system_);
        return result.units.size() == 1 && result.units.front().wentIn;
    }

    bool PlainInflate() {
        UniqueFileHandle zip(CreateFileW(zip_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!zip)
            return false;
        std::vector<unsigned char> input(64 * 1024);
        std::vector<unsigned char> output(64 * 1024);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return false;
        std::unordered_set<std::wstring> made;
        bool ok = true;
        for (const PackFile& file : files_) {
            const std::wstring destination = game_ + L"\\" + file.relative;
            UniqueFileHandle out;
            ok = MakeFolderOf(destination, made);
            if (ok) {
                out.reset(CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            }
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(file.dataOffset);
            ok = ok && out && SetFilePointerEx(zip.get(), at, nullptr, FILE_BEGIN) &&
                 inflateReset(&stream) == Z_OK;
            int status = Z_OK;
            for (std::uint64_t left = file.compressedSize; ok && status != Z_STREAM_END;) {
                if (stream.avail_in == 0) {
                    const DWORD want =
                        static_cast<DWORD>(std::min<std::uint64_t>(left, input.size()));
                    DWORD got = 0;
                    ok = want > 0 && ReadFile(zip.get(), input.data(), want, &got, nullptr) &&
                         got == want;
                    left -= got;
                    stream.next_in = input.data();
                    stream.avail_in = got;
                }
                stream.next_out = output.data();
                stream.avail_out = static_cast<uInt>(output.size());
                status = inflate(&stream, Z_NO_FLUSH);
                const DWORD produced = static_cast<DWORD>(output.size() - stream.avail_out);
                DWORD wrote = 0;
                ok = ok && (status == Z_OK || status == Z_STREAM_END) &&
                     WriteFile(out.get(), output.data(), produced, &wrote, nullptr) &&
                     wrote == produced;
            }
            stream.avail_in = 0;
            if (!ok)
                break;
        }
        inflateEnd(&stream);
        return ok;
    }

    bool Installed() const {
        for (const PackFile& file : files_) {
            if (FileSizeOf(game_ + L"\\" + file.relative) != static_cast<long long>(file.size)) {
                return false;
            }
        }
        return true;
    }

    ScratchFolder scratch_;
    std::wstring game_;
    std::wstring package_;
    std::wstring zip_;
    std::string gameRoot_;
    std::vector<PackFile> files_;
    std::uint64_t bytes_ = 0;
    std::uint64_t packed_ = 0;
    WinFileSystem system_;
};

// Runs `pairs` alternating pairs of the two sides (after a warm-up pair, not counted) and
// prints the figures; false on a failed run.
bool Measure(Bench& bench, int pairs, const char* title, const char* key, const char* ours,
             const char* theirs, const std::function<double()>& install,
             const std::function<double()>& plain) {
    Print("== package, %s: %d alternating pairs\n", title, pairs);
    std::vector<double> first;
    std::vector<double> second;
    for (int i = -1; i < pairs; ++i) {
        const bool installFirst = i % 2 == 0;
        double a = 0;
        double b = 0;
        for (int side = 0; side < 2; ++side) {
            const bool doInstall = (side == 0) == installFirst;
            bench.Clear();
            const double t = doInstall ? install() : plain();
            if (t < 0) {
                Print("error: %s did not install every file\n", doInstall ? ours : theirs);
                bench.Clear();
                return false;
            }
            (doInstall ? a : b) = t;
        }
        bench.Clear();
        if (i < 0)
            continue;
        first.push_back(a);
        second.push_back(b);
        Print("  run %2d: %s %8.1f ms   %s %8.1f ms   ratio %.3f\n", i + 1, ours, a * 1e3, theirs,
              b * 1e3, a / b);
    }
    const Comparison c = PrintComparison(ours, first, theirs, second, "install / plain", kTarget);
    Summary(
        "package (%s) ratio install/%s: median %.3f (min %.3f, max %.3f; %.1f vs %.1f ms) "
        "target <= %.1f %s",
        key, theirs, c.ratio.median, c.ratio.min, c.ratio.max, c.first.median * 1e3,
        c.second.median * 1e3, kTarget, c.ratio.median <= kTarget ? "MET" : "NOT MET");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int pairs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 9;
    Bench bench;
    Print("== package: preparing a folder package and its zip\n");
    if (!bench.Prepare()) {
        Print("error: could not prepare the scratch folder\n");
        Summary("package: FAILED to prepare");
        return 1;
    }
    Print("   %zu files, %.1f MB; zip %.1f MB (deflate level 6)\n", bench.count(),
          static_cast<double>(bench.bytes()) / (1 << 20),
          static_cast<double>(bench.packed()) / (1 << 20));
    bool ok = Measure(
        bench, pairs, "folder", "folder", "PlanPackage+ExecutePlan", "CopyFileW",
        [&] { return bench.TimeFolderInstall(); }, [&] { return bench.TimePlainCopy(); });
    ok = ok &&
         Measure(
             bench, pairs, "zip", "zip", "ItemsOfZip+PlanPackage+ExecutePlan", "inflate+WriteFile",
             [&] { return bench.TimeZipInstall(); }, [&] { return bench.TimePlainInflate(); });
    if (!ok)
        Summary("package: FAILED");
    return ok ? 0 : 1;
}
