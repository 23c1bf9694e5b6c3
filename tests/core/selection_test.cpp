#include "core/selection.h"

#include <gtest/gtest.h>

#include "tests/core/fakes.h"

namespace varnholt {
namespace {

using testing::ExistenceOnly;
using testing::FakeWindow;

const std::string kAccepted(kAcceptedCaption);
const std::string kRejected(kRejectedCaption);

TEST(CheckSelection, JudgesEachRowByExistenceThenNameOrExtension) {
    struct Case {
        SelectionKind row;
        const char* text;
        bool exists;
        const char* caption;
    };
    const Case cases[] = {
        {SelectionKind::Game, "D:\\Games\\CS\\hl.exe", true, "√"},
        {SelectionKind::Game, "D:\\Games\\CS\\cstrike.exe", true, "√"},
        {SelectionKind::Game, "D:\\Games\\CS\\HL.EXE", true, "×"},
        {SelectionKind::Game, "D:\\Games\\CS\\hlds.exe", true, "×"},
        {SelectionKind::Game, "hl.exe", true, "√"},
        {SelectionKind::Game, "D:\\Games\\CS\\hl.exe", false, "×"},
        {SelectionKind::Plugin, "D:\\plugins\\admin.amxx", true, "√"},
        {SelectionKind::Plugin, "D:\\plugins\\ADMIN.AMXX", true, "×"},
        {SelectionKind::Plugin, "D:\\plugins\\admin.amxx", false, "×"},
        {SelectionKind::Model, "D:\\m\\v_ak47.mdl", true, "√"},
        {SelectionKind::Model, "D:\\m\\v_ak47.spr", true, "×"},
        {SelectionKind::Effect, "D:\\s\\fire.spr", true, "√"},
        {SelectionKind::Map, "D:\\maps\\new.bsp", true, "√"},
        {SelectionKind::Map, "D:\\maps\\de_dust2", true, "×"},
        {SelectionKind::Map, "D:\\my.maps\\de_dust2", true, "×"},
        {SelectionKind::Map, "bsp", true, "√"},  // no dot: the whole text is the extension
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FakeWindow window;
        ExistenceOnly files;
        if (c.exists) files.existing.insert(c.text);
        window.boxes[c.row] = c.text;
        CheckSelection(c.row, window, files);
        EXPECT_EQ(window.captions[c.row], c.caption);
        EXPECT_EQ(window.colours[c.row], std::string(c.caption) == "√" ? 65280u : 255u);
        // Colour first, then caption, then readiness.
        ASSERT_GE(window.writes.size(), 2u);
        EXPECT_EQ(window.writes[0].rfind("colour", 0), 0u);
        EXPECT_EQ(window.writes[1], "caption " + std::string(c.caption));
    }
}

TEST(CheckSelection, EmptyBoxBlanksTheMarkAndKeepsItsColour) {
    FakeWindow window;
    ExistenceOnly files;
    window.boxes[SelectionKind::Plugin] = "D:\\gone.amxx";
    CheckSelection(SelectionKind::Plugin, window, files);
    ASSERT_EQ(window.captions[SelectionKind::Plugin], kRejected);

    window.boxes[SelectionKind::Plugin] = "";
    window.writes.clear();
    CheckSelection(SelectionKind::Plugin, window, files);
    EXPECT_EQ(window.captions[SelectionKind::Plugin], "");
    EXPECT_EQ(window.colours[SelectionKind::Plugin], kRejectedColour);
    EXPECT_EQ(window.writes.front(), "caption ");
}

// Sets marks directly and runs readiness, as each check's last step does.
struct ReadinessStep {
    SelectionKind row;
    const char* caption;
    bool runGame;
    bool install;
};

void RunSteps(const std::vector<ReadinessStep>& steps) {
    FakeWindow window;
    int n = 0;
    for (const ReadinessStep& step : steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        window.captions[step.row] = step.caption;
        RefreshReadiness(window);
        EXPECT_EQ(window.runGameEnabled, step.runGame);
        EXPECT_EQ(window.installEnabled, step.install);
    }
}

TEST(RefreshReadiness, FollowsTheMarksAsymmetrically) {
    using K = SelectionKind;
    // Plugin first: the game row is not accepted, so install is left as it was (disabled).
    RunSteps({{K::Plugin, "√", false, false}, {K::Game, "√", true, true}});
    // Losing the game row disables only run-game; clearing the plugin next leaves install on.
    RunSteps({{K::Game, "√", true, false},
              {K::Map, "√", true, true},
              {K::Game, "", false, true},
              {K::Map, "", false, true},
              {K::Game, "×", false, true}});
    // With the game accepted, losing the last add-on disables install.
    RunSteps({{K::Game, "√", true, false},
              {K::Effect, "√", true, true},
              {K::Model, "×", true, true},
              {K::Effect, "", true, false}});
}

TEST(RefreshReadiness, WritesEveryStateEvenWhenUnchanged) {
    FakeWindow window;
    window.captions[SelectionKind::Game] = kAccepted;
    RefreshReadiness(window);
    RefreshReadiness(window);
    EXPECT_EQ(window.writes,
              (std::vector<std::string>{"run on", "install off", "run on", "install off"}));
    window.writes.clear();
    window.captions[SelectionKind::Game] = kRejected;
    RefreshReadiness(window);
    EXPECT_EQ(window.writes, (std::vector<std::string>{"run off"}));
}

}  // namespace
}  // namespace varnholt
