#include "platform/long_path.h"

#include <windows.h>

#include <vector>

#include "platform/text.h"

namespace varnholt {

std::wstring FileApiPath(const std::string& path, std::size_t reserve) {
    std::wstring wide = Widen(path);
    // Folders created by CreateDirectory must leave room for an 8.3 name: 248, not 260.
    constexpr std::size_t kClassicLimit = 248;
    if (wide.size() + reserve < kClassicLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::vector<wchar_t> buffer(length);
    const DWORD written = GetFullPathNameW(wide.c_str(), length, buffer.data(), nullptr);
    if (written == 0 || written >= length) return wide;
    std::wstring full(buffer.data(), written);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace varnholt
