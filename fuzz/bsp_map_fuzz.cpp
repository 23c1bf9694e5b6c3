// Fuzz target for the map readers and the resource list: the entity lump's place against the
// header's own numbers, entity text read back after writing it out again, and every path a
// map or list names staying below the mod folder.
//
// Input: the first kBspHeaderSize bytes are a map header and the input the whole map; the
// entity text is read from where the header puts it, from after the header and from the
// whole input. The whole input is also read as a resource list and as one path.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/bsp_map.h"
#include "core/resource_list.h"
#include "fuzz/escaped.h"

namespace {

using varnholt::fuzz::Escaped;

[[noreturn]] void Fail(const char* what, std::string_view input, std::string_view detail = {}) {
    std::fprintf(stderr, "bsp map: %s\n  input: \"%s\"\n", what, Escaped(input).c_str());
    if (!detail.empty()) std::fprintf(stderr, "  \"%s\"\n", Escaped(detail).c_str());
    std::abort();
}

std::int64_t Int32At(std::string_view bytes, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(word);
}

std::string Folded(std::string_view path) {
    std::string folded(path);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

// A path the installer may put below the mod folder: relative, backslashes only, no empty,
// "." or ".." piece, nothing Windows reads as a drive or stream, and already in the form
// ModRelativePath gives.
void CheckModPath(std::string_view input, const std::string& path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\') {
        Fail("path empty or not relative", input, path);
    }
    if (path.find_first_of("/:*?\"<>|") != std::string::npos ||
        path.find("\\\\") != std::string::npos) {
        Fail("path with a slash, a drive or a forbidden character", input, path);
    }
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20)
            Fail("path with a control character", input, path);
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view piece = std::string_view(path).substr(start, end - start);
        if (piece.back() == '.' || piece.back() == ' ') Fail("piece that can climb", input, path);
        start = end + 1;
    }
    if (varnholt::ModRelativePath(path) != path) Fail("path not in its own form", input, path);
}

void CheckPathList(std::string_view input, const std::vector<std::string>& paths) {
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        CheckModPath(input, path);
        if (!seen.insert(Folded(path)).second) Fail("path listed twice", input, path);
    }
}

std::string Written(const std::vector<varnholt::Entity>& entities) {
    std::string text;
    for (const varnholt::Entity& entity : entities) {
        text += "{\n";
        for (const auto& [key, value] : entity.keys) text += "\"" + key + "\" \"" + value + "\"\n";
        text += "}\n";
    }
    return text;
}

bool SameEntities(const std::vector<varnholt::Entity>& a, const std::vector<varnholt::Entity>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].keys != b[i].keys) return false;
    }
    return true;
}

void CheckEntityText(std::string_view input, std::string_view text) {
    const auto entities = varnholt::ParseEntities(text);
    std::size_t first = 0;
    while (first < text.size() && text[first] != '\0' &&
           static_cast<std::uint8_t>(text[first]) <= ' ') {
        ++first;
    }
    const bool entityText = first == text.size() || text[first] == '\0' || text[first] == '{';
    if (entities.has_value() != entityText) Fail("entity text judged wrongly", input);
    if (!entities) return;

    for (const varnholt::Entity& entity : *entities) {
        for (const auto& [key, value] : entity.keys) {
            if ((key + value).find_first_of(std::string("\"\0", 2)) != std::string::npos) {
                Fail("key or value holds a quote or NUL", input, key + "=" + value);
            }
        }
    }
    const auto again = varnholt::ParseEntities(Written(*entities));
    if (!again || !SameEntities(*again, *entities)) Fail("entities read back differ", input);

    const varnholt::MapNeeds needs = varnholt::NeedsOfMap(*entities);
    CheckPathList(input, needs.files);
    CheckPathList(input, needs.wads);
    for (const std::string& wad : needs.wads) {
        if (wad.find('\\') != std::string::npos) Fail("wad name with a folder", input, wad);
    }
    const auto sky = varnholt::SkyImagePaths(needs.skyName, ".tga");
    if (!sky.empty() && sky.size() != 6) Fail("not six sky images", input);
    CheckPathList(input, sky);
    for (const std::string& image : sky) {
        if (image.rfind("gfx\\env\\", 0) != 0) Fail("sky image outside gfx\\env", input, image);
    }
}

void CheckLump(std::string_view input, std::uint64_t fileSize) {
    const std::string_view header = input.substr(0, varnholt::kBspHeaderSize);
    const auto lump = varnholt::EntityLumpOf(header, fileSize);
    if (!lump) return;
    if (header.size() < varnholt::kBspHeaderSize || Int32At(header, 0) != 30) {
        Fail("entity lump of something that is no map", input);
    }
    if (static_cast<std::int64_t>(lump->offset) != Int32At(header, 4) ||
        static_cast<std::int64_t>(lump->length) != Int32At(header, 8)) {
        Fail("entity lump differs from the header", input);
    }
    if (lump->offset + lump->length > fileSize || lump->length > varnholt::kLongestEntityLump ||
        (lump->length > 0 && lump->offset < varnholt::kBspHeaderSize)) {
        Fail("entity lump not inside the file after the header", input);
    }
    if (fileSize == input.size()) {
        CheckEntityText(input, input.substr(static_cast<std::size_t>(lump->offset),
                                            static_cast<std::size_t>(lump->length)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    CheckLump(input, input.size());
    CheckLump(input, std::uint64_t{1} << 40);
    if (input.size() > varnholt::kBspHeaderSize) {
        CheckEntityText(input, input.substr(varnholt::kBspHeaderSize));
    }
    CheckEntityText(input, input);

    CheckPathList(input, varnholt::ParseResourceList(input));
    if (const auto path = varnholt::ModRelativePath(input)) CheckModPath(input, *path);
    return 0;
}
