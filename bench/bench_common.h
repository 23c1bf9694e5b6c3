#pragma once

// Helpers shared by the bench programs: a clock, figures over repeated runs, scratch folders
// and files, child processes, and finding a process's windows.

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/handles.h"
#include "platform/text.h"
#include "tests/win/temp_folder.h"

namespace varnholt::bench {

// Seconds on the performance counter.
double Now();

// Median, smallest and largest of a set of figures.
struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};
Spread SpreadOf(std::vector<double> values);
// Element-wise first[i] / second[i].
std::vector<double> Ratios(const std::vector<double>& first, const std::vector<double>& second);
// Prints the median, min and max of two sides timed in seconds, each under its label, and of
// their ratio under `ratioName`, against `target`; gives the three spreads.
struct Comparison {
    Spread first, second, ratio;
};
Comparison PrintComparison(const char* firstLabel, const std::vector<double>& first,
                           const char* secondLabel, const std::vector<double>& second,
                           const char* ratioName, double target);

// printf to stdout, flushed at once so the output interleaves properly with the script's.
void Print(const char* format, ...);
// A line the script gathers into its closing summary.
void Summary(const char* format, ...);

// A fresh folder under the system's temporary folder, removed with its content at the end:
// the tests' TempFolder, with its paths in UTF-16 for the Win32 calls here.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix) : folder_(prefix), path_(Widen(folder_.path())) {}
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    testing::TempFolder folder_;
    std::wstring path_;
};

// Creates `path` and every missing folder above it (testing::MakeFolders, on a UTF-16 path).
void MakeFolders(const std::wstring& path);
// Makes the folder that holds `file`, and those above it, once per run (`made` remembers
// them): what a plain copier or extractor does.
bool MakeFolderOf(const std::wstring& file, std::unordered_set<std::wstring>& made);
// Writes `size` bytes of pseudo-random content (never all zeros, never sparse), flushed to
// the disk.
bool WriteFilledFile(const std::wstring& path, std::uint64_t size, std::uint32_t seed);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
// Writes the file's cached content out to the disk.
void FlushToDisk(const std::wstring& path);
std::string ReadWholeFile(const std::wstring& path);
// The file's size, or -1 when it is not there.
long long FileSizeOf(const std::wstring& path);
// The folder that holds this exe.
inline std::wstring FolderOfModule() { return Widen(testing::ExeFolder()); }

// A started process; terminated and waited for on scope exit when still running.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` with `arguments` and its own folder as the current folder. With
    // `shareOutput` it writes to this one's stdout.
    bool Start(const std::wstring& program, const std::wstring& arguments = {},
               bool shareOutput = false);
    // Ends it by force and waits until it is gone.
    void Terminate();
    // Waits up to `milliseconds` for it to end by itself.
    bool WaitForExit(DWORD milliseconds);
    bool Running() const;

    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

// The first visible top-level window of process `processId` whose class is `className` (any
// class when null); null when there is none yet.
HWND VisibleWindowOf(DWORD processId, const wchar_t* className = nullptr);
// Polls for such a window about every millisecond until it shows, the process ends or
// `timeoutSeconds` pass; null on failure.
HWND WaitForVisibleWindow(const ChildProcess& child, const wchar_t* className, double timeoutSeconds);
std::wstring ClassNameOf(HWND window);
std::wstring TextOf(HWND window);

// UTF-8 and UTF-16, as the program converts them.
using varnholt::Narrow;
using varnholt::Widen;

}  // namespace varnholt::bench
