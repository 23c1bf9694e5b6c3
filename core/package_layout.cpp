#include "core/package_layout.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <unordered_map>

#include "core/utf8.h"

namespace varnholt {
namespace {

constexpr std::string_view kGameFolder = "cstrike";
constexpr std::string_view kGameTopFolders[] = {
    "addons", "models",    "sound",    "sprites", "maps",
    "gfx",    "overviews", "resource", "events",  "media",
};

// Where a file found beside the game tree goes, by its extension; only its name is kept.
struct LooseKind {
    std::string_view extension;
    std::string_view folder;
};
constexpr LooseKind kLooseKinds[] = {
    {"amxx", "cstrike\\addons\\amxmodx\\plugins\\"},
    {"mdl", "cstrike\\models\\"},
    {"spr", "cstrike\\sprites\\"},
    {"bsp", "cstrike\\maps\\"},
    {"wad", "cstrike\\"},
    {"sma", "cstrike\\addons\\amxmodx\\scripting\\"},
};

// ---- UTF-8 ----------------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// ---- Case folding ---------------------------------------------------------------------------

// Letters whose simple case fold is not a neighbour a fixed distance away.
struct FoldPair {
    char32_t from;
    char32_t to;
};
// clang-format off
constexpr FoldPair kIrregularFolds[] = {
    // Latin: micro sign to mu, Y with diaeresis, long s, capital sharp s, Kelvin, Angstrom
    {0x00B5, 0x03BC}, {0x0178, 0x00FF}, {0x017F, 0x0073}, {0x1E9B, 0x1E61}, {0x1E9E, 0x00DF},
    {0x212A, 0x006B}, {0x212B, 0x00E5}, {0x2126, 0x03C9}, {0x2132, 0x214E},
    // Greek: archaic letters, accented capitals, final sigma, symbol forms
    {0x0370, 0x0371}, {0x0372, 0x0373}, {0x0376, 0x0377}, {0x037F, 0x03F3}, {0x0386, 0x03AC},
    {0x0388, 0x03AD}, {0x0389, 0x03AE}, {0x038A, 0x03AF}, {0x038C, 0x03CC}, {0x038E, 0x03CD},
    {0x038F, 0x03CE}, {0x03C2, 0x03C3}, {0x03CF, 0x03D7}, {0x03D0, 0x03B2}, {0x03D1, 0x03B8},
    {0x03D5, 0x03C6}, {0x03D6, 0x03C0}, {0x03F0, 0x03BA}, {0x03F1, 0x03C1}, {0x03F4, 0x03B8},
    {0x03F5, 0x03B5}, {0x03F7, 0x03F8}, {0x03F9, 0x03F2}, {0x03FA, 0x03FB}, {0x03FD, 0x037B},
    {0x03FE, 0x037C}, {0x03FF, 0x037D},
    // Cyrillic palochka
    {0x04C0, 0x04CF},
};
// clang-format on

// Runs where a capital and its small letter alternate: capitals at `first`, `first` + 2 ...
struct AlternatingRun {
    char32_t first;
    char32_t last;
};
constexpr AlternatingRun kAlternatingRuns[] = {
    // Latin Extended-A
    {0x0100, 0x012E},
    {0x0132, 0x0136},
    {0x0139, 0x0147},
    {0x014A, 0x0176},
    {0x0179, 0x017D},
    // Greek Coptic letters
    {0x03D8, 0x03EE},
    // Cyrillic beyond the basic alphabet
    {0x0460, 0x0480},
    {0x048A, 0x04BE},
    {0x04C1, 0x04CD},
    {0x04D0, 0x04FE},
    {0x0500, 0x052E},
    // Latin Extended Additional (Vietnamese and others)
    {0x1E00, 0x1E94},
    {0x1EA0, 0x1EFE},
};

// Runs of capitals whose small letters lie `offset` further on.
struct ShiftedRun {
    char32_t first;
    char32_t last;
    char32_t offset;
};
constexpr ShiftedRun kShiftedRuns[] = {
    {0x0041, 0x005A, 0x20}, {0x00C0, 0x00D6, 0x20}, {0x00D8, 0x00DE, 0x20},  // Latin
    {0x0391, 0x03A1, 0x20}, {0x03A3, 0x03AB, 0x20},                          // Greek
    {0x0400, 0x040F, 0x50}, {0x0410, 0x042F, 0x20},                          // Cyrillic
    {0xFF21, 0xFF3A, 0x20},                                                  // fullwidth Latin
};

// Simple (one-to-one) case folding for the scripts players name files in: Latin-1,
// Latin Extended-A and Additional, Greek, Cyrillic and fullwidth Latin. Letters with only a
// one-to-many fold (sharp s, dotted capital I) stay as they are, as they do in Windows' comparison.
char32_t FoldLetter(char32_t c) {
    for (const ShiftedRun& run : kShiftedRuns) {
        if (c >= run.first && c <= run.last)
            return c + run.offset;
    }
    for (const AlternatingRun& run : kAlternatingRuns) {
        if (c >= run.first && c <= run.last && (c - run.first) % 2 == 0)
            return c + 1;
    }
    for (const FoldPair& pair : kIrregularFolds) {
        if (c == pair.from)
            return pair.to;
    }
    return c;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualsAsciiNoCase(std::string_view text, std::string_view lowerCase) {
    return text.size() == lowerCase.size() &&
           std::equal(text.begin(), text.end(), lowerCase.begin(),
                      [](char a, char b) { return AsciiLower(a) == b; });
}

// ---- Names ----------------------------------------------------------------------------------

std::vector<std::string_view> ComponentsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        parts.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

bool IsDeviceName(std::string_view component) {
    // Windows takes the name before the first dot, blanks trimmed, as the device: "con.txt"
    // and "nul .wav" both open a device.
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    for (std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (EqualsAsciiNoCase(stem, device))
            return true;
    }
    if (stem.size() < 4)
        return false;
    const std::string_view prefix = stem.substr(0, 3);
    if (!EqualsAsciiNoCase(prefix, "com") && !EqualsAsciiNoCase(prefix, "lpt"))
        return false;
    const std::string_view number = stem.substr(3);
    // The superscript digits count too: Windows reserves "COM¹" like "COM1".
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::optional<BadName> CheckComponent(std::string_view component) {
    if (component.empty())
        return BadName::Empty;
    std::size_t utf16Units = 0;
    for (std::size_t at = 0; at < component.size();) {
        const Utf8Char d = DecodeUtf8At(component, at);
        if (!d.valid)
            return BadName::BadEncoding;
        utf16Units += d.codePoint >= 0x10000 ? 2 : 1;
        at += d.length;
    }
    for (char c : component) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>\"|?*/").find(c) != std::string_view::npos) {
            return BadName::BadCharacter;
        }
    }
    if (component == "." || component == "..")
        return BadName::DotComponent;
    if (component.back() == '.' || component.back() == ' ')
        return BadName::TrailingDotOrBlank;
    if (IsDeviceName(component))
        return BadName::Device;
    if (utf16Units > 255)
        return BadName::TooLong;
    return std::nullopt;
}

std::optional<BadName> CheckEntryName(std::string_view path) {
    if (path.empty())
        return BadName::Empty;
    if (path.starts_with("\\\\"))
        return BadName::Unc;
    if (path.front() == '\\')
        return BadName::Absolute;
    if (path.size() >= 2 && path[1] == ':' && AsciiLower(path[0]) >= 'a' &&
        AsciiLower(path[0]) <= 'z') {
        return BadName::Drive;
    }
    if (path.find(':') != std::string_view::npos)
        return BadName::Colon;
    for (std::string_view component : ComponentsOf(path)) {
        if (auto bad = CheckComponent(component))
            return bad;
    }
    return std::nullopt;
}

// ---- Trees of names -------------------------------------------------------------------------

// Folders and files by folded name, so that two spellings Windows takes for one name meet in
// one node. A tree rather than a set of whole paths keeps deep paths linear to walk.
class NameTree {
public:
    static constexpr std::size_t kTop = 0;

    // The node `foldedName` below `parent`; `added` tells whether it is new.
    std::size_t Child(std::size_t parent, std::string foldedName, bool& added) {
        auto [it, isNew] = children_[parent].try_emplace(std::move(foldedName), children_.size());
        const std::size_t id = it->second;
        added = isNew;
        if (isNew)
            children_.emplace_back();
        return id;
    }

private:
    std::vector<std::unordered_map<std::string, std::size_t>> children_ =
        std::vector<std::unordered_map<std::string, std::size_t>>(1);
};

// A folder of the package, known from the paths of the files below it.
struct Folder {
    std::size_t depth = 0;
    std::size_t entry = 0;   // the first entry below it, whose spelling names it
    std::size_t length = 0;  // bytes of that entry that spell the folder
    bool namedGameFolder = false;
    bool holdsGameFolder = false;

    bool MayBeRoot() const { return namedGameFolder || holdsGameFolder; }
};

struct PackageFolders {
    std::vector<Folder> folders = std::vector<Folder>(1);  // by node, in order of appearance
    std::vector<std::vector<std::size_t>> chains;          // per entry: the folders above its file
};

bool IsGameTopFolder(std::string_view foldedName) {
    return std::find(std::begin(kGameTopFolders), std::end(kGameTopFolders), foldedName) !=
           std::end(kGameTopFolders);
}

PackageFolders ReadFolders(const std::vector<std::string>& entries) {
    PackageFolders result;
    NameTree tree;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::vector<std::string_view> parts = ComponentsOf(entries[i]);
        std::vector<std::size_t>& chain = result.chains.emplace_back(1, NameTree::kTop);
        std::size_t length = 0;  // bytes of the entry up to and with the next component
        // Every component but the last names a folder.
        for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
            const std::string folded = FoldCase(parts[k]);
            if (IsGameTopFolder(folded))
                result.folders[chain.back()].holdsGameFolder = true;
            bool added = false;
            const std::size_t folder = tree.Child(chain.back(), folded, added);
            length += parts[k].size();
            if (added)
                result.folders.push_back({k + 1, i, length});
            if (folded == kGameFolder)
                result.folders[folder].namedGameFolder = true;
            chain.push_back(folder);
            ++length;
        }
    }
    return result;
}

// The shallowest possible root; at a tie the first named "cstrike", else the first to appear.
std::optional<std::size_t> ChooseRoot(const std::vector<Folder>& folders) {
    std::optional<std::size_t> chosen;
    for (std::size_t id = 0; id < folders.size(); ++id) {
        const Folder& f = folders[id];
        if (!f.MayBeRoot())
            continue;
        const Folder* best = chosen ? &folders[*chosen] : nullptr;
        if (!best || f.depth < best->depth ||
            (f.depth == best->depth && f.namedGameFolder && !best->namedGameFolder)) {
            chosen = id;
        }
    }
    return chosen;
}

std::optional<std::string> LooseDestination(std::string_view entry) {
    const std::string_view name = entry.substr(entry.rfind('\\') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view extension = name.substr(dot + 1);
    for (const LooseKind& kind : kLooseKinds) {
        if (EqualsAsciiNoCase(extension, kind.extension)) {
            return std::string(kind.folder) + std::string(name);
        }
    }
    return std::nullopt;
}

// The first placement that lands on an earlier one's file, or on a file where an earlier one
// needs a folder, or the reverse.
std::optional<std::pair<std::string, BadName>> FindCollision(
    const std::vector<PackagePlacement>& placements) {
    NameTree tree;
    std::vector<bool> isFile(1, false);
    for (const PackagePlacement& p : placements) {
        const std::vector<std::string_view> parts = ComponentsOf(p.destination);
        std::size_t node = NameTree::kTop;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            bool added = false;
            node = tree.Child(node, FoldCase(parts[k]), added);
            const bool last = k + 1 == parts.size();
            if (added) {
                isFile.push_back(last);
            } else if (last) {
                return std::pair{p.source,
                                 isFile[node] ? BadName::Duplicate : BadName::FileAndFolder};
            } else if (isFile[node]) {
                return std::pair{p.source, BadName::FileAndFolder};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string folded;
    folded.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Char d = DecodeUtf8At(utf8, at);
        if (d.valid) {
            AppendUtf8(folded, FoldLetter(d.codePoint));
        } else {
            folded.push_back(utf8[at]);
        }
        at += d.length;
    }
    return folded;
}

PackageLayout LayOutPackage(const std::vector<std::string>& entries) {
    PackageLayout layout;
    // Every name is checked before any is placed: one bad name makes the package suspect.
    for (const std::string& entry : entries) {
        if (auto bad = CheckEntryName(entry)) {
            layout.refused = {entry, *bad};
            return layout;
        }
    }
    const PackageFolders package = ReadFolders(entries);
    const std::optional<std::size_t> rootId = ChooseRoot(package.folders);
    const Folder* root = rootId ? &package.folders[*rootId] : nullptr;
    if (root)
        layout.root = entries[root->entry].substr(0, root->length);

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& entry = entries[i];
        const std::vector<std::size_t>& chain = package.chains[i];
        if (root && root->depth < chain.size() && chain[root->depth] == *rootId) {
            // The path below the root keeps its own spelling.
            std::size_t start = 0;
            for (std::size_t k = 0; k < root->depth; ++k)
                start = entry.find('\\', start) + 1;
            layout.placements.push_back(
                {entry, std::string(kGameFolder) + "\\" + entry.substr(start)});
            continue;
        }
        // A file inside a game tree that was not chosen is not taken as a loose file either:
        // it belongs to that tree, and flattening it would lose its folder.
        const bool inOtherTree = std::any_of(chain.begin(), chain.end(), [&](std::size_t id) {
            return package.folders[id].MayBeRoot();
        });
        if (inOtherTree) {
            layout.skipped.push_back({entry, SkipReason::OtherGame});
        } else if (auto destination = LooseDestination(entry)) {
            layout.placements.push_back({entry, std::move(*destination)});
        } else {
            layout.skipped.push_back({entry, SkipReason::OutsideRoot});
        }
    }

    if (auto collision = FindCollision(layout.placements)) {
        PackageLayout refused;
        refused.refused = std::move(collision);
        return refused;
    }
    return layout;
}

bool IsPlayerSetting(std::string_view destination) {
    const std::string name = FoldCase(destination.substr(destination.rfind('\\') + 1));
    if (name == "mapcycle.txt" || name == "motd.txt")
        return true;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    return extension == "cfg" || extension == "ini" || extension == "gam";
}

std::vector<std::string> ActiveListEntries(std::string_view listText) {
    // AMX Mod X cuts each line at its first ";" and then reads the first word with
    // sscanf("%s"), so the word ends at any C blank, a lone CR included.
    constexpr std::string_view kBlanks = " \t\r\v\f";
    std::vector<std::string> active;
    std::size_t start = 0;
    while (start < listText.size()) {
        std::size_t end = listText.find('\n', start);
        if (end == std::string_view::npos)
            end = listText.size();
        std::string_view line = listText.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find(';'));
        const std::size_t wordStart = line.find_first_not_of(kBlanks);
        if (wordStart == std::string_view::npos)
            continue;
        line.remove_prefix(wordStart);
        const std::string_view word = line.substr(0, line.find_first_of(kBlanks));
        if (word.starts_with("//"))
            continue;
        active.emplace_back(word);
    }
    return active;
}

}  // namespace varnholt
