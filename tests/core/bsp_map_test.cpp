#include "core/bsp_map.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "tests/core/format_builders.h"

namespace varnholt {
namespace {

using testing::BuildMap;
using testing::BuildMapHeader;

TEST(BspMap, FindsTheEntityLump) {
    struct Case {
        const char* name;
        std::string header;
        std::uint64_t fileSize;
        std::optional<std::pair<std::uint64_t, std::uint64_t>> lump;
    };
    const Case cases[] = {
        {"after the header", BuildMapHeader(30, 124, 500), 100000, {{124, 500}}},
        {"ending at the end of the file", BuildMapHeader(30, 2000, 500), 2500, {{2000, 500}}},
        {"empty lump", BuildMapHeader(30, 0, 0), 124, {{0, 0}}},
        {"largest lump",
         BuildMapHeader(30, 124, 16 * 1024 * 1024),
         1ull << 33,
         {{124, 16 * 1024 * 1024}}},
        {"far into a large file", BuildMapHeader(30, INT_MAX, 10), 1ull << 40, {{INT_MAX, 10}}},
        {"one byte past the end", BuildMapHeader(30, 2000, 501), 2500, std::nullopt},
        {"offset past the end", BuildMapHeader(30, 3000, 0), 2500, std::nullopt},
        {"version 29 (Quake)", BuildMapHeader(29, 124, 10), 1000, std::nullopt},
        {"version 31", BuildMapHeader(31, 124, 10), 1000, std::nullopt},
        {"negative offset", BuildMapHeader(30, -1, 10), 1000, std::nullopt},
        {"negative length", BuildMapHeader(30, 124, -10), 1000, std::nullopt},
        {"largest negative length", BuildMapHeader(30, 124, INT_MIN), 1000, std::nullopt},
        {"inside the header", BuildMapHeader(30, 4, 50), 1000, std::nullopt},
        {"longer than any entity text", BuildMapHeader(30, 124, 16 * 1024 * 1024 + 1), 1ull << 33,
         std::nullopt},
        {"both near int32 max", BuildMapHeader(30, INT_MAX, INT_MAX), 1ull << 40, std::nullopt},
        {"header cut short", BuildMapHeader(30, 124, 10).substr(0, 123), 1000, std::nullopt},
        {"empty header", "", 1000, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<ByteRange> lump = EntityLumpOf(c.header, c.fileSize);
        ASSERT_EQ(lump.has_value(), c.lump.has_value());
        if (lump) {
            EXPECT_EQ(lump->offset, c.lump->first);
            EXPECT_EQ(lump->length, c.lump->second);
        }
    }
}

// Entities written back as {key=value,key=value}{...}, or "none".
std::string Describe(const std::optional<std::vector<Entity>>& entities) {
    if (!entities) return "none";
    std::string text;
    for (const Entity& entity : *entities) {
        text += '{';
        for (std::size_t i = 0; i < entity.keys.size(); ++i) {
            if (i > 0) text += ',';
            text += entity.keys[i].first + '=' + entity.keys[i].second;
        }
        text += '}';
    }
    return text;
}

TEST(BspMap, ParsesEntityText) {
    struct Case {
        const char* name;
        std::string text;
        const char* entities;
    };
    const Case cases[] = {
        {"two entities",
         "{\n\"classname\" \"worldspawn\"\n\"wad\" \"a.wad\"\n}\n{\n\"classname\" \"light\"\n}\n",
         "{classname=worldspawn,wad=a.wad}{classname=light}"},
        {"tabs, CR LF and no line breaks at all", "\t{\r\n\"a\"\t\"1\" }{\"b\" \"2\"}\r\n",
         "{a=1}{b=2}"},
        {"keys in file order, repeats kept", "{ \"k\" \"1\" \"k\" \"2\" \"a\" \"3\" }",
         "{k=1,k=2,a=3}"},
        {"empty strings and an empty block", "{ \"\" \"\" } { }", "{=}{}"},
        {"braces and a line break inside a value", "{ \"message\" \"a { b }\nc\" }",
         "{message=a { b }\nc}"},
        {"bytes of other code pages kept", "{ \"message\" \"\xD3\xCE\xCF\xB7\" }",
         "{message=\xD3\xCE\xCF\xB7}"},
        {"a NUL ends the text", std::string("{ \"a\" \"1\" }\0{ \"b\" \"2\" }", 23), "{a=1}"},
        {"a NUL inside a string ends it unterminated",
         std::string("{ \"a\" \"1\" }{ \"b\" \"x\0y\" }", 24), "{a=1}"},
        {"unterminated string", "{ \"a\" \"1\" }{ \"b\" \"2 }", "{a=1}"},
        {"unterminated block", "{ \"a\" \"1\" }{ \"b\" \"2\"", "{a=1}"},
        {"key without a value", "{ \"a\" \"1\" }{ \"b\" }", "{a=1}"},
        {"bare word inside a block", "{ \"a\" \"1\" }{ b \"2\" }", "{a=1}"},
        {"something between blocks", "{ \"a\" \"1\" } x { \"b\" \"2\" }", "{a=1}"},
        {"nested block", "{ \"a\" \"1\" }{ { } }", "{a=1}"},
        {"empty text", "", ""},
        {"only blanks", " \r\n\t ", ""},
        {"only a NUL", std::string("\0{ \"a\" \"1\" }", 12), ""},
        {"not entity text", "IDST\x0a\0\0\0", "none"},
        {"a quote first", "\"a\" \"1\"", "none"},
        {"a stray closing brace first", "} { \"a\" \"1\" }", "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(ParseEntities(c.text)), c.entities);
    }
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += item + '|';
    return text;
}

TEST(BspMap, ListsWhatAMapNeeds) {
    struct Case {
        const char* name;
        const char* text;
        const char* wads;
        const char* sky;
        const char* files;
    };
    const Case cases[] = {
        {"wad paths become file names, each once",
         R"({ "classname" "worldspawn" "wad" "\quiver\valve\halflife.wad;c:/sierra/cstrike/cs_dust.wad;;HALFLIFE.WAD; decals.wad ;..;c:" })",
         "halflife.wad|cs_dust.wad|decals.wad|", "", ""},
        {"sky name as written", R"({ "classname" "worldspawn" "skyname" "Desert" })", "", "Desert",
         ""},
        {"only the first worldspawn counts",
         R"({ "classname" "worldspawn" "wad" "a.wad" "skyname" "one" }
            { "classname" "worldspawn" "wad" "b.wad" "skyname" "two" })",
         "a.wad|", "one", ""},
        {"worldspawn need not come first",
         R"({ "classname" "light" } { "classname" "worldspawn" "skyname" "night" })", "", "night",
         ""},
        {"models and sprites under any key",
         R"({ "classname" "env_sprite" "model" "sprites/glow01.spr" }
            { "classname" "cycler" "Model" "models\props\crate.mdl" }
            { "classname" "env_beam" "texture" "sprites/laserbeam.spr" }
            { "classname" "env_shooter" "shootmodel" "models/gibs.MDL" }
            { "classname" "func_wall" "model" "*12" })",
         "", "",
         "sprites\\glow01.spr|models\\props\\crate.mdl|sprites\\laserbeam.spr|models\\gibs.MDL|"},
        {"paths once, compared without case",
         R"({ "model" "models/a.mdl" } { "model" "MODELS\A.MDL" } { "model" "models//./a.mdl" })",
         "", "", "models\\a.mdl|"},
        {"sounds below sound, never twice",
         R"({ "classname" "ambient_generic" "message" "ambience/wind1.wav" }
            { "classname" "ambient_generic" "message" "sound/ambience/wind2.wav" }
            { "classname" "ambient_generic" "message" "Sound\ambience\wind1.WAV" }
            { "classname" "trigger_once" "noise" "buttons/bell1.wav" }
            { "classname" "func_door" "noise1" "doors/doormove1.wav" "NOISE2" "doors/stop.wav" "noise3" "x/y.mp3" })",
         "", "",
         "sound\\ambience\\wind1.wav|sound\\ambience\\wind2.wav|sound\\buttons\\bell1.wav|"
         "sound\\doors\\doormove1.wav|sound\\doors\\stop.wav|sound\\x\\y.mp3|"},
        {"sentences, numbers and text are no files",
         R"({ "classname" "worldspawn" "message" "de_test by me" }
            { "classname" "ambient_generic" "message" "!HG_ALERT1.wav" }
            { "classname" "speaker" "message" "HG_DRAFT" }
            { "classname" "func_door" "noise1" "5" "movesnd" "3" }
            { "classname" "game_text" "message" "Welcome" }
            { "classname" "func_button" "target" "door.wav" })",
         "", "", ""},
        {"paths that leave the mod folder are dropped",
         R"({ "model" "../../hl.mdl" } { "model" "c:/x.mdl" } { "model" "/abs.mdl" }
            { "model" "\\server\share\x.spr" } { "message" "../../../x.wav" }
            { "noise" "/x.wav" } { "model" "models/..\../x.mdl" } { "model" "models/ok.mdl" })",
         "", "", "models\\ok.mdl|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto entities = ParseEntities(c.text);
        ASSERT_TRUE(entities.has_value());
        const MapNeeds needs = NeedsOfMap(*entities);
        EXPECT_EQ(Joined(needs.wads), c.wads);
        EXPECT_EQ(needs.skyName, c.sky);
        EXPECT_EQ(Joined(needs.files), c.files);
    }
}

TEST(BspMap, ReadsAMapBuiltFromHeaderAndEntityText) {
    const std::string text =
        "{\n\"classname\" \"worldspawn\"\n\"skyname\" \"city\"\n\"wad\" \"\\cs\\cs_dust.wad\"\n}\n"
        "{\n\"classname\" \"ambient_generic\"\n\"message\" \"de_test/bird.wav\"\n}\n";
    const std::string map = BuildMap(text);  // another lump follows the entities

    const auto lump = EntityLumpOf(map.substr(0, kBspHeaderSize), map.size());
    ASSERT_TRUE(lump.has_value());
    const auto entities = ParseEntities(map.substr(lump->offset, lump->length));
    ASSERT_TRUE(entities.has_value());
    const MapNeeds needs = NeedsOfMap(*entities);
    EXPECT_EQ(Joined(needs.wads), "cs_dust.wad|");
    EXPECT_EQ(needs.skyName, "city");
    EXPECT_EQ(Joined(needs.files), "sound\\de_test\\bird.wav|");
}

TEST(BspMap, NamesSkyImages) {
    struct Case {
        const char* sky;
        const char* extension;
        const char* paths;
    };
    const Case cases[] = {
        {"desert", ".tga",
         "gfx\\env\\desertup.tga|gfx\\env\\desertdn.tga|gfx\\env\\desertlf.tga|"
         "gfx\\env\\desertrt.tga|gfx\\env\\desertft.tga|gfx\\env\\desertbk.tga|"},
        {"City", ".bmp",
         "gfx\\env\\Cityup.bmp|gfx\\env\\Citydn.bmp|gfx\\env\\Citylf.bmp|"
         "gfx\\env\\Cityrt.bmp|gfx\\env\\Cityft.bmp|gfx\\env\\Citybk.bmp|"},
        {"", ".tga", ""},
        {"../../x", ".tga", ""},
        {"c:sky", ".tga", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sky);
        EXPECT_EQ(Joined(SkyImagePaths(c.sky, c.extension)), c.paths);
    }
}

}  // namespace
}  // namespace varnholt
