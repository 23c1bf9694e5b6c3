#include "core/zip_archive.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/core/zip_builder.h"

namespace varnholt {
namespace {

using namespace std::string_literals;
using testing::Build;
using testing::Crc;
using testing::Deflate;
using testing::FakeGbk;
using testing::Put16;
using testing::Put32;
using testing::StringSource;
using testing::TestArchive;
using testing::TestEntry;

// Bytes that do not compress, so they span several of the reader's chunks either way.
std::string Noise(std::size_t length) {
    std::string out(length, '\0');
    std::uint32_t state = 12345;
    for (char& c : out) {
        state = state * 1103515245 + 12345;
        c = static_cast<char>(state >> 24);
    }
    return out;
}

std::string UnicodePathField(std::uint8_t version, std::uint32_t nameCrc, std::string_view name) {
    std::string field;
    Put16(field, 0x7075);
    Put16(field, 5 + name.size());
    field += static_cast<char>(version);
    Put32(field, nameCrc);
    field += name;
    return field;
}

// The bytes with a little-endian 32-bit value written over them `distance` bytes after the
// first occurrence of `marker`.
std::string Overwritten(std::string bytes, std::string_view marker, std::size_t distance,
                        std::uint32_t value) {
    const std::size_t at = bytes.find(marker);
    EXPECT_NE(at, std::string::npos) << "marker missing";
    std::string field;
    Put32(field, value);
    bytes.replace(at + distance, 4, field);
    return bytes;
}

const std::string kEndMark = "PK\x05\x06"s;
const std::string kCentralMark = "PK\x01\x02"s;
const std::string kZip64ExtraMark = "\x01\x00\x18\x00"s;

struct Extracted {
    ExtractProblem problem;
    std::string data;
    std::size_t largestChunk = 0;
};

Extracted Extract(ByteSource& source, const ZipEntry& entry, bool sinkAccepts = true) {
    Extracted result{};
    result.problem = ExtractEntry(source, entry, [&](const char* data, std::size_t length) {
        result.data.append(data, length);
        result.largestChunk = std::max(result.largestChunk, length);
        return sinkAccepts;
    });
    return result;
}

TEST(ZipArchive, EntriesComeOutAsStored) {
    const std::string text(70000, 'x');
    struct Case {
        const char* name;
        TestArchive archive;
    };
    const Case cases[] = {
        {"stored", {{{"addons/amxmodx/plugins/a.amxx", "plugin bytes"}}}},
        {"deflated", {{{"models/player/a/a.mdl", text, 8}}}},
        {"empty stored and deflated", {{{"a.txt", ""}, {"b.txt", "", 8}}}},
        {"several chunks each way",
         {{{"stored.bsp", Noise(300000)}, {"deflated.bsp", Noise(300000), 8}}}},
        {"data descriptor", {{{"a.spr", text, 8, 8}, {"b.spr", "sprite", 0, 8}}}},
        {"local extra field longer than the central one",
         {{{.name = "a.amxx", .data = "abc", .localExtra = "\xFE\xCA\x05\x00padde"s}}}},
        {"longest name", {{{std::string(kLongestZipName, 'n'), "abc"}}}},
        {"comment", {{{"a.amxx", "abc"}}, "www.example.com 下载"}},
        {"comment holding an end signature", {{{"a.amxx", "abc"}}, kEndMark + std::string(30, 0)}},
        {"Zip64 entry", {{{.name = "a.bsp", .data = text, .method = 8, .zip64 = true}}}},
        {"Zip64 end record",
         {.entries = {{"a.amxx", "abc"}, {.name = "b.mdl", .data = "mdl", .zip64 = true}},
          .zip64End = true}},
        {"no entries", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringSource source(Build(c.archive));
        const ZipDirectory directory = ReadZipDirectory(source);
        ASSERT_EQ(directory.problem, ZipProblem::None);
        ASSERT_EQ(directory.entries.size(), c.archive.entries.size());
        for (std::size_t i = 0; i < directory.entries.size(); ++i) {
            const ZipEntry& entry = directory.entries[i];
            const TestEntry& expected = c.archive.entries[i];
            EXPECT_EQ(entry.rawName, expected.name);
            EXPECT_EQ(entry.size, expected.data.size());
            EXPECT_EQ(entry.crc32, Crc(expected.data));
            EXPECT_FALSE(entry.isFolder || entry.isSymlink || entry.encrypted);
            const Extracted out = Extract(source, entry);
            EXPECT_EQ(out.problem, ExtractProblem::None) << entry.rawName;
            EXPECT_TRUE(out.data == expected.data) << entry.rawName;
            EXPECT_LE(out.largestChunk, 256u * 1024);
        }
    }
}

TEST(ZipArchive, NamesFoldersAndLinks) {
    const std::string gbkName = "\xD6\xD0\xCE\xC4.amxx";  // 中文.amxx
    const std::uint16_t unixHost = 3 << 8 | 30;
    const std::uint32_t linkMode = 0120777u << 16;
    struct Case {
        const char* name;
        TestEntry entry;
        std::optional<std::string> decoded;
        bool folder = false;
        bool symlink = false;
    };
    const Case cases[] = {
        {"ASCII", {"addons/amxmodx/plugins/a.amxx"}, "addons\\amxmodx\\plugins\\a.amxx"},
        {"backslashes", {"maps\\de_dust.bsp"}, "maps\\de_dust.bsp"},
        {"GBK without the UTF-8 flag",
         {"\xD6\xD0\xCE\xC4/\xB2\xE5\xBC\xFE.amxx"},
         "中文\\插件.amxx"},
        {"UTF-8 flag", {.name = "中文/插件.amxx", .flags = 0x800}, "中文\\插件.amxx"},
        {"UTF-8 flag on GBK bytes", {.name = gbkName, .flags = 0x800}, "中文.amxx"},
        {"Unicode path field",
         {.name = gbkName, .centralExtra = UnicodePathField(1, Crc(gbkName), "插件.amxx")},
         "插件.amxx"},
        {"Unicode path field after another field",
         {.name = gbkName,
          .centralExtra = "\x55\x54\x01\x00\x01"s + UnicodePathField(1, Crc(gbkName), "插件.amxx")},
         "插件.amxx"},
        {"Unicode path field with a stale CRC",
         {.name = gbkName, .centralExtra = UnicodePathField(1, Crc("a.amxx"), "插件.amxx")},
         "中文.amxx"},
        {"Unicode path field of another version",
         {.name = gbkName, .centralExtra = UnicodePathField(2, Crc(gbkName), "插件.amxx")},
         "中文.amxx"},
        {"Unicode path field that is not UTF-8",
         {.name = gbkName, .centralExtra = UnicodePathField(1, Crc(gbkName), gbkName)},
         "中文.amxx"},
        {"undecodable", {"\xFF\xFE.amxx"}, std::nullopt},
        {"NUL in the name", {"a.amxx\0.txt"s}, std::nullopt},
        {"folder", {"maps/"}, "maps\\", true},
        {"folder with a backslash", {"maps\\"}, "maps\\", true},
        {"GBK folder with a backslash", {"\xD6\xD0\xCE\xC4\\"}, "中文\\", true},
        // 乗 is 81 5C in GBK: its second byte is no separator.
        {"GBK character ending in 5C", {"\x81\x5C"}, "乗", false},
        {"UTF-8 folder", {.name = "中文/", .flags = 0x800}, "中文\\", true},
        {"Unix symbolic link",
         {.name = "a.amxx", .madeBy = unixHost, .external = linkMode},
         "a.amxx",
         false,
         true},
        {"Unix regular file",
         {.name = "a.amxx", .madeBy = unixHost, .external = 0100644u << 16},
         "a.amxx"},
        {"link mode from an MS-DOS host", {.name = "a.amxx", .external = linkMode}, "a.amxx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringSource source(Build({{c.entry}}));
        const ZipDirectory directory = ReadZipDirectory(source);
        ASSERT_EQ(directory.problem, ZipProblem::None);
        ASSERT_EQ(directory.entries.size(), 1u);
        const ZipEntry& entry = directory.entries[0];
        EXPECT_EQ(entry.rawName, c.entry.name);
        EXPECT_EQ(EntryNameOf(entry, FakeGbk), c.decoded);
        EXPECT_EQ(entry.isFolder, c.folder);
        EXPECT_EQ(entry.isSymlink, c.symlink);
    }
}

TEST(ZipArchive, ExtractionStopsAtTheFirstFault) {
    const std::string text(100000, 'x');
    struct Case {
        const char* name;
        TestEntry entry;
        ExtractProblem problem;
        std::function<std::string(std::string)> patch{};  // applied to the built archive
        std::function<void(ZipEntry&)> misread{};         // applied to the entry read back
        bool sinkAccepts = true;
    };
    const Case cases[] = {
        {"encrypted", {.name = "a", .data = "abc", .flags = 1}, ExtractProblem::Encrypted},
        {"strong encryption",
         {.name = "a", .data = "abc", .flags = 0x40},
         ExtractProblem::Encrypted},
        {"LZMA", {.name = "a", .data = "abc", .method = 14}, ExtractProblem::UnsupportedMethod},
        {"CRC mismatch, stored",
         {.name = "a", .data = "abc", .crc = 1},
         ExtractProblem::CrcMismatch},
        {"CRC mismatch, deflated",
         {.name = "a", .data = text, .method = 8, .crc = 1},
         ExtractProblem::CrcMismatch},
        {"inflates past its size",
         {.name = "a", .data = text, .method = 8, .size = 1000},
         ExtractProblem::TooLarge},
        {"inflates one byte past its size",
         {.name = "a", .data = text, .method = 8, .size = text.size() - 1},
         ExtractProblem::TooLarge},
        {"stored past its size",
         {.name = "a", .data = "abcdef", .size = 3},
         ExtractProblem::TooLarge},
        {"inflates short of its size",
         {.name = "a", .data = text, .method = 8, .size = text.size() + 1},
         ExtractProblem::SizeMismatch},
        {"stored short of its size",
         {.name = "a", .data = "abc", .size = 4},
         ExtractProblem::SizeMismatch},
        {"not a deflate stream",
         {.name = "a", .data = "abc", .method = 8, .payload = "\xFF\xFF"},
         ExtractProblem::Corrupt},
        {"deflate stream cut short",
         {.name = "a", .data = text, .method = 8, .payload = Deflate(text).substr(0, 20)},
         ExtractProblem::Corrupt},
        {"bytes after the deflate stream",
         {.name = "a", .data = "abc", .method = 8, .payload = Deflate("abc") + "zz"},
         ExtractProblem::Corrupt},
        {"no local header where the directory says",
         {.name = "a", .data = "abc"},
         ExtractProblem::Corrupt,
         [](std::string bytes) { return "X" + bytes.substr(1); }},
        {"data past the end of the file",
         {.name = "a", .data = "abc"},
         ExtractProblem::Truncated,
         nullptr,
         [](ZipEntry& entry) { entry.compressedSize = entry.size = 1000; }},
        {"local header past the end of the file",
         {.name = "a", .data = "abc"},
         ExtractProblem::Truncated,
         nullptr,
         [](ZipEntry& entry) { entry.localHeaderOffset = 1ull << 40; }},
        {"sink refuses",
         {.name = "a", .data = "abc"},
         ExtractProblem::WriteFailed,
         nullptr,
         nullptr,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = Build({{c.entry}});
        StringSource source(c.patch ? c.patch(bytes) : bytes);
        const ZipDirectory directory = ReadZipDirectory(source);
        ASSERT_EQ(directory.problem, ZipProblem::None);
        ASSERT_EQ(directory.entries.size(), 1u);
        ZipEntry entry = directory.entries[0];
        EXPECT_EQ(entry.encrypted, c.problem == ExtractProblem::Encrypted);
        if (c.misread) c.misread(entry);
        const Extracted out = Extract(source, entry, c.sinkAccepts);
        EXPECT_EQ(out.problem, c.problem);
        EXPECT_LE(out.data.size(), entry.size);
    }
}

TEST(ZipArchive, DirectoryProblems) {
    const TestArchive one = {{{"a.amxx", "plugin bytes"}}};
    const std::string whole = Build(one);
    const std::string commented = Build({one.entries, "0123456789"});
    const std::string zip64 =
        Build({.entries = {{.name = "a", .data = "abc", .zip64 = true}}, .zip64End = true});
    const std::size_t directoryAt = whole.find(kCentralMark);
    struct Case {
        const char* name;
        std::string bytes;
        ZipProblem problem;
    };
    const Case cases[] = {
        {"empty file", "", ZipProblem::NotZip},
        {"text", "just some text, long enough to hold an end record", ZipProblem::NotZip},
        {"RAR archive", "Rar!\x1A\x07\x00"s + std::string(40, 0), ZipProblem::NotZip},
        {"cut in the data", whole.substr(0, 35), ZipProblem::Truncated},
        {"cut in the directory", whole.substr(0, directoryAt + 20), ZipProblem::Truncated},
        {"cut in the end record", whole.substr(0, whole.size() - 5), ZipProblem::Truncated},
        {"cut in the comment", commented.substr(0, commented.size() - 3), ZipProblem::Truncated},
        {"first part of a spanned archive", "PK\x07\x08"s + whole.substr(0, 40), ZipProblem::Split},
        {"last part of a split archive", Build({.entries = one.entries, .disk = 1}),
         ZipProblem::Split},
        {"directory on another disk", Build({.entries = one.entries, .directoryDisk = 1}),
         ZipProblem::Split},
        {"entry starting on another disk", Build({{{.name = "a", .data = "abc", .diskStart = 1}}}),
         ZipProblem::Split},
        {"Zip64 locator counting two disks",
         Build({.entries = one.entries, .zip64End = true, .locatorDisks = 2}), ZipProblem::Split},
        {"too many entries",
         Build({.entries = one.entries, .zip64End = true, .declaredEntries = kMostZipEntries + 1}),
         ZipProblem::TooManyEntries},
        {"name too long", Build({{{std::string(kLongestZipName + 1, 'n'), "abc"}}}),
         ZipProblem::NameTooLong},
        {"more entries declared than the directory holds",
         Build({.entries = one.entries, .declaredEntries = 2}), ZipProblem::Corrupt},
        {"fewer entries declared than the directory holds",
         Build({.entries = {{"a", "1"}, {"b", "2"}}, .declaredEntries = 1}), ZipProblem::Corrupt},
        {"directory past the end record", Overwritten(whole, kEndMark, 16, whole.size()),
         ZipProblem::Corrupt},
        {"directory running past the end record", Overwritten(whole, kEndMark, 12, whole.size()),
         ZipProblem::Corrupt},
        {"no central header where the end record says", Overwritten(whole, kCentralMark, 0, 0),
         ZipProblem::Corrupt},
        {"local header inside the directory",
         Overwritten(whole, kCentralMark, 42, static_cast<std::uint32_t>(directoryAt)),
         ZipProblem::Corrupt},
        {"data running into the directory", Overwritten(whole, kCentralMark, 20, 1000),
         ZipProblem::Corrupt},
        {"Zip64 sizes without their extra field",
         Overwritten(zip64, kZip64ExtraMark, 0, 0x00180099), ZipProblem::Corrupt},
        {"Zip64 offset past 4 GB", Overwritten(zip64, kZip64ExtraMark, 24, 1), ZipProblem::Corrupt},
        {"Zip64 locator pointing at no record", Overwritten(zip64, "PK\x06\x07"s, 8, 3),
         ZipProblem::Corrupt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringSource source(c.bytes);
        const ZipDirectory directory = ReadZipDirectory(source);
        EXPECT_EQ(directory.problem, c.problem);
        EXPECT_TRUE(directory.entries.empty());
    }
}

TEST(ZipArchive, RarAnd7zSignatures) {
    struct Case {
        std::string bytes;
        bool archive;
    };
    const Case cases[] = {
        {"Rar!\x1A\x07\x00"s, true},      // RAR 1.5 to 4
        {"Rar!\x1A\x07\x01\x00"s, true},  // RAR 5
        {"7z\xBC\xAF\x27\x1C\x00\x04"s, true},
        {"Rar!\x1A", false},  // too short to tell
        {"PK\x03\x04", false},
        {"7z archive.txt", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(LooksLikeRarOr7z(c.bytes), c.archive);
    }
}

}  // namespace
}  // namespace varnholt
