#include "core/plugin_list.h"

#include <gtest/gtest.h>

#include "tests/plugin_list_cases.h"

namespace varnholt {
namespace {

std::string Apply(std::string content, const ListAppend& append) {
    content.resize(std::max(content.size(), append.offset + append.bytes.size()));
    content.replace(append.offset, append.bytes.size(), append.bytes);
    return content;
}

TEST(PluginList, NewNameGoesAfterTheWholeOldContent) {
    for (const testing::PluginListCase& c : testing::PluginListCases()) {
        SCOPED_TRACE(c.name);
        const std::string after =
            Apply(c.before, ComposeListAppend(c.before, testing::kListedPlugin));
        EXPECT_EQ(after, c.kept + "\r\n" + testing::kListedPlugin);
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
