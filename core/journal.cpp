#include "core/journal.h"

#include <charconv>

namespace varnholt {
namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string Hex(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

std::optional<std::string> FromHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (error != std::errc() || end != text.data() + i + 2) return std::nullopt;
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string Number(std::uint64_t value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, error == std::errc() ? end : digits);
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// File names never hold a tab or a line break, so paths go in as they are.
bool PlainPath(std::string_view path) {
    return !path.empty() && path.find_first_of("\t\r\n") == std::string_view::npos;
}

}  // namespace

std::string FormatJournalLine(const JournalLine& line) {
    const std::string tab = "\t";
    switch (line.action) {
        case JournalAction::Add:
            return "add\t" + line.relative + tab + Number(line.stamp.size) + tab +
                   Number(line.stamp.writeTime);
        case JournalAction::Replace:
            return "replace\t" + line.relative + tab + line.backup + tab +
                   Number(line.stamp.size) + tab + Number(line.stamp.writeTime);
        case JournalAction::Append:
            return "append\t" + line.relative + tab + Number(line.offset) + tab +
                   Number(line.oldSize) + tab + Hex(line.overwritten) + tab + Hex(line.bytes);
        case JournalAction::Folder: return "folder\t" + line.relative;
        case JournalAction::End: return "end";
        case JournalAction::Undone: return "undone\t" + Number(line.index);
    }
    return "end";
}

std::optional<JournalLine> ParseJournalLine(std::string_view text) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    const std::vector<std::string_view> f = Fields(text);
    JournalLine line;
    const auto stampAt = [&](std::size_t at) {
        const auto size = ParseNumber(f[at]);
        const auto time = ParseNumber(f[at + 1]);
        if (size && time) line.stamp = {*size, *time};
        return size && time;
    };
    if (f[0] == "add" && f.size() == 4 && PlainPath(f[1]) && stampAt(2)) {
        line.action = JournalAction::Add;
        line.relative = f[1];
        return line;
    }
    if (f[0] == "replace" && f.size() == 5 && PlainPath(f[1]) && PlainPath(f[2]) && stampAt(3)) {
        line.action = JournalAction::Replace;
        line.relative = f[1];
        line.backup = f[2];
        return line;
    }
    if (f[0] == "append" && f.size() == 6 && PlainPath(f[1])) {
        const auto offset = ParseNumber(f[2]);
        const auto oldSize = ParseNumber(f[3]);
        auto overwritten = FromHex(f[4]);
        auto bytes = FromHex(f[5]);
        if (!offset || !oldSize || !overwritten || !bytes || *offset > *oldSize) {
            return std::nullopt;
        }
        line.action = JournalAction::Append;
        line.relative = f[1];
        line.offset = *offset;
        line.oldSize = *oldSize;
        line.overwritten = std::move(*overwritten);
        line.bytes = std::move(*bytes);
        return line;
    }
    if (f[0] == "folder" && f.size() == 2 && PlainPath(f[1])) {
        line.action = JournalAction::Folder;
        line.relative = f[1];
        return line;
    }
    if (f[0] == "end" && f.size() == 1) return line;
    if (f[0] == "undone" && f.size() == 2) {
        const auto index = ParseNumber(f[1]);
        if (!index) return std::nullopt;
        line.action = JournalAction::Undone;
        line.index = static_cast<std::size_t>(*index);
        return line;
    }
    return std::nullopt;
}

bool Journal::HasPending() const {
    for (bool done : undone) {
        if (!done) return true;
    }
    return false;
}

Journal ParseJournal(std::string_view text) {
    Journal journal;
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        if (first) {
            first = false;
            journal.valid = raw == kJournalHeader;
            if (!journal.valid) return journal;
            continue;
        }
        if (raw.empty()) continue;
        const std::optional<JournalLine> line = ParseJournalLine(raw);
        if (!line) {
            ++journal.unreadable;
            continue;
        }
        switch (line->action) {
            case JournalAction::End: journal.complete = true; break;
            case JournalAction::Undone:
                if (line->index < journal.undone.size()) journal.undone[line->index] = true;
                break;
            default:
                journal.actions.push_back(*line);
                journal.undone.push_back(false);
                break;
        }
    }
    return journal;
}

}  // namespace varnholt
