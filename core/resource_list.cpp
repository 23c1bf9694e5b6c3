#include "core/resource_list.h"

#include <algorithm>

namespace varnholt {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldedAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsForbiddenInName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || std::string_view("<>\"|?*:").find(c) != std::string_view::npos;
}

// Windows drops trailing dots and blanks from a name, so ".. " or "..." could act as "..";
// no file the game uses ends that way.
bool IsRefusedPiece(std::string_view piece) {
    return piece.back() == '.' || IsBlank(piece.back());
}

}  // namespace

std::optional<std::string> ModRelativePath(std::string_view path) {
    path = Trimmed(path);
    if (path.empty() || path.front() == '/' || path.front() == '\\') return std::nullopt;
    if (std::any_of(path.begin(), path.end(), IsForbiddenInName)) return std::nullopt;

    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view piece = path.substr(start, end - start);
        start = end + 1;
        if (piece.empty() || piece == ".") continue;
        if (IsRefusedPiece(piece)) return std::nullopt;
        if (!result.empty()) result.push_back('\\');
        result.append(piece);
    }
    if (result.empty()) return std::nullopt;
    return result;
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return FoldedAscii(x) == FoldedAscii(y); });
}

void UniquePaths::Add(std::string path) {
    std::string folded = path;
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldedAscii);
    if (folded_.insert(std::move(folded)).second) paths_.push_back(std::move(path));
}

std::vector<std::string> ParseResourceList(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    UniquePaths paths;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;

        line = line.substr(0, line.find("//"));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trimmed(line);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
            line = line.substr(1, line.size() - 2);
        }
        if (std::optional<std::string> path = ModRelativePath(line)) paths.Add(std::move(*path));
    }
    return paths.Take();
}

}  // namespace varnholt
