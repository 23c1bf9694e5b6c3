#include "tests/win/temp_folder.h"

#include <windows.h>

#include <algorithm>

#include "platform/handles.h"
#include "platform/text.h"

namespace varnholt::testing {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    UniqueFindHandle search(FindFirstFileW((path + L"\\*").c_str(), &entry));
    if (search) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search.get(), &entry));
    }
    search.reset();
    RemoveDirectoryW(path.c_str());
}

TempFolder::TempFolder(const std::string& prefix, const std::string& parent) {
    std::wstring base = Widen(parent);
    if (base.empty()) {
        wchar_t temp[MAX_PATH + 1];
        base.assign(temp, GetTempPathW(MAX_PATH + 1, temp));
    }
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    for (unsigned n = GetTickCount();; ++n) {
        const std::wstring candidate = base + Widen(prefix) + L"-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(n);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = Narrow(candidate);
            return;
        }
        // Only a taken name is worth another try; an unwritable parent would loop forever.
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty()) RemoveTree(Widen(path_));
}

void MakeFolders(const std::string& path) {
    std::wstring wide = Widen(path);
    for (std::size_t at = wide.find(L'\\', 3); at != std::wstring::npos;
         at = wide.find(L'\\', at + 1)) {
        CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(wide.c_str(), nullptr);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    UniqueFileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::optional<std::string> ReadBytes(const std::string& path) {
    UniqueFileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesW(Widen(path).c_str(),
                       readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    UniqueFindHandle search(FindFirstFileW((Widen(path) + L"\\*").c_str(), &entry));
    if (!search) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(Narrow(name));
    } while (FindNextFileW(search.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

std::string CurrentFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetCurrentDirectoryW(32768, buffer);
    return Narrow(std::wstring(buffer, length));
}

void SetCurrentFolder(const std::string& path) { SetCurrentDirectoryW(Widen(path).c_str()); }

std::string ExeFolder() {
    wchar_t buffer[32768];
    const std::wstring path(buffer, GetModuleFileNameW(nullptr, buffer, 32768));
    return Narrow(path.substr(0, path.find_last_of(L'\\')));
}

}  // namespace varnholt::testing
