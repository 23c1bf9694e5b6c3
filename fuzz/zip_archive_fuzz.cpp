// Fuzz target for the zip reader: reads the directory of any input and extracts every entry,
// checking that no entry ever yields more than its declared size, that a clean extraction
// yields exactly that size with the declared CRC-32, and that names come out with
// backslashes only.
//
// Input: the archive's bytes.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/zip_archive.h"
#include "fuzz/escaped.h"

namespace {

using varnholt::fuzz::Escaped;

class InputSource final : public varnholt::ByteSource {
public:
    explicit InputSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t length) override {
        if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
        if (length > 0) std::memcpy(out, bytes_.data() + offset, length);
        return true;
    }

private:
    std::string_view bytes_;
};

[[noreturn]] void Fail(const char* what, const varnholt::ZipEntry& entry,
                       const std::string& detail = {}) {
    std::fprintf(stderr, "zip archive: %s\n  entry: \"%s\", size %llu\n", what,
                 Escaped(entry.rawName).c_str(), static_cast<unsigned long long>(entry.size));
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

// Stands in for the system's converter: every byte string decodes, as itself.
std::optional<std::string> AsIs(std::string_view raw) {
    return std::string(raw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    InputSource source(input);
    const varnholt::ZipDirectory directory = varnholt::ReadZipDirectory(source);
    if (directory.problem != varnholt::ZipProblem::None && !directory.entries.empty()) {
        std::fprintf(stderr, "zip archive: a refused directory lists entries\n");
        std::abort();
    }
    if (directory.entries.size() > varnholt::kMostZipEntries) {
        std::fprintf(stderr, "zip archive: more entries than allowed\n");
        std::abort();
    }

    for (const varnholt::ZipEntry& entry : directory.entries) {
        if (entry.rawName.size() > varnholt::kLongestZipName) Fail("name too long", entry);
        if (const auto name = varnholt::EntryNameOf(entry, AsIs)) {
            if (name->find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
                Fail("decoded name holds a slash or a NUL", entry, Escaped(*name));
            }
        }

        std::uint64_t received = 0;
        uLong crc = crc32(0, nullptr, 0);
        const varnholt::ExtractProblem problem =
            varnholt::ExtractEntry(source, entry, [&](const char* bytes, std::size_t length) {
                received += length;
                if (received > entry.size) Fail("wrote past the declared size", entry);
                crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(length));
                return true;
            });
        if (problem == varnholt::ExtractProblem::None &&
            (received != entry.size || crc != entry.crc32)) {
            Fail("a clean extraction differs from the directory", entry,
                 "received " + std::to_string(received) + " bytes, CRC " + std::to_string(crc));
        }
    }

    static_cast<void>(varnholt::LooksLikeRarOr7z(input));
    return 0;
}
