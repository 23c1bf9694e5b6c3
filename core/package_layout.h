#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnholt {

// Where the files of an add-on package go below the game folder. A package is the list of its
// files' paths, relative to the package, UTF-8, with "\" separators; folders are implied.

// Why a file of the package is not installed.
enum class SkipReason {
    OutsideRoot,  // beside the game tree and of no installable kind: readme, pictures, links
    OtherGame,    // inside a game tree that was not chosen, such as a "valve" beside "cstrike"
};

struct PackagePlacement {
    std::string source;       // the entry as given
    std::string destination;  // relative to the game folder, always below "cstrike\"
};

struct PackageSkip {
    std::string source;
    SkipReason reason;
};

// Why a name makes the whole package unusable.
enum class BadName {
    Empty,               // an empty path, or an empty component ("a\\b", "a\")
    Absolute,            // begins with "\"
    Drive,               // begins with a drive letter and ":"
    Unc,                 // begins with "\\"
    DotComponent,        // a component "." or ".."
    Colon,               // ":" anywhere else (alternate data streams)
    Device,              // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
    TrailingDotOrBlank,  // a component ending in "." or " ", which Windows drops
    BadCharacter,        // a control character or one of < > " | ? * /
    BadEncoding,         // not valid UTF-8
    TooLong,             // a component over 255 UTF-16 units
    Duplicate,           // lands on the same file as an earlier entry, compared without case
    FileAndFolder,       // lands on a file that another entry needs as a folder, or the reverse
};

struct PackageLayout {
    // The first bad entry and why; when set, nothing else is.
    std::optional<std::pair<std::string, BadName>> refused;
    // The chosen game tree, relative to the package ("" = the package itself, or no tree).
    std::string root;
    std::vector<PackagePlacement> placements;  // in input order
    std::vector<PackageSkip> skipped;          // in input order
};

PackageLayout LayOutPackage(const std::vector<std::string>& entries);

// True for a file the player owns, which a package must never overwrite when it exists:
// .cfg, .ini, .gam, mapcycle.txt and motd.txt, in any case.
bool IsPlayerSetting(std::string_view destination);

// The active entries of an AMX Mod X list (plugins.ini, modules.ini): the first word of each
// line, bytes unchanged. Lines may end in CR LF or LF.
std::vector<std::string> ActiveListEntries(std::string_view listText);

// `utf8` folded the way Windows compares file names, so two names are the same file exactly
// when their folds are equal. Bytes that are not valid UTF-8 are kept as they are.
std::string FoldCase(std::string_view utf8);

}  // namespace varnholt
