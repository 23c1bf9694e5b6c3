#include "platform/process.h"

#include <windows.h>

#include <vector>

#include "platform/handles.h"
#include "platform/text.h"

namespace varnholt {

bool StartProgram(const std::string& application, const std::string& commandLine,
                  const std::string& folder) {
    const std::wstring app = Widen(application);
    std::wstring line = Widen(commandLine);  // CreateProcessW may write into it
    const std::wstring dir = Widen(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
        return false;
    }
    const UniqueHandle thread(info.hThread);
    const UniqueHandle process(info.hProcess);
    WaitForInputIdle(process.get(), 1000);
    return true;
}

std::string FullPathOf(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::vector<wchar_t> buffer(length);
    const DWORD written = GetFullPathNameW(wide.c_str(), length, buffer.data(), nullptr);
    if (written == 0 || written >= length) return path;
    return Narrow(std::wstring(buffer.data(), written));
}

}  // namespace varnholt

namespace varnholt {

void EnterProgramFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    SetCurrentDirectoryW(path.substr(0, slash + 1).c_str());
}

}  // namespace varnholt
