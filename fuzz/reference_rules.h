#pragma once

// Plain models of the core's text rules, written for the fuzz targets to compare against.
// Each rule is spelt out step by step in the words it is stated in, so it can be checked by
// eye; the cuts return views into the text rather than copies only to keep runs fast.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

// How far the character scan steps from a byte.
inline std::size_t StepFrom(unsigned char byte) {
    if (byte >= 0xC0 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF7) return 4;
    return 1;
}

// Calls `visit` with every 0-based byte index where the scan from byte 0 stands, in order.
// The scan stops when the next step would go past the end of the text.
template <typename Visit>
void ForEachCharacterStart(std::string_view text, Visit visit) {
    std::size_t at = 0;
    while (at < text.size()) {
        visit(at);
        const std::size_t step = StepFrom(static_cast<unsigned char>(text[at]));
        if (at + step > text.size()) break;
        at += step;
    }
}

inline std::ptrdiff_t LastPositionOf(std::string_view text, std::string_view piece) {
    std::ptrdiff_t found = -1;
    ForEachCharacterStart(text, [&](std::size_t start) {
        if (text.substr(start, piece.size()) == piece) found = static_cast<std::ptrdiff_t>(start) + 1;
    });
    return found;
}

inline std::ptrdiff_t Length(std::string_view text) {
    return static_cast<std::ptrdiff_t>(text.size());
}

inline std::string_view RightPart(std::string_view text, std::ptrdiff_t count) {
    if (count <= 0) return "";
    if (count > Length(text)) return text;
    return text.substr(text.size() - static_cast<std::size_t>(count));
}

inline std::string_view LeftPart(std::string_view text, std::ptrdiff_t count) {
    if (count <= 0) return "";
    if (count > Length(text)) return text;
    return text.substr(0, static_cast<std::size_t>(count));
}

// The path functions below share neither the position arithmetic nor the cuts with the code:
// they find the separator's byte index by their own scan and copy the result byte by byte.

// The 0-based index of the last character start where `piece` begins, if any.
inline std::optional<std::size_t> LastStartOf(std::string_view text, std::string_view piece) {
    std::optional<std::size_t> last;
    ForEachCharacterStart(text, [&](std::size_t start) {
        if (text.substr(start, piece.size()) == piece) last = start;
    });
    return last;
}

// Every byte after index `separator`; every byte of the text when there is no separator.
inline std::string BytesAfter(std::string_view text, std::optional<std::size_t> separator) {
    std::string bytes;
    for (std::size_t at = separator ? *separator + 1 : 0; at < text.size(); ++at) {
        bytes.push_back(text[at]);
    }
    return bytes;
}

inline std::string FileNameOf(std::string_view path) {
    return BytesAfter(path, LastStartOf(path, "\\"));
}

inline std::string ExtensionOf(std::string_view path) {
    return BytesAfter(path, LastStartOf(path, "."));
}

// The rule cuts bytes off the end of the path; how many depends on where the last ".exe" and
// the last backslash stand, case by case:
//  - ".exe" after the backslash: the bytes from just after the backslash through the "e" that
//    ends ".exe", so a path ending in ".exe" keeps its folder and the backslash;
//  - ".exe" and no backslash at all: the bytes from the start through that "e", and one more
//    (a missing backslash counts as position -1, two bytes before the first);
//  - ".exe" only before the backslash: nothing;
//  - no ".exe", a backslash as the very first byte: one byte; anywhere later: nothing;
//  - neither: three bytes.
// Cutting the whole path or more leaves the empty text.
inline std::string GameRootOf(std::string_view path) {
    const std::optional<std::size_t> exe = LastStartOf(path, ".exe");
    const std::optional<std::size_t> backslash = LastStartOf(path, "\\");
    std::size_t cut = 0;
    if (exe && backslash && *exe > *backslash) {
        cut = (*exe + 3) - *backslash;
    } else if (exe && !backslash) {
        cut = (*exe + 4) + 1;
    } else if (exe) {
        cut = 0;
    } else if (backslash) {
        cut = *backslash == 0 ? 1 : 0;
    } else {
        cut = 3;
    }
    std::string root;
    for (std::size_t at = 0; at + cut < path.size(); ++at) root.push_back(path[at]);
    return root;
}

// True when every lead byte is followed by exactly the continuation bytes (0x80-0xBF) its
// step says, and no continuation or 0xF8-0xFF byte stands alone: the character scan then
// stands on every character's first byte and nowhere else.
inline bool IsWellFormedUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead >= 0x80 && lead <= 0xBF) return false;
        if (lead >= 0xF8) return false;
        const std::size_t step = StepFrom(lead);
        if (at + step > text.size()) return false;
        for (std::size_t i = 1; i < step; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if (next < 0x80 || next > 0xBF) return false;
        }
        at += step;
    }
    return true;
}

// The plugin list's text as AMX Mod X's narrow reading takes it. The content is cut into
// characters first: a byte below 0x80 is one character, a byte from 0x80 up takes the next
// byte with it whatever it is, and a lead byte with nothing after it is a character alone.
// The text is every character before the first one that is a NUL or a Ctrl-Z, or that is
// two bytes with a NUL second.
inline std::size_t ListTextLength(std::string_view content) {
    std::vector<std::string_view> characters;
    std::size_t at = 0;
    while (at < content.size()) {
        const bool lead = static_cast<unsigned char>(content[at]) >= 0x80;
        const std::size_t size = lead && at + 1 < content.size() ? 2 : 1;
        characters.push_back(content.substr(at, size));
        at += size;
    }

    std::size_t length = 0;
    for (std::string_view character : characters) {
        const bool terminator = character.size() == 1 && (character[0] == '\0' || character[0] == '\x1A');
        const bool nulSecond = character.size() == 2 && character[1] == '\0';
        if (terminator || nulSecond) break;
        length += character.size();
    }
    return length;
}

}  // namespace reference
