#pragma once

#include <cstddef>
#include <string_view>

namespace varnholt {

// One character of UTF-8 text, decoded strictly.
struct Utf8Char {
    char32_t codePoint = 0;
    std::size_t length = 1;  // bytes taken; 1 for a byte that begins no valid character
    bool valid = false;
};

inline bool IsUtf8Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Strict decoding: overlong forms, surrogates and code points past U+10FFFF are invalid,
// since Windows could not turn them into a UTF-16 name that means the same file.
inline Utf8Char DecodeUtf8At(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1, true};
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {};
    }
    if (text.size() - at < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        // Only the second byte has a narrower range; the rest are plain continuations.
        if (i == 1 ? (byte < low || byte > high) : !IsUtf8Continuation(byte))
            return {};
        value = (value << 6) | (byte & 0x3F);
    }
    return {value, length, true};
}

// True when the whole text is UTF-8 by the strict rule above.
inline bool IsValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, at);
        if (!c.valid) return false;
        at += c.length;
    }
    return true;
}

}  // namespace varnholt
