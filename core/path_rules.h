#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnholt {

// Texts are UTF-8. Positions are 1-based byte positions, lengths count bytes, and -1 stands
// for a piece that does not occur. Every comparison is exact and case-sensitive.

std::ptrdiff_t LastPositionOf(std::string_view text, std::string_view piece);
std::string RightPart(std::string_view text, std::ptrdiff_t count);
std::string LeftPart(std::string_view text, std::ptrdiff_t count);

// The text after the last backslash; the whole path when it holds none.
std::string FileNameOf(std::string_view path);
// The text after the last dot; the whole path when it holds none.
std::string ExtensionOf(std::string_view path);
// An executable's path with its file name cut off, ending in the backslash.
std::string GameRootOf(std::string_view path);

}  // namespace varnholt
