#include "bench/bench_common.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "platform/text.h"
#include "tests/win/temp_folder.h"

namespace varnholt::bench {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty()) return spread;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    spread.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    return spread;
}

std::vector<double> Ratios(const std::vector<double>& first, const std::vector<double>& second) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < first.size() && i < second.size(); ++i) {
        if (second[i] > 0) ratios.push_back(first[i] / second[i]);
    }
    return ratios;
}

Comparison PrintComparison(const char* firstLabel, const std::vector<double>& first,
                           const char* secondLabel, const std::vector<double>& second,
                           const char* ratioName, double target) {
    const Comparison c{SpreadOf(first), SpreadOf(second), SpreadOf(Ratios(first, second))};
    for (const auto& [label, s] : {std::pair{firstLabel, c.first}, std::pair{secondLabel, c.second}}) {
        Print("%s median %7.1f ms  (min %.1f, max %.1f)\n", label, s.median * 1e3, s.min * 1e3,
              s.max * 1e3);
    }
    Print("ratio %s: median %.3f  (min %.3f, max %.3f)  target <= %.1f\n", ratioName, c.ratio.median,
          c.ratio.min, c.ratio.max, target);
    return c;
}

void Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

void Summary(const char* format, ...) {
    std::fputs("summary: ", stdout);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void MakeFolders(const std::wstring& path) { testing::MakeFolders(Narrow(path)); }

bool MakeFolderOf(const std::wstring& file, std::unordered_set<std::wstring>& made) {
    const std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
    if (made.contains(folder)) return true;
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND) {
            if (!MakeFolderOf(folder, made) || !CreateDirectoryW(folder.c_str(), nullptr)) {
                return false;
            }
        } else if (error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    made.insert(folder);
    return true;
}

bool WriteFilledFile(const std::wstring& path, std::uint64_t size, std::uint32_t seed) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::vector<std::uint32_t> block(1 << 18);  // 1 MB
    std::uint32_t state = seed | 1u;
    bool ok = true;
    for (std::uint64_t done = 0; ok && done < size;) {
        for (std::uint32_t& word : block) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            word = state;
        }
        const DWORD want = static_cast<DWORD>(
            std::min<std::uint64_t>(size - done, block.size() * sizeof(std::uint32_t)));
        DWORD wrote = 0;
        ok = WriteFile(file.get(), block.data(), want, &wrote, nullptr) && wrote == want;
        done += want;
    }
    ok = FlushFileBuffers(file.get()) && ok;
    return ok;
}

void FlushToDisk(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (file) FlushFileBuffers(file.get());
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD wrote = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
           wrote == bytes.size();
}

std::string ReadWholeFile(const std::wstring& path) {
    return testing::ReadBytes(Narrow(path)).value_or("");
}

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Ends the child when it still runs; the members then close its handles.
ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& program, const std::wstring& arguments,
                         bool shareOutput) {
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    const std::wstring directory = program.substr(0, program.find_last_of(L'\\'));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (shareOutput) {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, shareOutput, 0, nullptr,
                        directory.c_str(), &startup, &info)) {
        return false;
    }
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    id_ = info.dwProcessId;
    return true;
}

void ChildProcess::Terminate() {
    if (!process_) return;
    if (Running()) TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
}

bool ChildProcess::WaitForExit(DWORD milliseconds) {
    return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (search->className && ClassNameOf(window) != search->className) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND VisibleWindowOf(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, true, nullptr};
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForVisibleWindow(const ChildProcess& child, const wchar_t* className, double timeoutSeconds) {
    const double deadline = Now() + timeoutSeconds;
    for (;;) {
        if (HWND window = VisibleWindowOf(child.id(), className)) return window;
        if (!child.Running() || Now() > deadline) return nullptr;
        Sleep(1);
    }
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT is carried across processes, unlike GetWindowText on a foreign control.
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace varnholt::bench
