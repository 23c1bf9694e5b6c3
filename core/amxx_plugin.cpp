#include "core/amxx_plugin.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#define ZLIB_CONST
#include <zlib.h>

#include "core/little_endian.h"

namespace varnholt {
namespace {

// The container, as AMX Mod X's amxxfile.h lays it out: a magic word, a version, a signed
// byte of section count, then per section its cell size byte and four int32s (compressed
// size, image size, memory size, file offset), in that order on disk.
constexpr std::uint32_t kAmxxMagic = 0x414D5858;     // bytes "XXMA"
constexpr std::uint32_t kOldAmxxMagic = 0x414D5842;  // the container of AMX Mod X 1.0
constexpr std::uint32_t kRunLengthMagic = 0x524C4542;
constexpr std::uint16_t kAmxxVersion = 0x0300;
constexpr std::size_t kSectionTableAt = 7;
constexpr std::size_t kSectionEntrySize = 17;
constexpr unsigned char kGameCellSize = 4;  // the game's AMX Mod X runs 32-bit cells

// AMX_HEADER of amx.h and its tables of (address cell, name) records.
constexpr std::size_t kAmxHeaderSize = 56;
constexpr std::uint16_t kAmxMagic = 0xF1E0;
constexpr std::size_t kFileVersionAt = 6;
constexpr std::size_t kRecordSizeAt = 10;
constexpr std::size_t kCodeAt = 12;
constexpr std::size_t kLibrariesAt = 40;
constexpr std::size_t kPublicVariablesAt = 44;
constexpr std::size_t kTagsAt = 48;
constexpr std::size_t kNameTableAt = 52;
constexpr unsigned char kOldestFileVersion = 6;
constexpr unsigned char kNewestFileVersion = 8;
constexpr unsigned char kFirstNameTableVersion = 7;
constexpr std::size_t kNameOffsetRecord = 8;   // AMX_FUNCSTUBNT: address, name offset
constexpr std::size_t kInlineNameRecord = 24;  // AMX_FUNCSTUB: address, 20-byte name
constexpr std::size_t kInlineNameSize = 20;
constexpr std::size_t kLongestName = 63;  // the compiler writes at most 31

constexpr std::size_t kFirstInflateChunk = 64 * 1024;

struct Section {
    std::int64_t diskSize = 0;
    std::int64_t imageSize = 0;
    std::int64_t offset = 0;
};

struct SectionOrProblem {
    AmxxProblem problem = AmxxProblem::None;
    Section section;
};

SectionOrProblem FindGameSection(std::string_view bytes) {
    const std::optional<std::uint32_t> magic = ReadU32(bytes, 0);
    if (!magic) return {AmxxProblem::NotAmxx, {}};
    if (*magic == kOldAmxxMagic || *magic == kRunLengthMagic) return {AmxxProblem::BadVersion, {}};
    if (*magic != kAmxxMagic) return {AmxxProblem::NotAmxx, {}};
    if (ReadU16(bytes, 4) != kAmxxVersion) return {AmxxProblem::BadVersion, {}};
    if (bytes.size() < kSectionTableAt) return {AmxxProblem::BadSection, {}};

    // AMX Mod X reads the count into a plain char: from 0x80 up it is negative.
    const auto count = static_cast<std::int8_t>(bytes[6]);
    const std::size_t tableEnd =
        kSectionTableAt + static_cast<std::size_t>(std::max<int>(count, 0)) * kSectionEntrySize;
    if (count <= 0 || bytes.size() < tableEnd) return {AmxxProblem::BadSection, {}};

    for (std::size_t at = kSectionTableAt; at < tableEnd; at += kSectionEntrySize) {
        if (static_cast<unsigned char>(bytes[at]) != kGameCellSize) continue;
        // The entry lies inside the table, whose end is checked above.
        const Section section{*ReadI32(bytes, at + 1), *ReadI32(bytes, at + 5),
                              *ReadI32(bytes, at + 13)};
        const bool sane =
            section.diskSize > 0 && section.imageSize > 0 &&
            section.imageSize <= kLargestAmxImage &&
            section.offset >= static_cast<std::int64_t>(tableEnd) &&
            section.offset + section.diskSize <= static_cast<std::int64_t>(bytes.size());
        if (!sane) return {AmxxProblem::BadSection, {}};
        return {AmxxProblem::None, section};
    }
    return {AmxxProblem::BadSection, {}};
}

// The image in `compressed`, when it is one whole zlib stream of at most `imageSize` bytes.
// The buffer grows as the stream fills it, so a lying size costs no more than the data.
std::optional<std::string> Inflate(std::string_view compressed, std::size_t imageSize) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    std::string image(std::min(imageSize, kFirstInflateChunk), '\0');
    stream.next_in = reinterpret_cast<const Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(image.data());
    stream.avail_out = static_cast<uInt>(image.size());

    bool whole = false;
    for (;;) {
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            whole = true;
            image.resize(image.size() - stream.avail_out);
            break;
        }
        if ((result != Z_OK && result != Z_BUF_ERROR) || stream.avail_out != 0) break;
        const std::size_t produced = image.size();
        if (produced == imageSize) {
            // Full: the stream may still end here, with no byte left to write.
            Bytef spare = 0;
            stream.next_out = &spare;
            stream.avail_out = 1;
            whole = inflate(&stream, Z_NO_FLUSH) == Z_STREAM_END && stream.avail_out == 1;
            break;
        }
        image.resize(std::min(imageSize, produced * 2));
        stream.next_out = reinterpret_cast<Bytef*>(image.data() + produced);
        stream.avail_out = static_cast<uInt>(image.size() - produced);
    }
    inflateEnd(&stream);
    if (!whole) return std::nullopt;
    return image;
}

struct ImageNames {
    std::vector<std::string> libraries;
    std::vector<std::string> tags;
};

// The names of the records from `start` up to `end` (image offsets read from the header),
// appended to `names`; false when the table or a name is not inside the image.
bool ReadTable(std::string_view image, std::int64_t start, std::int64_t end, std::size_t recordSize,
               std::vector<std::string>& names) {
    if (start < static_cast<std::int64_t>(kAmxHeaderSize) || end < start ||
        end > static_cast<std::int64_t>(image.size())) {
        return false;
    }
    const auto count = static_cast<std::size_t>(end - start) / recordSize;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = static_cast<std::size_t>(start) + i * recordSize;
        std::string_view field;
        if (recordSize == kNameOffsetRecord) {
            const std::optional<std::uint32_t> nameAt = ReadU32(image, record + 4);
            if (!nameAt || *nameAt >= image.size()) return false;
            field = image.substr(*nameAt, kLongestName + 1);
        } else {
            field = image.substr(record + 4, kInlineNameSize);
        }
        const std::size_t length = field.find('\0');
        if (length == std::string_view::npos) return false;
        names.emplace_back(field.substr(0, length));
    }
    return true;
}

std::optional<ImageNames> ReadImageNames(std::string_view image) {
    if (image.size() < kAmxHeaderSize || ReadU16(image, 4) != kAmxMagic) return std::nullopt;
    // Every field read below lies inside the header, whose size is checked.
    const auto version = static_cast<unsigned char>(image[kFileVersionAt]);
    const std::uint32_t recordSize = *ReadU16(image, kRecordSizeAt);
    if (version < kOldestFileVersion || version > kNewestFileVersion ||
        (recordSize != kNameOffsetRecord && recordSize != kInlineNameRecord)) {
        return std::nullopt;
    }
    // Before file version 7 there is no name table and the tags run up to the code.
    const std::int64_t tagsEnd = version >= kFirstNameTableVersion ? *ReadI32(image, kNameTableAt)
                                                                   : *ReadI32(image, kCodeAt);
    ImageNames names;
    std::vector<std::string> tags;
    if (!ReadTable(image, *ReadI32(image, kLibrariesAt), *ReadI32(image, kPublicVariablesAt),
                   recordSize, names.libraries) ||
        !ReadTable(image, *ReadI32(image, kTagsAt), tagsEnd, recordSize, tags)) {
        return std::nullopt;
    }
    for (std::string& tag : tags) {
        if (tag.starts_with('?')) names.tags.push_back(std::move(tag));
    }
    return names;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Module names in order, each once; the set keeps a plugin of many names from costing
// a search of the whole list per name.
class ModuleList {
public:
    void Add(std::string_view name) {
        const auto fits = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-';
        };
        if (name.empty() || !std::all_of(name.begin(), name.end(), fits)) return;
        std::string lower = LowerAscii(name);
        if (seen_.insert(lower).second) names_.push_back(std::move(lower));
    }
    std::vector<std::string> Take() { return std::move(names_); }

private:
    std::vector<std::string> names_;
    std::unordered_set<std::string> seen_;
};

// A plain "#pragma library" entry, loaded by AMX Mod X as a module of that name.
void AddLibraryModule(ModuleList& modules, std::string_view library) {
    const std::string lower = LowerAscii(library);
    if (lower == "float") return;
    if (lower == "socket") return modules.Add("sockets");
    if (lower == "dbi") return modules.Add("mysql");
    modules.Add(lower);
}

// The module part of "LIB_MOD": after the first "_" that does not start a "__" pair, as
// AMX Mod X splits it.
std::string_view FallbackModuleOf(std::string_view parameters) {
    std::size_t split = parameters.find('_');
    while (split != std::string_view::npos && split + 1 < parameters.size() &&
           parameters[split + 1] == '_') {
        split = parameters.find('_', split + 2);
    }
    if (split == std::string_view::npos) return {};
    return parameters.substr(split + 1);
}

void AddTagModule(ModuleList& modules, std::string_view tag) {
    if (tag.starts_with("?f_")) return modules.Add(tag.substr(3));
    if (tag.starts_with("?el_") || tag.starts_with("?ec_")) {
        return modules.Add(FallbackModuleOf(tag.substr(4)));
    }
    if (tag.starts_with("?d_")) modules.Add(FallbackModuleOf(tag.substr(3)));
}

}  // namespace

AmxxRequirements ReadAmxxPlugin(std::string_view bytes) {
    AmxxRequirements result;
    const SectionOrProblem found = FindGameSection(bytes);
    if (found.problem != AmxxProblem::None) {
        result.problem = found.problem;
        return result;
    }
    const Section& section = found.section;
    const std::optional<std::string> image =
        Inflate(bytes.substr(static_cast<std::size_t>(section.offset),
                             static_cast<std::size_t>(section.diskSize)),
                static_cast<std::size_t>(section.imageSize));
    if (!image) {
        result.problem = AmxxProblem::BadSection;
        return result;
    }
    const std::optional<ImageNames> names = ReadImageNames(*image);
    if (!names) {
        result.problem = AmxxProblem::BadImage;
        return result;
    }
    ModuleList modules;
    for (const std::string& library : names->libraries) {
        AddLibraryModule(modules, library);
        result.libraries.push_back(library);
    }
    for (const std::string& tag : names->tags) {
        AddTagModule(modules, tag);
        result.libraries.push_back(tag);
    }
    result.modules = modules.Take();
    return result;
}

}  // namespace varnholt
