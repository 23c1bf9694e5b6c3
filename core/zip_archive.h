#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// Random access to an archive's bytes: a file handle on Windows, a string in the tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly `length` bytes at `offset` into `out`; false when it cannot.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t length) = 0;
};

inline constexpr std::size_t kMostZipEntries = 65536;
inline constexpr std::size_t kLongestZipName = 4096;

enum class ZipProblem {
    None,
    NotZip,          // no end of central directory record, and it does not start like a zip
    Truncated,       // starts like a zip, but its end is missing or cut
    Split,           // one part of a multi-disk or spanned archive
    Corrupt,         // records that contradict each other or point outside the file
    TooManyEntries,  // more than kMostZipEntries
    NameTooLong,     // an entry's name is longer than kLongestZipName bytes
};

struct ZipEntry {
    std::string rawName;                  // the central directory's bytes, as stored
    std::optional<std::string> utf8Name;  // when the archive says which UTF-8 name it means
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeaderOffset = 0;
    bool isFolder = false;   // the name ends in "/" or "\"
    bool isSymlink = false;  // made on Unix with a symbolic link's mode
    bool encrypted = false;  // traditional or strong encryption
};

struct ZipDirectory {
    ZipProblem problem = ZipProblem::None;
    std::vector<ZipEntry> entries;  // empty unless problem is None
};

// Reads and checks the central directory; entries keep the directory's order.
ZipDirectory ReadZipDirectory(ByteSource& archive);

// The entry's name in UTF-8 with every separator as "\": utf8Name when set, else the raw name
// decoded by `fromOem` (the system's OEM code page). Nothing when it does not decode or holds
// a NUL.
std::optional<std::string> EntryNameOf(
    const ZipEntry& entry,
    const std::function<std::optional<std::string>(std::string_view)>& fromOem);

enum class ExtractProblem {
    None,
    Encrypted,
    UnsupportedMethod,  // neither stored nor deflated
    Truncated,          // the archive ends before the entry's data
    Corrupt,            // bad local header or compressed data
    TooLarge,           // inflates past its declared size
    CrcMismatch,
    SizeMismatch,  // fewer bytes than declared
    WriteFailed,   // the sink returned false
};

// Streams the entry's data to `sink` in chunks, never past the declared size, checking the
// size and CRC-32 on the way.
ExtractProblem ExtractEntry(ByteSource& archive, const ZipEntry& entry,
                            const std::function<bool(const char*, std::size_t)>& sink);

// Whether the bytes start like a RAR or 7z archive, which the player must unpack first.
bool LooksLikeRarOr7z(std::string_view firstBytes);

}  // namespace varnholt
