// Fuzz target for the plugin reader: what any file yields, and what an AMX image yields once
// it sits in a sound container, whatever the image holds.
//
// Input: read twice. First whole, as a plugin file. Then as an AMX image, compressed here
// into a one-section container stating its exact size, one byte more and one byte less.

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/amxx_plugin.h"
#include "fuzz/escaped.h"

namespace {

using varnholt::AmxxProblem;
using varnholt::AmxxRequirements;
using varnholt::fuzz::Escaped;

[[noreturn]] void Fail(const char* what, std::string_view input, std::string_view detail = {}) {
    std::fprintf(stderr, "amxx plugin: %s\n  input: \"%s\"\n", what, Escaped(input).c_str());
    if (!detail.empty()) std::fprintf(stderr, "  \"%s\"\n", Escaped(detail).c_str());
    std::abort();
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Every module is a plain lower-case name, listed once, and comes from a raw library name
// (or is one of the two names the old library entries stand for).
void CheckResult(std::string_view input, const AmxxRequirements& read) {
    if (read.problem != AmxxProblem::None) {
        if (!read.modules.empty() || !read.libraries.empty()) {
            Fail("names from a file with a problem", input);
        }
        return;
    }
    std::string raw;
    for (const std::string& library : read.libraries) {
        if (library.size() > 63 || library.find('\0') != std::string::npos) {
            Fail("library name too long or with a NUL", input, library);
        }
        raw += Lower(library) + '\n';
    }
    std::unordered_set<std::string> seen;
    for (const std::string& module : read.modules) {
        if (module.empty() || module.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_-") !=
                                  std::string::npos) {
            Fail("module name that is no plain file name", input, module);
        }
        if (!seen.insert(module).second) Fail("module listed twice", input, module);
        if (raw.find(module) == std::string::npos && module != "sockets" && module != "mysql") {
            Fail("module from no library name", input, module);
        }
    }
}

std::string Int32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Container(const std::string& compressed, std::uint32_t imageSize) {
    std::string bytes("XXMA\x00\x03\x01", 7);
    bytes += '\x04';
    bytes += Int32(static_cast<std::uint32_t>(compressed.size()));
    bytes += Int32(imageSize);
    bytes += Int32(imageSize);
    bytes += Int32(24);
    return bytes + compressed;
}

void CheckImage(std::string_view image) {
    uLongf size = compressBound(static_cast<uLong>(image.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(image.data()), static_cast<uLong>(image.size()),
                  Z_BEST_SPEED) != Z_OK) {
        Fail("compress2 failed", image);
    }
    compressed.resize(size);
    const auto length = static_cast<std::uint32_t>(image.size());

    const AmxxRequirements exact = varnholt::ReadAmxxPlugin(Container(compressed, length));
    CheckResult(image, exact);
    if (exact.problem != AmxxProblem::None && exact.problem != AmxxProblem::BadImage) {
        Fail("sound container refused", image);
    }
    const AmxxRequirements roomy = varnholt::ReadAmxxPlugin(Container(compressed, length + 1));
    if (roomy.problem != exact.problem || roomy.modules != exact.modules ||
        roomy.libraries != exact.libraries) {
        Fail("stating a larger image changed the result", image);
    }
    const AmxxRequirements tight = varnholt::ReadAmxxPlugin(Container(compressed, length - 1));
    if (tight.problem != AmxxProblem::BadSection) Fail("image past its stated size taken", image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckResult(input, varnholt::ReadAmxxPlugin(input));
    if (size >= 2) CheckImage(input);
    return 0;
}
