#include "core/journal.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

JournalLine Line(JournalAction action) {
    JournalLine line;
    line.action = action;
    return line;
}

TEST(Journal, EachActionIsOneLineThatReadsBack) {
    JournalLine add = Line(JournalAction::Add);
    add.relative = "cstrike\\models\\v_ak47.mdl";
    add.stamp = {1234, 133456789012345678};
    JournalLine replace = Line(JournalAction::Replace);
    replace.relative = "cstrike\\maps\\de_dust2 副本.bsp";
    replace.backup = "varnholt-backup\\2026-12-11 14-03-27\\cstrike\\maps\\de_dust2 副本.bsp";
    replace.stamp = {0, 0};
    JournalLine append = Line(JournalAction::Append);
    append.relative = "cstrike\\addons\\amxmodx\\configs\\plugins.ini";
    append.offset = 7;
    append.oldSize = 8;
    append.overwritten = std::string(1, '\0');
    append.bytes = "\r\nx\xd6\xd0.amxx";
    JournalLine folder = Line(JournalAction::Folder);
    folder.relative = "cstrike\\models\\player\\neo\\";
    JournalLine undone = Line(JournalAction::Undone);
    undone.index = 12;

    const struct {
        const char* name;
        JournalLine line;
        std::string text;
    } cases[] = {
        {"add", add, "add\tcstrike\\models\\v_ak47.mdl\t1234\t133456789012345678"},
        {"replace", replace,
         "replace\tcstrike\\maps\\de_dust2 副本.bsp\tvarnholt-backup\\2026-12-11 14-03-27\\cstrike"
         "\\maps\\de_dust2 副本.bsp\t0\t0"},
        {"append", append,
         "append\tcstrike\\addons\\amxmodx\\configs\\plugins.ini\t7\t8\t00\t0d0a78d6d02e616d7878"},
        {"folder", folder, "folder\tcstrike\\models\\player\\neo\\"},
        {"end", Line(JournalAction::End), "end"},
        {"undone", undone, "undone\t12"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatJournalLine(c.line), c.text) << c.name;
        EXPECT_EQ(ParseJournalLine(c.text), c.line) << c.name;
        EXPECT_EQ(ParseJournalLine(c.text + "\r"), c.line) << c.name << " with CR";
    }
}

TEST(Journal, DamagedLinesAreNotRead) {
    for (const char* text : {"", "add", "add\tx\t1", "add\tx\t1\t2\t3", "add\t\t1\t2",
                             "add\tx\t-1\t2", "add\tx\t1\t2x", "append\tl\t9\t8\t\t0d",
                             "append\tl\t1\t8\t0\t0d", "append\tl\t1\t8\t\tzz", "undone\t",
                             "folder", "bogus\tx", "end\tx"}) {
        EXPECT_FALSE(ParseJournalLine(text).has_value()) << "'" << text << "'";
    }
}

TEST(Journal, ReadsActionsUndoneMarksAndTheEnd) {
    const std::string text =
        "varnholt journal 1\r\n"
        "folder\tcstrike\\sound\\x\\\r\n"
        "add\tcstrike\\sound\\x\\a.wav\t3\t9\r\n"
        "undone\t1\r\n"
        "end\r\n"
        "add\tcut off";  // a last line the program never finished
    const Journal journal = ParseJournal(text);
    EXPECT_TRUE(journal.valid);
    EXPECT_TRUE(journal.complete);
    ASSERT_EQ(journal.actions.size(), 2u);
    EXPECT_EQ(journal.undone, (std::vector<bool>{false, true}));
    EXPECT_EQ(journal.unreadable, 1u);
    EXPECT_TRUE(journal.HasPending());

    EXPECT_FALSE(ParseJournal("some other file\r\nadd\tx\t1\t2\r\n").valid);
    const Journal stopped = ParseJournal("varnholt journal 1\r\nadd\tx\t1\t2\r\n");
    EXPECT_FALSE(stopped.complete);
    EXPECT_TRUE(stopped.HasPending());
}

}  // namespace
}  // namespace varnholt
