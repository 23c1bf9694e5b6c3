#include "core/plugin_list.h"

namespace varnholt {

std::size_t ListTextLength(std::string_view content) {
    std::size_t at = 0;
    while (at < content.size()) {
        const auto byte = static_cast<unsigned char>(content[at]);
        if (byte == 0x00 || byte == 0x1A) return at;
        if (byte >= 0x80) {
            if (at + 1 < content.size() && content[at + 1] == '\0') return at;
            at += 2;
        } else {
            at += 1;
        }
    }
    return content.size();
}

PluginNameProblem CheckPluginName(std::string_view name) {
    if (name.find_first_of(" \t") != std::string_view::npos) return PluginNameProblem::Blank;
    if (name.find(';') != std::string_view::npos) return PluginNameProblem::Semicolon;
    const auto first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
    const bool alnum = (first >= '0' && first <= '9') || (first >= 'A' && first <= 'Z') ||
                       (first >= 'a' && first <= 'z');
    if (!alnum) return PluginNameProblem::NotLetterOrDigitFirst;
    if (name.size() > kLongestPluginName) return PluginNameProblem::TooLong;
    return PluginNameProblem::None;
}

ListAppend ComposeListAppend(std::string_view content, std::string_view name) {
    ListAppend append;
    const std::size_t text = ListTextLength(content);
    append.offset = text + 1 == content.size() ? text : content.size();
    append.bytes.reserve(2 + name.size());
    append.bytes.append("\r\n").append(name);
    return append;
}

}  // namespace varnholt
