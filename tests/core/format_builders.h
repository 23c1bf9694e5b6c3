#pragma once

// Small files of the game's formats, built byte by byte for the tests. The offsets are
// written out here again, apart from the readers' own, so a slip in the readers' numbers
// shows.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::testing {

inline void PutInt(std::string& bytes, std::size_t at, std::int64_t value, std::size_t width = 4) {
    const auto word = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
}

inline std::string Int32(std::int64_t value) {
    std::string bytes(4, '\0');
    PutInt(bytes, 0, value);
    return bytes;
}

// --- Studio models (studiohdr_t of the Half-Life SDK's studio.h) ---------------------------

namespace studio_layout {
inline constexpr std::size_t kHeaderSize = 244;
inline constexpr std::size_t kSequenceCountAt = 164;
inline constexpr std::size_t kSequenceTableAt = 168;
inline constexpr std::size_t kGroupCountAt = 172;
inline constexpr std::size_t kGroupTableAt = 176;
inline constexpr std::size_t kTextureCountAt = 180;
inline constexpr std::size_t kTextureTableAt = 184;
inline constexpr std::size_t kSequenceSize = 176;
inline constexpr std::size_t kGroupSize = 104;
inline constexpr std::size_t kTextureSize = 80;
}  // namespace studio_layout

// A version-10 model: header, then the sequence table (each label in its 32-byte field, the
// rest of each record 0x55), the group table and the texture table, in that order.
inline std::string BuildModel(const std::vector<std::string>& labels, std::int32_t groups,
                              std::int32_t textures) {
    using namespace studio_layout;
    std::string bytes(kHeaderSize, '\0');
    bytes.replace(0, 4, "IDST");
    PutInt(bytes, 4, 10);
    bytes.replace(8, 10, "test.mdl\0\0", 10);

    PutInt(bytes, kSequenceCountAt, static_cast<std::int64_t>(labels.size()));
    PutInt(bytes, kSequenceTableAt, static_cast<std::int64_t>(bytes.size()));
    for (const std::string& label : labels) {
        std::string record(kSequenceSize, '\x55');
        record.replace(0, 32, std::string(32, '\0'));
        record.replace(0, label.size(), label);
        bytes += record;
    }
    PutInt(bytes, kGroupCountAt, groups);
    PutInt(bytes, kGroupTableAt, static_cast<std::int64_t>(bytes.size()));
    bytes += std::string(static_cast<std::size_t>(groups) * kGroupSize, '\x66');
    PutInt(bytes, kTextureCountAt, textures);
    PutInt(bytes, kTextureTableAt, static_cast<std::int64_t>(bytes.size()));
    bytes += std::string(static_cast<std::size_t>(textures) * kTextureSize, '\x77');
    return bytes;
}

// --- Maps (dheader_t of the Half-Life SDK's bspfile.h) -------------------------------------

// A map header: the version, lump 0 (entities) as given, the other 14 lumps at 0x4000 + 8i.
inline std::string BuildMapHeader(std::int64_t version, std::int64_t offset, std::int64_t length) {
    std::string header(4 + 15 * 8, '\0');
    PutInt(header, 0, version);
    PutInt(header, 4, offset);
    PutInt(header, 8, length);
    for (std::size_t lump = 1; lump < 15; ++lump) {
        PutInt(header, 4 + lump * 8, 0x4000 + static_cast<std::int64_t>(lump) * 8);
        PutInt(header, 8 + lump * 8, 8);
    }
    return header;
}

// A version-30 map: the header, the entity text with its NUL, then `tail` bytes of other lumps.
inline std::string BuildMap(std::string_view entityText, std::size_t tail = 64) {
    std::string map = BuildMapHeader(30, 124, static_cast<std::int64_t>(entityText.size()) + 1);
    map += entityText;
    map += '\0';
    map += std::string(tail, '\x2A');
    return map;
}

// --- AMX Mod X plugins (amxmodx's amxxfile.h and the AMX_HEADER of amx.h) ------------------

namespace amx_layout {
inline constexpr std::size_t kAmxHeaderSize = 56;
inline constexpr std::size_t kFileVersionAt = 6;
inline constexpr std::size_t kRecordSizeAt = 10;
inline constexpr std::size_t kCodeAt = 12;
inline constexpr std::size_t kLibrariesAt = 40;
inline constexpr std::size_t kPublicVariablesAt = 44;
inline constexpr std::size_t kTagsAt = 48;
inline constexpr std::size_t kNameTableAt = 52;
inline constexpr std::size_t kCodeSize = 8;
// Where the container's first section entry's fields lie.
inline constexpr std::size_t kCountAt = 6;
inline constexpr std::size_t kCellSizeAt = 7;
inline constexpr std::size_t kDiskSizeAt = 8;
inline constexpr std::size_t kImageSizeAt = 12;
inline constexpr std::size_t kOffsetAt = 20;
}  // namespace amx_layout

enum class Names { Table, Inline };

// An AMX image with empty public and native tables, then the libraries and the tags. With
// Names::Table (file version 8) each record is an address cell and a name offset into the
// name table that follows; with Names::Inline (file version 6) each record holds its name in
// 20 bytes. kCodeSize bytes of code end the image.
inline std::string BuildImage(const std::vector<std::string>& libraries,
                              const std::vector<std::string>& tags, Names style = Names::Table) {
    using namespace amx_layout;
    const std::size_t recordSize = style == Names::Table ? 8 : 24;
    const std::size_t librariesAt = kAmxHeaderSize;
    const std::size_t tagsAt = librariesAt + libraries.size() * recordSize;
    const std::size_t tablesEnd = tagsAt + tags.size() * recordSize;

    std::string records;
    std::string nameTable("\x1F\x00", 2);  // the longest name's length, then the names
    std::int64_t address = 0x100;
    for (const auto* list : {&libraries, &tags}) {
        for (const std::string& name : *list) {
            records += Int32(address++);
            if (style == Names::Table) {
                records += Int32(static_cast<std::int64_t>(tablesEnd + nameTable.size()));
                nameTable += name + '\0';
            } else {
                std::string field(20, '\0');
                field.replace(0, name.size(), name);
                records += field;
            }
        }
    }
    std::string image(kAmxHeaderSize, '\0');
    image += records;
    if (style == Names::Table)
        image += nameTable;
    const std::size_t codeAt = image.size();
    image += std::string(kCodeSize, '\x2E');

    PutInt(image, 0, static_cast<std::int64_t>(image.size()));
    PutInt(image, 4, 0xF1E0, 2);
    image[kFileVersionAt] = style == Names::Table ? 8 : 6;
    image[7] = image[kFileVersionAt];
    PutInt(image, kRecordSizeAt, static_cast<std::int64_t>(recordSize), 2);
    PutInt(image, kCodeAt, static_cast<std::int64_t>(codeAt));
    for (std::size_t at = 16; at < 28; at += 4)
        PutInt(image, at, 4096);                                // dat, hea, stp
    PutInt(image, 28, -1);                                      // no main
    PutInt(image, 32, static_cast<std::int64_t>(librariesAt));  // publics
    PutInt(image, 36, static_cast<std::int64_t>(librariesAt));  // natives
    PutInt(image, kLibrariesAt, static_cast<std::int64_t>(librariesAt));
    PutInt(image, kPublicVariablesAt, static_cast<std::int64_t>(tagsAt));
    PutInt(image, kTagsAt, static_cast<std::int64_t>(tagsAt));
    PutInt(image, kNameTableAt, style == Names::Table ? static_cast<std::int64_t>(tablesEnd) : 0);
    return image;
}

inline std::string Compressed(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    const int result = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                                 reinterpret_cast<const Bytef*>(data.data()),
                                 static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    EXPECT_EQ(result, Z_OK);
    out.resize(size);
    return out;
}

struct SectionSpec {
    unsigned char cellSize = 4;
    std::string image;
    std::int64_t statedImageSize = -1;  // -1: the image's own size
};

// The container: "AMXX" as a little-endian word, version 0x0300, the section count, a
// 17-byte entry per section (cell size; compressed, image and memory size; offset), then
// each section's zlib data.
inline std::string BuildPlugin(const std::vector<SectionSpec>& sections) {
    std::string bytes = "XXMA";
    bytes += std::string("\x00\x03", 2);
    bytes += static_cast<char>(sections.size());
    std::string data;
    const std::size_t dataAt = bytes.size() + sections.size() * 17;
    for (const SectionSpec& section : sections) {
        const std::string compressed = Compressed(section.image);
        const std::int64_t imageSize = section.statedImageSize >= 0
                                           ? section.statedImageSize
                                           : static_cast<std::int64_t>(section.image.size());
        bytes += static_cast<char>(section.cellSize);
        bytes += Int32(static_cast<std::int64_t>(compressed.size()));
        bytes += Int32(imageSize);
        bytes += Int32(imageSize + 4096);
        bytes += Int32(static_cast<std::int64_t>(dataAt + data.size()));
        data += compressed;
    }
    return bytes + data;
}

inline std::string BuildPlugin(std::string image) {
    return BuildPlugin({{4, std::move(image)}});
}

}  // namespace varnholt::testing
