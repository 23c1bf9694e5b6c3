#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnholt {

// Where AMX Mod X keeps its plugin list, relative to the game folder.
inline constexpr std::string_view kPluginListPath = "cstrike\\addons\\amxmodx\\configs\\plugins.ini";

// How many leading bytes of the list AMX Mod X's narrow reading takes as text: up to the
// first NUL or Ctrl-Z. A byte with its high bit set begins a two-byte character whose second
// byte is taken untested, except that a NUL there ends the text before the character.
std::size_t ListTextLength(std::string_view content);

// Why AMX Mod X would not load a plugin listed under `name`: it takes each line's name up to
// the first blank, skips a line that does not begin with a letter or digit, reads ";" as the
// start of a comment, and reads only so many characters of a line.
enum class PluginNameProblem { None, Blank, Semicolon, NotLetterOrDigitFirst, TooLong };
inline constexpr std::size_t kLongestPluginName = 250;  // bytes, as written to the list
PluginNameProblem CheckPluginName(std::string_view name);

// A new entry for the list: `bytes` go at byte `offset`.
struct ListAppend {
    std::size_t offset = 0;
    std::string bytes;
};

// CR LF and the name go after the whole old content, so no byte of the list is ever lost.
// The one old byte that is overwritten is a single NUL or Ctrl-Z that ends both the text
// and the file.
ListAppend ComposeListAppend(std::string_view content, std::string_view name);

}  // namespace varnholt
