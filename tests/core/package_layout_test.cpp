#include "core/package_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace varnholt {
namespace {

using Placements = std::vector<std::pair<std::string, std::string>>;  // source, destination
using Skips = std::vector<std::pair<std::string, SkipReason>>;

Placements PlacementsOf(const PackageLayout& layout) {
    Placements out;
    for (const PackagePlacement& p : layout.placements)
        out.emplace_back(p.source, p.destination);
    return out;
}

Skips SkipsOf(const PackageLayout& layout) {
    Skips out;
    for (const PackageSkip& s : layout.skipped)
        out.emplace_back(s.source, s.reason);
    return out;
}

struct LayoutCase {
    const char* name;
    std::vector<std::string> entries;
    std::string root;
    Placements placements;
    Skips skipped;
};

TEST(PackageLayout, PlacesEachFileBelowTheGameFolder) {
    const LayoutCase cases[] = {
        {"cstrike root",
         {"cstrike\\addons\\amxmodx\\plugins\\x.amxx", "cstrike\\sound\\misc\\Hit.WAV",
          "readme.txt"},
         "cstrike",
         {{"cstrike\\addons\\amxmodx\\plugins\\x.amxx",
           "cstrike\\addons\\amxmodx\\plugins\\x.amxx"},
          {"cstrike\\sound\\misc\\Hit.WAV", "cstrike\\sound\\misc\\Hit.WAV"}},
         {{"readme.txt", SkipReason::OutsideRoot}}},
        {"wrapped root, any case, spelling below the root kept",
         {"MyAddon\\readme.txt", "MyAddon\\CStrike\\Models\\player\\Neo\\Neo.mdl",
          "MyAddon\\shots\\1.jpg"},
         "MyAddon\\CStrike",
         {{"MyAddon\\CStrike\\Models\\player\\Neo\\Neo.mdl",
           "cstrike\\Models\\player\\Neo\\Neo.mdl"}},
         {{"MyAddon\\readme.txt", SkipReason::OutsideRoot},
          {"MyAddon\\shots\\1.jpg", SkipReason::OutsideRoot}}},
        {"bare tree at the top is the root",
         {"addons\\amxmodx\\plugins\\a.amxx", "addons\\amxmodx\\configs\\a.cfg", "sound\\a\\b.wav",
          "a.txt"},
         "",
         {{"addons\\amxmodx\\plugins\\a.amxx", "cstrike\\addons\\amxmodx\\plugins\\a.amxx"},
          {"addons\\amxmodx\\configs\\a.cfg", "cstrike\\addons\\amxmodx\\configs\\a.cfg"},
          {"sound\\a\\b.wav", "cstrike\\sound\\a\\b.wav"},
          {"a.txt", "cstrike\\a.txt"}},
         {}},
        {"wrapped bare tree",
         {"MyAddon\\addons\\amxmodx\\plugins\\a.amxx", "MyAddon\\SOUND\\a.wav", "MyAddon\\info.txt",
          "about.url"},
         "MyAddon",
         {{"MyAddon\\addons\\amxmodx\\plugins\\a.amxx",
           "cstrike\\addons\\amxmodx\\plugins\\a.amxx"},
          {"MyAddon\\SOUND\\a.wav", "cstrike\\SOUND\\a.wav"},
          {"MyAddon\\info.txt", "cstrike\\info.txt"}},
         {{"about.url", SkipReason::OutsideRoot}}},
        {"loose files by kind, only the name kept",
         {"Pack\\bin\\a.AMXX", "Pack\\src\\a.sma", "b.Mdl", "c.spr", "de_x.bsp", "x.wad",
          "readme.txt", "shot.png", "site.url", "noextension", "mdl"},
         "",
         {{"Pack\\bin\\a.AMXX", "cstrike\\addons\\amxmodx\\plugins\\a.AMXX"},
          {"Pack\\src\\a.sma", "cstrike\\addons\\amxmodx\\scripting\\a.sma"},
          {"b.Mdl", "cstrike\\models\\b.Mdl"},
          {"c.spr", "cstrike\\sprites\\c.spr"},
          {"de_x.bsp", "cstrike\\maps\\de_x.bsp"},
          {"x.wad", "cstrike\\x.wad"}},
         {{"readme.txt", SkipReason::OutsideRoot},
          {"shot.png", SkipReason::OutsideRoot},
          {"site.url", SkipReason::OutsideRoot},
          {"noextension", SkipReason::OutsideRoot},
          {"mdl", SkipReason::OutsideRoot}}},
        {"loose file beside a root",
         {"Pack\\cstrike\\sound\\a.wav", "Pack\\extra.amxx"},
         "Pack\\cstrike",
         {{"Pack\\cstrike\\sound\\a.wav", "cstrike\\sound\\a.wav"},
          {"Pack\\extra.amxx", "cstrike\\addons\\amxmodx\\plugins\\extra.amxx"}},
         {}},
        {"cstrike wins over another game at the same depth, even when that comes first",
         {"valve\\models\\v.mdl", "cstrike\\models\\c.mdl", "valve\\liblist.gam"},
         "cstrike",
         {{"cstrike\\models\\c.mdl", "cstrike\\models\\c.mdl"}},
         {{"valve\\models\\v.mdl", SkipReason::OtherGame},
          {"valve\\liblist.gam", SkipReason::OtherGame}}},
        {"no cstrike among roots at one depth: the first to appear",
         {"b\\readme.txt", "a\\models\\y.mdl", "b\\sound\\x.wav", "a\\z.mdl"},
         "b",
         {{"b\\readme.txt", "cstrike\\readme.txt"}, {"b\\sound\\x.wav", "cstrike\\sound\\x.wav"}},
         {{"a\\models\\y.mdl", SkipReason::OtherGame}, {"a\\z.mdl", SkipReason::OtherGame}}},
        {"a deeper tree outside the root is not flattened",
         {"cstrike\\sound\\a.wav", "Optional\\HD\\models\\player\\b\\b.mdl"},
         "cstrike",
         {{"cstrike\\sound\\a.wav", "cstrike\\sound\\a.wav"}},
         {{"Optional\\HD\\models\\player\\b\\b.mdl", SkipReason::OtherGame}}},
        {"only a readme", {"readme.txt"}, "", {}, {{"readme.txt", SkipReason::OutsideRoot}}},
        {"deeper game folder names inside the root stay plain folders",
         {"MyAddon\\cstrike\\models\\player\\models\\x.mdl",
          "MyAddon\\cstrike\\addons\\cstrike\\y.txt",
          "MyAddon\\cstrike\\sound\\valve\\sound\\z.wav"},
         "MyAddon\\cstrike",
         {{"MyAddon\\cstrike\\models\\player\\models\\x.mdl",
           "cstrike\\models\\player\\models\\x.mdl"},
          {"MyAddon\\cstrike\\addons\\cstrike\\y.txt", "cstrike\\addons\\cstrike\\y.txt"},
          {"MyAddon\\cstrike\\sound\\valve\\sound\\z.wav", "cstrike\\sound\\valve\\sound\\z.wav"}},
         {}},
        {"one root spelled in two cases is one root",
         {"Pack\\cstrike\\a\\x.wav", "PACK\\CSTRIKE\\b\\y.wav"},
         "Pack\\cstrike",
         {{"Pack\\cstrike\\a\\x.wav", "cstrike\\a\\x.wav"},
          {"PACK\\CSTRIKE\\b\\y.wav", "cstrike\\b\\y.wav"}},
         {}},
        {"a file named like a game folder makes no root",
         {"Pack\\models", "Pack\\cstrike", "Pack\\readme.txt"},
         "",
         {},
         {{"Pack\\models", SkipReason::OutsideRoot},
          {"Pack\\cstrike", SkipReason::OutsideRoot},
          {"Pack\\readme.txt", SkipReason::OutsideRoot}}},
        {"empty package", {}, "", {}, {}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PackageLayout layout = LayOutPackage(c.entries);
        ASSERT_FALSE(layout.refused.has_value()) << layout.refused->first;
        EXPECT_EQ(layout.root, c.root);
        EXPECT_EQ(PlacementsOf(layout), c.placements);
        EXPECT_EQ(SkipsOf(layout), c.skipped);
    }
}

TEST(PackageLayout, ABadNameRefusesTheWholePackage) {
    const std::string longAscii(256, 'a');
    std::string longEmoji;  // 128 characters outside the BMP: 256 UTF-16 units
    for (int i = 0; i < 128; ++i)
        longEmoji += "\xF0\x9F\x98\x80";
    const struct {
        std::string bad;
        BadName reason;
    } cases[] = {
        {"", BadName::Empty},
        {"cstrike\\\\x.wav", BadName::Empty},
        {"cstrike\\sound\\", BadName::Empty},
        {"\\cstrike\\x.wav", BadName::Absolute},
        {"C:\\cstrike\\x.wav", BadName::Drive},
        {"d:x.amxx", BadName::Drive},
        {"\\\\server\\share\\x.amxx", BadName::Unc},
        {"cstrike\\..\\..\\x.amxx", BadName::DotComponent},
        {".\\x.amxx", BadName::DotComponent},
        {"cstrike\\x.amxx:hidden", BadName::Colon},
        {"cstrike\\CON", BadName::Device},
        {"cstrike\\aux.txt", BadName::Device},
        {"cstrike\\Com1.wav", BadName::Device},
        {"lpt9\\x.wav", BadName::Device},
        {"cstrike\\nul .tar.gz", BadName::Device},
        {"cstrike\\conin$", BadName::Device},
        {"cstrike\\CONOUT$.log", BadName::Device},
        {"cstrike\\COM\xC2\xB9", BadName::Device},
        {"cstrike\\x.amxx.", BadName::TrailingDotOrBlank},
        {"cstrike \\x.amxx", BadName::TrailingDotOrBlank},
        {"cstrike\\a<b", BadName::BadCharacter},
        {"cstrike\\a>b", BadName::BadCharacter},
        {"cstrike\\a\"b", BadName::BadCharacter},
        {"cstrike\\a|b", BadName::BadCharacter},
        {"cstrike\\a?b", BadName::BadCharacter},
        {"cstrike\\a*b", BadName::BadCharacter},
        {"cstrike\\a\tb", BadName::BadCharacter},
        {"cstrike\\a\x1F", BadName::BadCharacter},
        {"cstrike/x.amxx", BadName::BadCharacter},
        {"cstrike\\\xC0\xAF.wav", BadName::BadEncoding},          // overlong "/"
        {"cstrike\\\xED\xA0\x80.wav", BadName::BadEncoding},      // a surrogate
        {"cstrike\\\xF4\x90\x80\x80.wav", BadName::BadEncoding},  // past U+10FFFF
        {"cstrike\\\xE6\xB8", BadName::BadEncoding},              // cut short
        {"cstrike\\\x80x.wav", BadName::BadEncoding},             // stray continuation
        {"cstrike\\" + longAscii, BadName::TooLong},
        {"cstrike\\" + longEmoji, BadName::TooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bad));
        const PackageLayout layout =
            LayOutPackage({"cstrike\\sound\\ok.wav", c.bad, "cstrike\\sound\\ok2.wav", "x.amxx:y"});
        ASSERT_TRUE(layout.refused.has_value());
        EXPECT_EQ(layout.refused->first, c.bad);
        EXPECT_EQ(layout.refused->second, c.reason);
        EXPECT_EQ(layout.root, "");
        EXPECT_TRUE(layout.placements.empty());
        EXPECT_TRUE(layout.skipped.empty());
    }
}

TEST(PackageLayout, NamesCloseToBadOnesAreAccepted) {
    std::string longCjk;  // 255 characters of three bytes each: 255 UTF-16 units
    for (int i = 0; i < 255; ++i)
        longCjk += "游";
    const std::string names[] = {
        "console.wav", "com10.wav", "lpt0.wav",
        "com.wav",     "nul_x.wav", "auxiliary.wav",
        "x.con",       ".hidden",   "a b.wav",
        "..x.wav",     "x..wav",    std::string(255, 'a'),
        longCjk,       "游戏.wav",  "a#$%&'()+,;=@[]^`{}~.wav",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const PackageLayout layout = LayOutPackage({"cstrike\\sound\\" + name});
        EXPECT_FALSE(layout.refused.has_value());
        ASSERT_EQ(layout.placements.size(), 1u);
        EXPECT_EQ(layout.placements[0].destination, "cstrike\\sound\\" + name);
    }
}

TEST(PackageLayout, TwoFilesOnOneDestinationRefuseThePackage) {
    const struct {
        const char* name;
        std::vector<std::string> entries;
        std::string bad;
        BadName reason;
    } cases[] = {
        {"same name twice",
         {"cstrike\\a.wav", "cstrike\\a.wav"},
         "cstrike\\a.wav",
         BadName::Duplicate},
        {"ASCII case",
         {"cstrike\\Sound\\A.wav", "cstrike\\sound\\a.WAV"},
         "cstrike\\sound\\a.WAV",
         BadName::Duplicate},
        {"Cyrillic case",
         {"cstrike\\sound\\Звук.wav", "cstrike\\sound\\ЗВУК.wav"},
         "cstrike\\sound\\ЗВУК.wav",
         BadName::Duplicate},
        {"Greek final sigma",
         {"cstrike\\ΛΟΓΟΣ.wav", "cstrike\\λογος.wav"},
         "cstrike\\λογος.wav",
         BadName::Duplicate},
        {"fullwidth Latin",
         {"cstrike\\ＡＢ.wav", "cstrike\\ａｂ.wav"},
         "cstrike\\ａｂ.wav",
         BadName::Duplicate},
        {"a loose file onto a root's file",
         {"Pack\\cstrike\\addons\\amxmodx\\plugins\\x.amxx", "Pack\\X.AMXX"},
         "Pack\\X.AMXX",
         BadName::Duplicate},
        {"loose files from two folders",
         {"a\\de_x.bsp", "b\\de_x.bsp"},
         "b\\de_x.bsp",
         BadName::Duplicate},
        {"file, then a file below it",
         {"cstrike\\a\\b", "cstrike\\a\\b\\c.wav"},
         "cstrike\\a\\b\\c.wav",
         BadName::FileAndFolder},
        {"file below, then the file",
         {"cstrike\\a\\b\\c.wav", "cstrike\\A\\B"},
         "cstrike\\A\\B",
         BadName::FileAndFolder},
        {"a loose file where the root has a folder",
         {"cstrike\\x.wad\\y.txt", "x.wad"},
         "x.wad",
         BadName::FileAndFolder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PackageLayout layout = LayOutPackage(c.entries);
        ASSERT_TRUE(layout.refused.has_value());
        EXPECT_EQ(layout.refused->first, c.bad);
        EXPECT_EQ(layout.refused->second, c.reason);
        EXPECT_EQ(layout.root, "");
        EXPECT_TRUE(layout.placements.empty());
        EXPECT_TRUE(layout.skipped.empty());
    }
    // Skipped files land nowhere, so they cannot collide.
    const PackageLayout readmes = LayOutPackage({"cstrike\\a.wav", "README.txt", "readme.TXT"});
    EXPECT_FALSE(readmes.refused.has_value());
}

TEST(PackageLayout, FoldCaseMatchesWindowsNameComparison) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Hl.EXE", "hl.exe", true},
        {"ÉÀÖØÞ", "éàöøþ", true},
        {"×", "÷", false},  // neither is a letter
        {"ŁŒŽĲ", "łœžĳ", true},
        {"Ÿ", "ÿ", true},
        {"ſ", "s", true},
        {"µ", "μ", true},
        {"ΣΆΏ", "σάώ", true},
        {"ς", "σ", true},
        {"ЁЖЯ", "ёжя", true},
        {"ЀЏ", "ѐџ", true},
        {"ѢӁӐ", "ѣӂӑ", true},
        {"Ӏ", "ӏ", true},
        {"ＡＺ", "ａｚ", true},
        {"K", "k", true},  // Kelvin sign
        {"ß", "ss", false},
        {"İ", "i", false},
        {"a", "á", false},
        {"Ｉ", "I", false},
        {"\xFF"
         "A",
         "\xFF"
         "a",
         true},  // bytes outside UTF-8 kept, letters still folded
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(FoldCase(c.a) == FoldCase(c.b), c.same);
        EXPECT_EQ(FoldCase(FoldCase(c.a)), FoldCase(c.a));
    }
}

TEST(PackageLayout, PlayerSettingsAreKnownByName) {
    const struct {
        const char* destination;
        bool setting;
    } cases[] = {
        {"cstrike\\addons\\amxmodx\\configs\\amxx.cfg", true},
        {"cstrike\\Server.CFG", true},
        {"cstrike\\addons\\amxmodx\\configs\\plugins.ini", true},
        {"cstrike\\liblist.gam", true},
        {"cstrike\\MapCycle.TXT", true},
        {"cstrike\\motd.txt", true},
        {"cstrike\\readme.txt", false},
        {"cstrike\\maps\\de_x.txt", false},
        {"cstrike\\my_motd.txt", false},
        {"cstrike\\mapcycle.txt.bak", false},
        {"cstrike\\x.cfg.bak", false},
        {"cstrike\\x.cfgx", false},
        {"cstrike\\cfg\\x.wav", false},
        {"cstrike\\ini", false},
        {"cstrike\\models\\x.mdl", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destination);
        EXPECT_EQ(IsPlayerSetting(c.destination), c.setting);
    }
}

TEST(PackageLayout, ActiveListEntriesAreEachLinesFirstWord) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> entries;
    } cases[] = {
        {"CR LF lines, later words dropped",
         "admin.amxx\r\nadminhelp.amxx debug\r\n",
         {"admin.amxx", "adminhelp.amxx"}},
        {"comments and blank lines",
         "; comment\n  ;indented\n\n \t \r\nstats.amxx ; why\n",
         {"stats.amxx"}},
        {"slash comments", "// off.amxx\n  //off2.amxx\n\tTabbed.amxx\n", {"Tabbed.amxx"}},
        {"no final line end", "a.amxx\nlast.amxx", {"a.amxx", "last.amxx"}},
        {"a semicolon ends the word", "a.amxx;b.amxx\n", {"a.amxx"}},
        {"bytes kept", "\xEF\xBB\xBFÜnï.AMXX\r\n", {"\xEF\xBB\xBFÜnï.AMXX"}},
        {"a lone CR is a blank", "x.amxx\rjunk\n", {"x.amxx"}},
        {"empty", "", {}},
        {"only line ends", "\r\n\n\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ActiveListEntries(c.text), c.entries);
    }
}

}  // namespace
}  // namespace varnholt
