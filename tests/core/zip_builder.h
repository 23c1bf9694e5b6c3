#pragma once

// Zip archives built byte by byte for the tests, and a byte source that reads them.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/zip_archive.h"

namespace varnholt::testing {

class StringSource final : public ByteSource {
public:
    explicit StringSource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t length) override {
        if (offset > bytes_.size() || length > bytes_.size() - offset)
            return false;
        std::memcpy(out, bytes_.data() + offset, length);
        return true;
    }

private:
    std::string bytes_;
};

inline void Put16(std::string& out, std::uint64_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}
inline void Put32(std::string& out, std::uint64_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16 & 0xFFFF);
}
inline void Put64(std::string& out, std::uint64_t value) {
    Put32(out, value & 0xFFFFFFFF);
    Put32(out, value >> 32);
}

inline std::uint32_t Crc(std::string_view data) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline std::string Deflate(std::string_view data) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}
struct TestEntry {
    std::string name{};
    std::string data{};
    std::uint16_t method = 0;  // 8 deflates the data; any other stores it
    std::uint16_t flags = 0;   // bit 3 writes a data descriptor
    std::string centralExtra{};
    std::string localExtra{};
    std::uint16_t madeBy = 20;  // host 0, MS-DOS
    std::uint32_t external = 0;
    std::optional<std::string> payload{};  // the bytes stored, when not the (deflated) data
    std::optional<std::uint32_t> crc{};    // the declared CRC, when not the data's
    std::optional<std::uint64_t> size{};   // the declared size, when not the data's
    bool zip64 = false;                    // sizes and offset in a Zip64 extra field
    std::uint16_t diskStart = 0;
};

struct TestArchive {
    std::vector<TestEntry> entries{};
    std::string comment{};
    std::uint16_t disk = 0;
    std::uint16_t directoryDisk = 0;
    bool zip64End = false;  // a Zip64 end record and its locator before the end record
    std::uint32_t locatorDisks = 1;
    std::optional<std::uint64_t> declaredEntries{};
};

inline std::string Build(const TestArchive& archive) {
    std::string out;
    std::string directory;
    for (const TestEntry& e : archive.entries) {
        const std::string payload = e.payload       ? *e.payload
                                    : e.method == 8 ? Deflate(e.data)
                                                    : e.data;
        const std::uint32_t crc = e.crc.value_or(Crc(e.data));
        const std::uint64_t size = e.size.value_or(e.data.size());
        const std::uint64_t offset = out.size();
        const bool descriptor = (e.flags & 8) != 0;

        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, e.flags);
        Put16(out, e.method);
        Put32(out, 0x00210000);  // 1980-01-01 00:00
        Put32(out, descriptor ? 0 : crc);
        Put32(out, descriptor ? 0 : payload.size());
        Put32(out, descriptor ? 0 : size);
        Put16(out, e.name.size());
        Put16(out, e.localExtra.size());
        out += e.name + e.localExtra + payload;
        if (descriptor) {
            Put32(out, 0x08074b50);
            Put32(out, crc);
            Put32(out, payload.size());
            Put32(out, size);
        }

        std::string extra = e.centralExtra;
        if (e.zip64) {
            std::string field;
            Put16(field, 0x0001);
            Put16(field, 24);
            Put64(field, size);
            Put64(field, payload.size());
            Put64(field, offset);
            extra = field + extra;
        }
        const std::uint64_t mark = 0xFFFFFFFF;
        Put32(directory, 0x02014b50);
        Put16(directory, e.madeBy);
        Put16(directory, e.zip64 ? 45 : 20);
        Put16(directory, e.flags);
        Put16(directory, e.method);
        Put32(directory, 0x00210000);
        Put32(directory, crc);
        Put32(directory, e.zip64 ? mark : payload.size());
        Put32(directory, e.zip64 ? mark : size);
        Put16(directory, e.name.size());
        Put16(directory, extra.size());
        Put16(directory, 0);
        Put16(directory, e.diskStart);
        Put16(directory, 0);
        Put32(directory, e.external);
        Put32(directory, e.zip64 ? mark : offset);
        directory += e.name + extra;
    }

    const std::uint64_t directoryAt = out.size();
    out += directory;
    const std::uint64_t entries = archive.declaredEntries.value_or(archive.entries.size());
    if (archive.zip64End) {
        const std::uint64_t recordAt = out.size();
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, archive.disk);
        Put32(out, archive.directoryDisk);
        Put64(out, entries);
        Put64(out, entries);
        Put64(out, directory.size());
        Put64(out, directoryAt);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, recordAt);
        Put32(out, archive.locatorDisks);
    }
    Put32(out, 0x06054b50);
    Put16(out, archive.disk);
    Put16(out, archive.directoryDisk);
    Put16(out, archive.zip64End ? 0xFFFF : entries);
    Put16(out, archive.zip64End ? 0xFFFF : entries);
    Put32(out, archive.zip64End ? 0xFFFFFFFF : directory.size());
    Put32(out, archive.zip64End ? 0xFFFFFFFF : directoryAt);
    Put16(out, archive.comment.size());
    out += archive.comment;
    return out;
}

// Decodes the few GBK characters the tests use; anything else does not decode.
inline std::optional<std::string> FakeGbk(std::string_view raw) {
    static const std::map<std::string, std::string> characters = {
        {"\xD6\xD0", "中"}, {"\xCE\xC4", "文"}, {"\xB2\xE5", "插"},
        {"\xBC\xFE", "件"}, {"\x81\x5C", "乗"},
    };
    std::string out;
    for (std::size_t at = 0; at < raw.size();) {
        if (static_cast<unsigned char>(raw[at]) < 0x80) {
            out += raw[at++];
            continue;
        }
        const auto found = characters.find(std::string(raw.substr(at, 2)));
        if (found == characters.end())
            return std::nullopt;
        out += found->second;
        at += 2;
    }
    return out;
}

}  // namespace varnholt::testing
