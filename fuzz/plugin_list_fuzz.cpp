// Fuzz target for the plugin list: its text length against the plain model in
// reference_rules.h, and what writing a composed append does to any old list.
//
// Input: the first byte modulo 64 is the plugin name's length, the name follows, and the
// rest is the old list's content.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/plugin_list.h"
#include "fuzz/escaped.h"
#include "fuzz/reference_rules.h"

namespace {

using varnholt::fuzz::Escaped;

[[noreturn]] void Fail(const char* what, std::string_view content, std::string_view name,
                       const std::string& detail = {}) {
    std::fprintf(stderr, "plugin list: %s\n  content: \"%s\"\n  name: \"%s\"\n", what,
                 Escaped(content).c_str(), Escaped(name).c_str());
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

bool IsTerminator(char byte) { return byte == '\0' || byte == '\x1A'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nameLength = size > 0 ? std::min<std::size_t>(data[0] % 64, size - 1) : 0;
    const std::string_view name = input.substr(size > 0 ? 1 : 0, nameLength);
    const std::string_view content = input.substr(size > 0 ? 1 + nameLength : 0);

    const std::size_t text = varnholt::ListTextLength(content);
    const std::size_t wantText = reference::ListTextLength(content);
    if (text != wantText) {
        Fail("ListTextLength differs from the model", content, name,
             "got " + std::to_string(text) + ", want " + std::to_string(wantText));
    }

    const varnholt::ListAppend append = varnholt::ComposeListAppend(content, name);
    const std::string detail = "offset " + std::to_string(append.offset) + " of " +
                               std::to_string(content.size()) + ", bytes \"" +
                               Escaped(append.bytes) + "\"";
    if (append.offset > content.size()) Fail("the append leaves a gap", content, name, detail);
    if (append.offset < content.size()) {
        // Only a single final terminator, the one the text stops at, may be written over.
        const bool lastByte = append.offset + 1 == content.size();
        if (!lastByte || !IsTerminator(content.back()) || text != append.offset) {
            Fail("the append overwrites old bytes", content, name, detail);
        }
    }

    // The list as it is after the write: old bytes before the offset, the new bytes over
    // and past the old ones from there. With the offset checked above, this keeps every old
    // byte but that one terminator and never makes the list shorter.
    std::string result(content);
    result.resize(std::max(result.size(), append.offset + append.bytes.size()));
    result.replace(append.offset, append.bytes.size(), append.bytes);

    const std::string entry = "\r\n" + std::string(name);
    if (result.size() < entry.size() ||
        result.compare(result.size() - entry.size(), entry.size(), entry) != 0) {
        Fail("the list does not end with CR LF and the name", content, name, detail);
    }
    if (result.size() != append.offset + append.bytes.size() || append.bytes != entry) {
        Fail("something other than CR LF and the name was written", content, name, detail);
    }

    // When the old text ran to the end of the file, or to a single terminator ending it, the
    // new entry must be part of the text AMX Mod X reads (for a name free of terminators).
    const bool nameIsPlain = std::none_of(name.begin(), name.end(), IsTerminator);
    if (nameIsPlain && text + 1 >= content.size() &&
        reference::ListTextLength(result) != result.size()) {
        Fail("the new entry falls outside the list's text", content, name,
             detail + ", text of the new list " + std::to_string(reference::ListTextLength(result)) +
                 " of " + std::to_string(result.size()));
    }
    return 0;
}
