// Fuzz target for the package layout: whatever the names, nothing is placed outside the game
// folder, every entry is accounted for once, and what is placed would pass the checks again.
//
// Input: the package's entries, one per line ('\n'); the whole input is also read as an
// AMX Mod X list.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/package_layout.h"
#include "fuzz/escaped.h"

namespace {

using varnholt::fuzz::Escaped;

[[noreturn]] void Fail(const char* what, std::string_view input, std::string_view detail = {}) {
    std::fprintf(stderr, "package layout: %s\n  input: \"%s\"\n", what, Escaped(input).c_str());
    if (!detail.empty())
        std::fprintf(stderr, "  \"%s\"\n", Escaped(detail).c_str());
    std::abort();
}

std::vector<std::string> Lines(std::string_view input) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = input.find('\n', start);
        lines.emplace_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

void CheckDestination(std::string_view input, std::string_view destination) {
    if (destination.substr(0, 8) != "cstrike\\") {
        Fail("a destination outside cstrike", input, destination);
    }
    if (destination.find(':') != std::string_view::npos) {
        Fail("a destination with a colon", input, destination);
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = destination.find('\\', start);
        const std::string_view part =
            destination.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty() || part == "." || part == "..") {
            Fail("a destination with an empty, . or .. component", input, destination);
        }
        if (end == std::string_view::npos)
            return;
        start = end + 1;
    }
}

void CheckLayout(std::string_view input, const std::vector<std::string>& entries) {
    const varnholt::PackageLayout layout = varnholt::LayOutPackage(entries);
    if (layout.refused) {
        if (!layout.root.empty() || !layout.placements.empty() || !layout.skipped.empty()) {
            Fail("a refused package still has a layout", input, layout.refused->first);
        }
        if (std::find(entries.begin(), entries.end(), layout.refused->first) == entries.end()) {
            Fail("the refusal names no entry", input, layout.refused->first);
        }
        return;
    }
    if (layout.placements.size() + layout.skipped.size() != entries.size()) {
        Fail("placed and skipped do not add up to the entries", input);
    }
    // Each entry once, placements and skips each in input order.
    std::size_t placed = 0;
    std::size_t skipped = 0;
    for (const std::string& entry : entries) {
        if (placed < layout.placements.size() && layout.placements[placed].source == entry) {
            ++placed;
        } else if (skipped < layout.skipped.size() && layout.skipped[skipped].source == entry) {
            ++skipped;
        } else {
            Fail("an entry is missing or out of order", input, entry);
        }
    }
    std::vector<std::string> destinations;
    std::vector<std::string> folded;
    for (const varnholt::PackagePlacement& p : layout.placements) {
        CheckDestination(input, p.destination);
        destinations.push_back(p.destination);
        folded.push_back(varnholt::FoldCase(p.destination));
    }
    // No two files meet, by a plain comparison of every pair rather than the layout's tree.
    for (std::size_t i = 0; i < folded.size(); ++i) {
        for (std::size_t j = 0; j < folded.size(); ++j) {
            if (i != j && (folded[i] == folded[j] || folded[j].starts_with(folded[i] + "\\"))) {
                Fail("two placements meet", input, destinations[i] + " / " + destinations[j]);
            }
        }
    }
    // Whatever was placed passes the name checks again.
    const varnholt::PackageLayout again = varnholt::LayOutPackage(destinations);
    if (again.refused) {
        Fail("the destinations do not pass the checks themselves", input, again.refused->first);
    }
}

void CheckList(std::string_view input) {
    for (const std::string& word : varnholt::ActiveListEntries(input)) {
        if (word.empty() || word.find_first_of(" \t\r\n\v\f;") != std::string::npos ||
            word.starts_with("//") || input.find(word) == std::string_view::npos) {
            Fail("a list entry is not a first word", input, word);
        }
    }
}

void CheckFold(std::string_view input) {
    const std::string folded = varnholt::FoldCase(input);
    if (varnholt::FoldCase(folded) != folded)
        Fail("folding twice changes the text", input);
    if (std::count(folded.begin(), folded.end(), '\\') !=
        std::count(input.begin(), input.end(), '\\')) {
        Fail("folding moved a backslash", input, folded);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckLayout(input, Lines(input));
    CheckList(input);
    CheckFold(input);
    return 0;
}
