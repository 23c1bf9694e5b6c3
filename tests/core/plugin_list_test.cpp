#include "core/plugin_list.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

std::string Apply(std::string content, const ListAppend& append) {
    content.resize(std::max(content.size(), append.offset + append.bytes.size()));
    content.replace(append.offset, append.bytes.size(), append.bytes);
    return content;
}

TEST(PluginList, NewNameGoesAfterTheWholeOldContent) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"empty list", "", "\r\nN.amxx"},
        {"no final line break", "a.amxx", "a.amxx\r\nN.amxx"},
        {"final line break", "a.amxx\r\n", "a.amxx\r\n\r\nN.amxx"},
        {"name already listed", "N.amxx", "N.amxx\r\nN.amxx"},
        {"single NUL ends the file", "a.amxx\0"s, "a.amxx\r\nN.amxx"},
        {"single Ctrl-Z ends the file", "a.amxx\x1A", "a.amxx\r\nN.amxx"},
        // Where the text ends before the last byte, nothing of the old content is replaced.
        {"NUL in the middle", "a\0b.amxx"s, "a\0b.amxx\r\nN.amxx"s},
        {"Ctrl-Z in the middle", "a\x1A" "b", "a\x1A" "b\r\nN.amxx"},
        {"two NULs at the end", "a\0\0"s, "a\0\0\r\nN.amxx"s},
        // A Ctrl-Z as the second byte of a two-byte character does not end the text.
        {"Ctrl-Z as a trail byte", "a\x81\x1A", "a\x81\x1A\r\nN.amxx"},
        // A NUL as the second byte ends the text before the character: two bytes short of
        // the end, so both are kept.
        {"NUL as a trail byte", "a\x81\0"s, "a\x81\0\r\nN.amxx"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string after = Apply(c.before, ComposeListAppend(c.before, "N.amxx"));
        EXPECT_EQ(after, c.after);
        // Nothing follows the new name, and every old byte before the write offset survives.
        EXPECT_TRUE(after.ends_with("\r\nN.amxx"));
    }
}

TEST(PluginList, TextLengthStopsAtTheFirstTerminator) {
    using namespace std::string_literals;
    struct Case {
        std::string content;
        std::size_t length;
    };
    const Case cases[] = {
        {"", 0},           {"abc", 3},           {"ab\0c"s, 2},      {"ab\x1A" "c", 2},
        {"\xB0\x1A", 2},   {"\xB0\0z"s, 0},      {"\xB0", 1},        {"a\xB0\xA1\0"s, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.content));
        EXPECT_EQ(ListTextLength(c.content), c.length);
    }
}

}  // namespace
}  // namespace varnholt

namespace varnholt {
namespace {

TEST(PluginName, NamesAmxModXWouldNotLoad) {
    struct Case {
        std::string name;
        PluginNameProblem problem;
    };
    const Case cases[] = {
        {"admin.amxx", PluginNameProblem::None},
        {"9mm_fix.amxx", PluginNameProblem::None},
        {"Admin_Chat-2.amxx", PluginNameProblem::None},
        {"my plugin.amxx", PluginNameProblem::Blank},
        {"tab\tname.amxx", PluginNameProblem::Blank},
        {"a;b.amxx", PluginNameProblem::Semicolon},
        {";debug.amxx", PluginNameProblem::Semicolon},
        {"_hidden.amxx", PluginNameProblem::NotLetterOrDigitFirst},
        {"\xBD\xB5\xC2\xE4.amxx", PluginNameProblem::NotLetterOrDigitFirst},  // GBK Chinese
        {"", PluginNameProblem::NotLetterOrDigitFirst},
        {std::string(kLongestPluginName - 5, 'a') + ".amxx", PluginNameProblem::None},
        {std::string(kLongestPluginName - 4, 'a') + ".amxx", PluginNameProblem::TooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckPluginName(c.name), c.problem);
    }
}

}  // namespace
}  // namespace varnholt
