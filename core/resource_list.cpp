#include "core/resource_list.h"

#include <algorithm>

namespace varnholt {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char FoldedAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsForbiddenInName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F ||
           std::string_view("<>\"|?*:").find(c) != std::string_view::npos;
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
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldedAscii(x) == FoldedAscii(y);
           });
}

void UniquePaths::Add(std::string path) {
    std::string folded = path;
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldedAscii);
    if (folded_.insert(std::move(folded)).second) paths_.push_back(std::move(path));
}

// Read the way the game reads the list: words between blanks (every byte up to a space), a
// quoted word running to the next quote, "//" where a word would begin commenting out the rest
// of the line, a NUL ending it all.
std::vector<std::string> ParseResourceList(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    text = text.substr(0, text.find('\0'));
    const auto blankAt = [&](std::size_t at) {
        return static_cast<unsigned char>(text[at]) <= ' ';
    };
    UniquePaths paths;
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && blankAt(at)) ++at;
        if (at == text.size()) break;
        if (text.substr(at, 2) == "//") {
            at = std::min(text.find('\n', at), text.size());
            continue;
        }
        std::string_view word;
        if (text[at] == '"') {
            const std::size_t close = std::min(text.find('"', at + 1), text.size());
            word = text.substr(at + 1, close - at - 1);
            at = std::min(close + 1, text.size());
        } else {
            const std::size_t start = at;
            while (at < text.size() && !blankAt(at)) ++at;
            word = text.substr(start, at - start);
        }
        if (std::optional<std::string> path = ModRelativePath(word)) paths.Add(std::move(*path));
    }
    return paths.Take();
}

}  // namespace varnholt
