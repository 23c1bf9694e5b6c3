#include "platform/text.h"

#include <windows.h>

namespace varnholt {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::optional<std::string> ToAnsiCodePage(std::string_view utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::nullopt;
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    // A character the code page lacks comes out as "?" or a look-alike; only an exact round
    // trip proves the bytes name the same file.
    const int back = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::wstring roundTrip(static_cast<std::size_t>(back), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, roundTrip.data(), back);
    if (roundTrip != wide) return std::nullopt;
    return ansi;
}

std::optional<std::string> FromOemCodePage(std::string_view oem) {
    if (oem.empty()) return std::string();
    const int size = static_cast<int>(oem.size());
    const int length = MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, oem.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, oem.data(), size, wide.data(), length);
    return Narrow(wide);
}

std::string DecimalText(unsigned long value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::wstring DecimalTextW(unsigned long value) {
    const std::string digits = DecimalText(value);
    return std::wstring(digits.begin(), digits.end());
}

std::string SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) return "error " + DecimalText(code);
    return Narrow(text);
}

}  // namespace varnholt
