#pragma once

// What registering a plugin does to an old plugin list, byte for byte. The core's composed
// append and the install run on a real file are both held to this one table.

#include <string>
#include <vector>

namespace varnholt::testing {

// The plugin every case registers.
inline constexpr char kListedPlugin[] = "parachute.amxx";

struct PluginListCase {
    const char* name;
    std::string before;  // the old list
    std::string kept;    // what the new list holds before CR LF and the plugin's name
};

inline std::vector<PluginListCase> PluginListCases() {
    using namespace std::string_literals;
    return {
        {"empty list", "", ""},
        {"no final line break", "a.amxx", "a.amxx"},
        {"final line break", "a.amxx\r\n", "a.amxx\r\n"},
        {"name already listed", kListedPlugin, kListedPlugin},
        // A single terminator that ends both the text and the file is written over.
        {"single NUL ends the file", "a.amxx\0"s, "a.amxx"},
        {"single Ctrl-Z ends the file", "a.amxx\x1A", "a.amxx"},
        // Where the text ends before the last byte, nothing of the old content is replaced.
        {"NUL in the middle", "a.amxx\0;x"s, "a.amxx\0;x"s},
        {"Ctrl-Z in the middle", "a.amxx\x1A" "b.amxx", "a.amxx\x1A" "b.amxx"},
        {"two NULs at the end", "a\0\0"s, "a\0\0"s},
        // A Ctrl-Z as the second byte of a two-byte character does not end the text.
        {"Ctrl-Z as a trail byte", "a\x81\x1A", "a\x81\x1A"},
        // A NUL as the second byte ends the text before the character: two bytes short of
        // the end, so both are kept.
        {"NUL as a trail byte", "a\x81\0"s, "a\x81\0"s},
    };
}

}  // namespace varnholt::testing
