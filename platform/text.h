#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnholt {

// The program's texts are UTF-8; Win32 speaks UTF-16. These are the only crossings.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// `utf8` in the system's ANSI code page, or nothing when that code page cannot hold every
// character of it exactly.
std::optional<std::string> ToAnsiCodePage(std::string_view utf8);

// Bytes in the system's OEM code page (what zip tools on Chinese Windows write names in), as
// UTF-8; nothing when they are not valid in it.
std::optional<std::string> FromOemCodePage(std::string_view oem);

// `value` in decimal digits. (std::to_string would bring the printf family into the exe.)
std::string DecimalText(unsigned long value);
std::wstring DecimalTextW(unsigned long value);

// The system's own description of an error code, UTF-8, without a trailing line break.
std::string SystemErrorText(unsigned long code);

}  // namespace varnholt
