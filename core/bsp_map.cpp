#include "core/bsp_map.h"

#include <algorithm>
#include <array>

#include "core/little_endian.h"
#include "core/resource_list.h"

namespace varnholt {
namespace {

constexpr std::int32_t kBspVersion = 30;

// Reads the entity text the way the game's tokenizer does: every byte up to a space is
// blank, a string runs to the next quote whatever it holds (line breaks included).
class EntityTextReader {
public:
    explicit EntityTextReader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    // The next non-blank byte, or NUL at the end of the text.
    char Peek() {
        while (at_ < text_.size() && static_cast<unsigned char>(text_[at_]) <= ' ') ++at_;
        return at_ < text_.size() ? text_[at_] : '\0';
    }
    void Skip() { ++at_; }

    std::optional<std::string> QuotedString() {
        if (Peek() != '"') return std::nullopt;
        const std::size_t close = text_.find('"', at_ + 1);
        if (close == std::string_view::npos) return std::nullopt;
        std::string value(text_.substr(at_ + 1, close - at_ - 1));
        at_ = close + 1;
        return value;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// One { ... } block, the "{" already read; nothing unless it ends in "}".
std::optional<Entity> ReadEntityBody(EntityTextReader& reader) {
    Entity entity;
    while (reader.Peek() != '}') {
        std::optional<std::string> key = reader.QuotedString();
        if (!key) return std::nullopt;
        std::optional<std::string> value = reader.QuotedString();
        if (!value) return std::nullopt;
        entity.keys.emplace_back(std::move(*key), std::move(*value));
    }
    reader.Skip();
    return entity;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && SamePathIgnoringCase(text.substr(0, start.size()), start);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           SamePathIgnoringCase(text.substr(text.size() - end.size()), end);
}

const std::string* ValueOf(const Entity& entity, std::string_view key) {
    for (const auto& [name, value] : entity.keys) {
        if (SamePathIgnoringCase(name, key)) return &value;
    }
    return nullptr;
}

void AddWads(std::string_view wadKey, UniquePaths& wads) {
    std::size_t start = 0;
    while (start <= wadKey.size()) {
        std::size_t end = wadKey.find(';', start);
        if (end == std::string_view::npos) end = wadKey.size();
        std::string_view path = wadKey.substr(start, end - start);
        start = end + 1;
        const std::size_t slash = path.find_last_of("/\\");
        if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
        if (std::optional<std::string> name = ModRelativePath(path)) wads.Add(std::move(*name));
    }
}

// The game reads these keys (entity fields are matched without case) as sound names below
// sound\; "message" is a sound for ambient_generic and func_rotating and text elsewhere, so
// only values that end like a sound file count.
bool IsSoundKey(std::string_view key) {
    constexpr std::array<std::string_view, 5> kSoundKeys = {"message", "noise", "noise1", "noise2",
                                                            "noise3"};
    return std::any_of(kSoundKeys.begin(), kSoundKeys.end(),
                       [&](std::string_view name) { return SamePathIgnoringCase(key, name); });
}

std::optional<std::string> SoundFileOf(std::string_view value) {
    std::optional<std::string> path = ModRelativePath(value);
    if (!path || StartsWithIgnoringCase(*path, "sound\\")) return path;
    return "sound\\" + *path;
}

void AddFilesOf(const Entity& entity, UniquePaths& files) {
    for (const auto& [key, value] : entity.keys) {
        std::optional<std::string> path;
        if (EndsWithIgnoringCase(value, ".mdl") || EndsWithIgnoringCase(value, ".spr")) {
            path = ModRelativePath(value);
        } else if (IsSoundKey(key) && !value.starts_with('!') &&
                   (EndsWithIgnoringCase(value, ".wav") || EndsWithIgnoringCase(value, ".mp3"))) {
            path = SoundFileOf(value);
        }
        if (path) files.Add(std::move(*path));
    }
}

}  // namespace

std::optional<ByteRange> EntityLumpOf(std::string_view header, std::uint64_t fileSize) {
    if (header.size() < kBspHeaderSize || ReadI32(header, 0) != kBspVersion) return std::nullopt;
    const std::int32_t offset = *ReadI32(header, 4);  // inside the header, whose size is checked
    const std::int32_t length = *ReadI32(header, 8);
    if (offset < 0 || length < 0) return std::nullopt;
    const ByteRange range{static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(length)};
    if (range.length > kLongestEntityLump) return std::nullopt;
    if (range.length > 0 && range.offset < kBspHeaderSize) return std::nullopt;
    if (range.offset + range.length > fileSize) return std::nullopt;
    return range;
}

std::optional<std::vector<Entity>> ParseEntities(std::string_view text) {
    EntityTextReader reader(text);
    const char first = reader.Peek();
    if (first != '{' && first != '\0') return std::nullopt;

    std::vector<Entity> entities;
    while (reader.Peek() == '{') {
        reader.Skip();
        std::optional<Entity> entity = ReadEntityBody(reader);
        if (!entity) break;
        entities.push_back(std::move(*entity));
    }
    return entities;
}

MapNeeds NeedsOfMap(const std::vector<Entity>& entities) {
    MapNeeds needs;
    UniquePaths wads;
    UniquePaths files;
    bool worldSeen = false;
    for (const Entity& entity : entities) {
        const std::string* className = ValueOf(entity, "classname");
        if (!worldSeen && className && *className == "worldspawn") {
            worldSeen = true;
            if (const std::string* wad = ValueOf(entity, "wad")) AddWads(*wad, wads);
            if (const std::string* sky = ValueOf(entity, "skyname")) needs.skyName = *sky;
        }
        AddFilesOf(entity, files);
    }
    needs.wads = wads.Take();
    needs.files = files.Take();
    return needs;
}

std::vector<std::string> SkyImagePaths(std::string_view skyName, std::string_view extension) {
    const std::optional<std::string> name = ModRelativePath(skyName);
    if (!name) return {};
    std::vector<std::string> paths;
    for (std::string_view side : {"up", "dn", "lf", "rt", "ft", "bk"}) {
        paths.push_back("gfx\\env\\" + *name + std::string(side) + std::string(extension));
    }
    return paths;
}

}  // namespace varnholt
