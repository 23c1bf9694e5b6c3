#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnholt {

// A GoldSrc map (BSP version 30) starts with its version and 15 lumps of (offset, length).
inline constexpr std::size_t kBspHeaderSize = 4 + 15 * 8;
// Far above any map's entity text; a larger claim is taken as a broken header.
inline constexpr std::uint64_t kLongestEntityLump = 16u * 1024 * 1024;

struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Where the entity text lies in a map of `fileSize` bytes whose first bytes are `header`.
// Nothing when the header is short or not version 30, or the entity lump has a negative
// offset or length, overlaps the header, ends past the file or is longer than
// kLongestEntityLump.
std::optional<ByteRange> EntityLumpOf(std::string_view header, std::uint64_t fileSize);

struct Entity {
    std::vector<std::pair<std::string, std::string>> keys;  // in file order
};

// The entities of a map's entity text: blocks of { "key" "value" ... }. The text ends at its
// end or at a NUL. Nothing when its first non-blank byte is not "{" (not entity text at
// all); an empty or blank text has no entities. Where the text breaks off or goes wrong (an
// unterminated string or block, a key without a value, anything but a quoted string or "}"
// inside a block, anything but "{" between blocks) the entities before it are returned.
std::optional<std::vector<Entity>> ParseEntities(std::string_view text);

struct MapNeeds {
    std::vector<std::string> wads;   // file names only, e.g. "halflife.wad"
    std::string skyName;             // worldspawn's "skyname", "" when none
    std::vector<std::string> files;  // below the mod folder: models\x.mdl, sound\x.wav ...
};

// What a map loads beside itself. wads: the file names in worldspawn's "wad" key (";"
// between paths, either slash), each once. files: every value of any entity that ends in
// .mdl or .spr (a model or sprite path, as under "model", "texture" or "shootmodel"), and
// the values of "message" and "noise", "noise1".."noise3" that end in .wav or .mp3 (sounds,
// below sound\ unless they already begin with it; "!" sentences are never files). Each path
// is taken through ModRelativePath, dropped when it refuses it, and listed once; names are
// compared without ASCII case throughout.
MapNeeds NeedsOfMap(const std::vector<Entity>& entities);

// The six sky images the game loads for `skyName`: gfx\env\NAMEup.EXT, then dn, lf, rt, ft
// and bk, with `extension` (".tga" or ".bmp") as given. Nothing for an empty name or one
// that ModRelativePath refuses.
std::vector<std::string> SkyImagePaths(std::string_view skyName, std::string_view extension);

}  // namespace varnholt
