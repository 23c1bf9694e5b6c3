#include "core/path_rules.h"

#include <algorithm>

namespace varnholt {
namespace {

// Bytes in the UTF-8 character that begins with `lead`. A stray continuation byte or an
// invalid lead counts as one byte, so the scan always moves on.
std::size_t CharacterLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::ptrdiff_t Length(std::string_view text) { return static_cast<std::ptrdiff_t>(text.size()); }

}  // namespace

std::ptrdiff_t LastPositionOf(std::string_view text, std::string_view piece) {
    // Matches are tried only where a character begins, so a piece is never found inside
    // a multi-byte character.
    std::ptrdiff_t result = -1;
    std::size_t at = 0;
    while (at < text.size() && text.size() - at >= piece.size()) {
        if (text.compare(at, piece.size(), piece) == 0) result = static_cast<std::ptrdiff_t>(at) + 1;
        const std::size_t step = CharacterLength(static_cast<unsigned char>(text[at]));
        if (step > text.size() - at) break;
        at += step;
    }
    return result;
}

std::string RightPart(std::string_view text, std::ptrdiff_t count) {
    if (count <= 0) return {};
    count = std::min(count, Length(text));
    return std::string(text.substr(text.size() - static_cast<std::size_t>(count)));
}

std::string LeftPart(std::string_view text, std::ptrdiff_t count) {
    if (count <= 0) return {};
    count = std::min(count, Length(text));
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string FileNameOf(std::string_view path) {
    return RightPart(path, Length(path) - LastPositionOf(path, "\\"));
}

std::string ExtensionOf(std::string_view path) {
    return RightPart(path, Length(path) - LastPositionOf(path, "."));
}

std::string GameRootOf(std::string_view path) {
    // Not a plain cut after the last backslash: the two positions combine exactly like
    // this, which for a path ending in ".exe" leaves the folder with its backslash and for
    // any other path gives the results the path-rule tests list.
    const std::ptrdiff_t exe = LastPositionOf(path, ".exe");
    const std::ptrdiff_t slash = LastPositionOf(path, "\\");
    const std::string tail = RightPart(path, exe - slash + 3);
    return LeftPart(path, Length(path) - Length(tail));
}

}  // namespace varnholt
