#include "core/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>

#include "core/little_endian.h"
#include "core/utf8.h"

namespace varnholt {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kSpannedSignature = 0x08074b50;
constexpr std::uint32_t kOneSegmentSpannedSignature = 0x30304b50;

constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kLongestComment = 0xFFFF;

constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kUnicodePathExtraId = 0x7075;

constexpr std::uint16_t kFlagEncrypted = 1 << 0;
constexpr std::uint16_t kFlagStrongEncryption = 1 << 6;
constexpr std::uint16_t kFlagUtf8 = 1 << 11;

constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

constexpr unsigned kHostUnix = 3;
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixSymlink = 0120000;

// The size of each read and inflate buffer, whatever sizes the archive declares.
constexpr std::size_t kChunk = 64 * 1024;

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::uint32_t Crc32Of(std::string_view text) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), Bytes(text), static_cast<uInt>(text.size())));
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The data of the first extra field with this id; a malformed record ends the walk, as
// writers are known to pad the extra area with junk.
std::optional<std::string_view> FindExtra(std::string_view extra, std::uint16_t id) {
    while (extra.size() >= 4) {
        const std::uint16_t fieldId = *ReadU16(extra, 0);
        const std::size_t length = *ReadU16(extra, 2);
        if (extra.size() - 4 < length) return std::nullopt;
        if (fieldId == id) return extra.substr(4, length);
        extra.remove_prefix(4 + length);
    }
    return std::nullopt;
}

std::optional<std::string> UnicodePathOf(std::string_view rawName, std::string_view extra) {
    const auto field = FindExtra(extra, kUnicodePathExtraId);
    // Version 1, then the CRC-32 of the name it stands for: a tool that renamed the entry
    // without knowing the field leaves a stale one behind.
    if (!field || field->size() <= 5 || Bytes(*field)[0] != 1) return std::nullopt;
    if (ReadU32(*field, 1) != Crc32Of(rawName)) return std::nullopt;
    const std::string_view name = field->substr(5);
    if (!IsValidUtf8(name)) return std::nullopt;
    return std::string(name);
}

bool NameEndsInFolderMark(const ZipEntry& entry) {
    if (entry.utf8Name) {
        const std::string& name = *entry.utf8Name;
        return !name.empty() && (name.back() == '/' || name.back() == '\\');
    }
    const std::string& raw = entry.rawName;
    if (raw.empty() || (raw.back() != '/' && raw.back() != '\\')) return false;
    if (raw.back() == '/') return true;
    // In the East Asian code pages (936 among them) a backslash byte can be the second half of
    // a two-byte character; only one that starts a character ends a folder's name.
    std::size_t at = 0;
    while (at + 1 < raw.size())
        at += Bytes(raw)[at] >= 0x81 ? 2 : 1;
    return at == raw.size() - 1;
}

// Reads the central directory front to back through one buffer: a few large reads instead
// of several small ones per entry.
class DirectoryReader {
public:
    DirectoryReader(ByteSource& archive, std::uint64_t start, std::uint64_t end)
        : archive_(archive), position_(start), end_(end), buffer_(kChunk) {}

    // Corrupt when the record runs past the directory's declared end.
    ZipProblem Read(void* out, std::size_t length) {
        if (length > end_ - position_) return ZipProblem::Corrupt;
        auto* to = static_cast<unsigned char*>(out);
        while (length > 0) {
            if (position_ < bufferStart_ || position_ - bufferStart_ >= bufferLength_) {
                bufferStart_ = position_;
                bufferLength_ =
                    static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end_ - position_));
                if (!archive_.ReadAt(bufferStart_, buffer_.data(), bufferLength_)) {
                    bufferLength_ = 0;
                    return ZipProblem::Truncated;
                }
            }
            const std::size_t from = static_cast<std::size_t>(position_ - bufferStart_);
            const std::size_t count = std::min(length, bufferLength_ - from);
            std::memcpy(to, buffer_.data() + from, count);
            to += count;
            position_ += count;
            length -= count;
        }
        return ZipProblem::None;
    }

    ZipProblem Skip(std::size_t length) {
        if (length > end_ - position_) return ZipProblem::Corrupt;
        position_ += length;
        return ZipProblem::None;
    }

    bool AtEnd() const { return position_ == end_; }

private:
    ByteSource& archive_;
    std::uint64_t position_;
    std::uint64_t end_;
    std::vector<unsigned char> buffer_;
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
};

// Where the end record starts in `tail` (the file's last bytes). A comment may hold the
// signature too, so a record whose comment ends exactly at the end of the file wins; failing
// that (bytes appended after the archive), the last record that fits.
std::optional<std::size_t> FindEndRecord(const std::vector<unsigned char>& tail) {
    if (tail.size() < kEndSize) return std::nullopt;
    std::optional<std::size_t> fitting;
    for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (ReadU32(tail, at) != kEndSignature) continue;
        const std::size_t end = at + kEndSize + *ReadU16(tail, at + 20);
        if (end == tail.size()) return at;
        if (end < tail.size() && !fitting) fitting = at;
    }
    return fitting;
}

// Without an end record, the first bytes tell a cut download from something else.
ZipProblem ProblemWithoutEndRecord(ByteSource& archive) {
    unsigned char first[4];
    if (archive.Size() < sizeof first || !archive.ReadAt(0, first, sizeof first)) {
        return ZipProblem::NotZip;
    }
    switch (*ReadU32(first, 0)) {
        case kSpannedSignature:
            return ZipProblem::Split;
        case kLocalSignature:
        case kEndSignature:
        case kOneSegmentSpannedSignature:
            return ZipProblem::Truncated;
        default:
            return ZipProblem::NotZip;
    }
}

struct DirectoryPlace {
    ZipProblem problem = ZipProblem::None;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
};

// The directory's place from the end record, or from the Zip64 end record when a locator
// stands right before it. `endAt` is the end record's offset in the file.
DirectoryPlace LocateDirectory(ByteSource& archive, std::span<const unsigned char> end,
                               std::uint64_t endAt) {
    std::uint64_t disk = *ReadU16(end, 4);
    std::uint64_t directoryDisk = *ReadU16(end, 6);
    std::uint64_t diskEntries = *ReadU16(end, 8);
    DirectoryPlace place;
    place.entries = *ReadU16(end, 10);
    place.size = *ReadU32(end, 12);
    place.offset = *ReadU32(end, 16);
    std::uint64_t limit = endAt;

    std::array<unsigned char, kZip64LocatorSize> locator{};
    if (endAt >= kZip64LocatorSize &&
        archive.ReadAt(endAt - kZip64LocatorSize, locator.data(), locator.size()) &&
        ReadU32(locator, 0) == kZip64LocatorSignature) {
        const std::uint64_t locatorAt = endAt - kZip64LocatorSize;
        const std::uint64_t recordAt = *ReadU64(locator, 8);
        // Some writers put 0 disks in the locator of a single-disk archive.
        if (*ReadU32(locator, 4) != 0 || *ReadU32(locator, 16) > 1) {
            return {ZipProblem::Split};
        }
        std::array<unsigned char, kZip64EndSize> record{};
        if (locatorAt < kZip64EndSize || recordAt > locatorAt - kZip64EndSize) {
            return {ZipProblem::Corrupt};
        }
        if (!archive.ReadAt(recordAt, record.data(), record.size())) return {ZipProblem::Truncated};
        const std::uint64_t recordSize = *ReadU64(record, 4);
        if (ReadU32(record, 0) != kZip64EndSignature || recordSize < kZip64EndSize - 12 ||
            recordSize > locatorAt - recordAt - 12) {
            return {ZipProblem::Corrupt};
        }
        disk = *ReadU32(record, 16);
        directoryDisk = *ReadU32(record, 20);
        diskEntries = *ReadU64(record, 24);
        place.entries = *ReadU64(record, 32);
        place.size = *ReadU64(record, 40);
        place.offset = *ReadU64(record, 48);
        limit = recordAt;
    }

    if (disk != 0 || directoryDisk != 0 || diskEntries != place.entries) {
        return {ZipProblem::Split};
    }
    if (place.entries > kMostZipEntries) return {ZipProblem::TooManyEntries};
    if (place.offset > limit || place.size > limit - place.offset ||
        place.entries * kCentralSize > place.size) {
        return {ZipProblem::Corrupt};
    }
    return place;
}

// Replaces each 32-bit field that holds its all-ones mark with the next 64-bit value of the
// Zip64 extra field, in the order the fields are listed there.
ZipProblem ApplyZip64Extra(std::string_view extra, std::span<const unsigned char> header,
                           ZipEntry& entry, std::uint32_t& diskStart) {
    const bool sizeMarked = ReadU32(header, 24) == 0xFFFFFFFF;
    const bool compressedMarked = ReadU32(header, 20) == 0xFFFFFFFF;
    const bool offsetMarked = ReadU32(header, 42) == 0xFFFFFFFF;
    const bool diskMarked = ReadU16(header, 34) == 0xFFFF;
    if (!sizeMarked && !compressedMarked && !offsetMarked && !diskMarked) return ZipProblem::None;

    const auto field = FindExtra(extra, kZip64ExtraId);
    if (!field) return ZipProblem::Corrupt;
    std::string_view rest = *field;
    const auto next64 = [&rest](std::uint64_t& value) {
        const std::optional<std::uint64_t> next = ReadU64(rest, 0);
        if (!next) return false;
        value = *next;
        rest.remove_prefix(8);
        return true;
    };
    if (sizeMarked && !next64(entry.size)) return ZipProblem::Corrupt;
    if (compressedMarked && !next64(entry.compressedSize)) return ZipProblem::Corrupt;
    if (offsetMarked && !next64(entry.localHeaderOffset)) return ZipProblem::Corrupt;
    if (diskMarked) {
        const std::optional<std::uint32_t> disk = ReadU32(rest, 0);
        if (!disk) return ZipProblem::Corrupt;
        diskStart = *disk;
    }
    return ZipProblem::None;
}

// One central directory header and the name, extra field and comment after it.
ZipProblem ReadEntry(DirectoryReader& reader, std::uint64_t directoryAt, ZipEntry& entry) {
    std::array<unsigned char, kCentralSize> header{};
    if (const auto problem = reader.Read(header.data(), header.size());
        problem != ZipProblem::None) {
        return problem;
    }
    if (ReadU32(header, 0) != kCentralSignature) return ZipProblem::Corrupt;

    // The header is read whole: every field below is inside it.
    const std::uint16_t madeBy = *ReadU16(header, 4);
    entry.flags = *ReadU16(header, 8);
    entry.method = *ReadU16(header, 10);
    entry.crc32 = *ReadU32(header, 16);
    entry.compressedSize = *ReadU32(header, 20);
    entry.size = *ReadU32(header, 24);
    const std::size_t nameLength = *ReadU16(header, 28);
    const std::size_t extraLength = *ReadU16(header, 30);
    const std::size_t commentLength = *ReadU16(header, 32);
    std::uint32_t diskStart = *ReadU16(header, 34);
    const std::uint32_t external = *ReadU32(header, 38);
    entry.localHeaderOffset = *ReadU32(header, 42);

    if (nameLength > kLongestZipName) return ZipProblem::NameTooLong;
    entry.rawName.resize(nameLength);
    std::string extra(extraLength, '\0');
    if (const auto problem = reader.Read(entry.rawName.data(), nameLength);
        problem != ZipProblem::None) {
        return problem;
    }
    if (const auto problem = reader.Read(extra.data(), extraLength); problem != ZipProblem::None) {
        return problem;
    }
    if (const auto problem = reader.Skip(commentLength); problem != ZipProblem::None) {
        return problem;
    }

    if (const auto problem = ApplyZip64Extra(extra, header, entry, diskStart);
        problem != ZipProblem::None) {
        return problem;
    }
    if (diskStart != 0) return ZipProblem::Split;
    // Every entry's local header and data come before the central directory.
    if (entry.localHeaderOffset > directoryAt ||
        directoryAt - entry.localHeaderOffset < kLocalSize ||
        entry.compressedSize > directoryAt - entry.localHeaderOffset - kLocalSize) {
        return ZipProblem::Corrupt;
    }

    // Some tools set the UTF-8 flag on names in the system code page; those fall back to it.
    if ((entry.flags & kFlagUtf8) != 0 && IsValidUtf8(entry.rawName)) {
        entry.utf8Name = entry.rawName;
    } else {
        entry.utf8Name = UnicodePathOf(entry.rawName, extra);
    }
    entry.isFolder = NameEndsInFolderMark(entry);
    entry.isSymlink =
        (madeBy >> 8) == kHostUnix && ((external >> 16) & kUnixTypeMask) == kUnixSymlink;
    entry.encrypted = (entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0;
    return ZipProblem::None;
}

// Counts, checks and passes on an entry's output: never a byte past the declared size.
class OutputCheck {
public:
    OutputCheck(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink)
        : entry_(entry), sink_(sink), crc_(crc32(0, nullptr, 0)) {}

    std::uint64_t Room() const { return entry_.size - written_; }

    ExtractProblem Write(const unsigned char* data, std::size_t length) {
        if (length > Room()) return ExtractProblem::TooLarge;
        if (length == 0) return ExtractProblem::None;
        crc_ = crc32(crc_, data, static_cast<uInt>(length));
        written_ += length;
        if (!sink_(reinterpret_cast<const char*>(data), length)) return ExtractProblem::WriteFailed;
        return ExtractProblem::None;
    }

    ExtractProblem Finish() const {
        if (written_ != entry_.size) return ExtractProblem::SizeMismatch;
        if (crc_ != entry_.crc32) return ExtractProblem::CrcMismatch;
        return ExtractProblem::None;
    }

private:
    const ZipEntry& entry_;
    const std::function<bool(const char*, std::size_t)>& sink_;
    uLong crc_;
    std::uint64_t written_ = 0;
};

ExtractProblem CopyStored(ByteSource& archive, std::uint64_t at, const ZipEntry& entry,
                          OutputCheck& output) {
    if (entry.compressedSize > entry.size) return ExtractProblem::TooLarge;
    std::vector<unsigned char> buffer(kChunk);
    for (std::uint64_t left = entry.compressedSize; left > 0;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left));
        if (!archive.ReadAt(at, buffer.data(), count)) return ExtractProblem::Truncated;
        if (const auto problem = output.Write(buffer.data(), count);
            problem != ExtractProblem::None) {
            return problem;
        }
        at += count;
        left -= count;
    }
    return output.Finish();
}

class InflateStream {
public:
    InflateStream() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~InflateStream() {
        if (ready_) inflateEnd(&stream_);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    bool ready() const { return ready_; }
    z_stream& operator*() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

ExtractProblem Inflate(ByteSource& archive, std::uint64_t at, const ZipEntry& entry,
                       OutputCheck& output) {
    InflateStream inflater;
    if (!inflater.ready()) return ExtractProblem::Corrupt;
    z_stream& stream = *inflater;
    std::vector<unsigned char> input(kChunk);
    std::vector<unsigned char> buffer(kChunk);
    std::uint64_t unread = entry.compressedSize;
    for (;;) {
        if (stream.avail_in == 0 && unread > 0) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, unread));
            if (!archive.ReadAt(at, input.data(), count)) return ExtractProblem::Truncated;
            at += count;
            unread -= count;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(count);
        }
        // Room for one byte more than the entry may still hold: an entry that inflates past
        // its size shows at once, after at most that little work.
        const std::uint64_t room = output.Room();
        const auto offered = static_cast<std::size_t>(room < kChunk ? room + 1 : kChunk);
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(offered);
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) return ExtractProblem::Corrupt;
        if (const auto problem = output.Write(buffer.data(), offered - stream.avail_out);
            problem != ExtractProblem::None) {
            return problem;
        }
        if (status == Z_STREAM_END) break;
    }
    // Compressed bytes left after the stream's end mean the sizes are wrong.
    if (stream.avail_in != 0 || unread != 0) return ExtractProblem::Corrupt;
    return output.Finish();
}

ZipDirectory Refused(ZipProblem problem) {
    ZipDirectory directory;
    directory.problem = problem;
    return directory;
}

}  // namespace

ZipDirectory ReadZipDirectory(ByteSource& archive) {
    const std::uint64_t fileSize = archive.Size();
    if (fileSize < kEndSize) return Refused(ProblemWithoutEndRecord(archive));
    const auto tailLength =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kLongestComment));
    const std::uint64_t tailAt = fileSize - tailLength;
    std::vector<unsigned char> tail(tailLength);
    if (!archive.ReadAt(tailAt, tail.data(), tail.size())) return Refused(ZipProblem::Truncated);
    const auto endInTail = FindEndRecord(tail);
    if (!endInTail) return Refused(ProblemWithoutEndRecord(archive));

    const DirectoryPlace place =
        LocateDirectory(archive, std::span(tail).subspan(*endInTail), tailAt + *endInTail);
    if (place.problem != ZipProblem::None) return Refused(place.problem);

    ZipDirectory directory;
    DirectoryReader reader(archive, place.offset, place.offset + place.size);
    for (std::uint64_t i = 0; i < place.entries; ++i) {
        ZipEntry entry;
        if (const auto problem = ReadEntry(reader, place.offset, entry);
            problem != ZipProblem::None) {
            return Refused(problem);
        }
        directory.entries.push_back(std::move(entry));
    }
    if (!reader.AtEnd()) return Refused(ZipProblem::Corrupt);
    return directory;
}

std::optional<std::string> EntryNameOf(
    const ZipEntry& entry,
    const std::function<std::optional<std::string>(std::string_view)>& fromOem) {
    std::optional<std::string> name;
    if (entry.utf8Name) {
        name = entry.utf8Name;
    } else if (IsAscii(entry.rawName)) {
        name = entry.rawName;
    } else if (fromOem) {
        name = fromOem(entry.rawName);
    }
    // A NUL would cut the name short where Windows reads it.
    if (!name || name->find('\0') != std::string::npos ||
        entry.rawName.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    std::replace(name->begin(), name->end(), '/', '\\');
    return name;
}

ExtractProblem ExtractEntry(ByteSource& archive, const ZipEntry& entry,
                            const std::function<bool(const char*, std::size_t)>& sink) {
    if (entry.encrypted || (entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0) {
        return ExtractProblem::Encrypted;
    }
    if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
        return ExtractProblem::UnsupportedMethod;
    }
    // The local header's name and extra field may differ in length from the central ones:
    // the data starts after the local ones. Its sizes and CRC are ignored (zero when a data
    // descriptor follows the data): the central directory's are the ones that count.
    const std::uint64_t fileSize = archive.Size();
    std::array<unsigned char, kLocalSize> local{};
    if (entry.localHeaderOffset > fileSize || fileSize - entry.localHeaderOffset < kLocalSize ||
        !archive.ReadAt(entry.localHeaderOffset, local.data(), local.size())) {
        return ExtractProblem::Truncated;
    }
    if (ReadU32(local, 0) != kLocalSignature) return ExtractProblem::Corrupt;
    const std::uint64_t dataAt =
        entry.localHeaderOffset + kLocalSize + *ReadU16(local, 26) + *ReadU16(local, 28);
    if (dataAt > fileSize || entry.compressedSize > fileSize - dataAt) {
        return ExtractProblem::Truncated;
    }

    OutputCheck output(entry, sink);
    if (entry.method == kMethodStored) return CopyStored(archive, dataAt, entry, output);
    return Inflate(archive, dataAt, entry, output);
}

bool LooksLikeRarOr7z(std::string_view firstBytes) {
    using namespace std::string_view_literals;
    // RAR 1.5 to 4 and RAR 5 share this start; 7z has one signature.
    return firstBytes.starts_with("Rar!\x1A\x07"sv) ||
           firstBytes.starts_with("7z\xBC\xAF\x27\x1C"sv);
}

}  // namespace varnholt
