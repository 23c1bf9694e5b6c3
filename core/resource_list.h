#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace varnholt {

// `path` as a path below the mod folder with backslashes ("sound\ambience\wind.wav"): blanks
// around it trimmed, either slash taken, empty and "." pieces dropped. Nothing when it could
// leave the mod folder or is no Windows file name: a leading slash, a drive or any ":", a ".."
// piece (or any piece ending in a dot or blank), a control character or one of <>"|?*.
std::optional<std::string> ModRelativePath(std::string_view path);

// True when two paths are the same for Windows' file names in ASCII: letters compared
// without case, every other byte exactly.
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

// Paths in the order added, each once: one that SamePathIgnoringCase finds among the earlier
// ones is left out.
class UniquePaths {
public:
    void Add(std::string path);
    std::vector<std::string> Take() { return std::move(paths_); }

private:
    std::vector<std::string> paths_;
    std::unordered_set<std::string> folded_;
};

// The paths a map's NAME.res lists, each as ModRelativePath gives it, in file order, each
// once (compared with SamePathIgnoringCase). Read as the game reads it: paths are separated
// by blanks or line breaks (LF or CR LF), one with blanks in it is written in double quotes,
// "//" where a path would begin comments out the rest of the line, a NUL ends the list, and a
// UTF-8 byte order mark at the start is skipped. Paths ModRelativePath refuses are left out.
std::vector<std::string> ParseResourceList(std::string_view text);

}  // namespace varnholt
