#include "core/companions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "core/bsp_map.h"
#include "tests/core/format_builders.h"
#include "tests/core/memory_file_system.h"

namespace varnholt {
namespace {

using testing::BuildImage;
using testing::BuildMap;
using testing::BuildMapHeader;
using testing::BuildModel;
using testing::BuildPlugin;
using testing::MemoryFileSystem;

// The in-memory file system, recording every part read and failing reads of chosen files.
class RecordingFileSystem : public MemoryFileSystem {
public:
    struct Read {
        std::string path;
        std::uint64_t offset = 0;
        std::size_t length = 0;
    };
    std::vector<Read> reads;
    std::set<std::string> unreadable;

    std::optional<std::string> ReadPart(const std::string& path, std::uint64_t offset,
                                        std::size_t length) override {
        reads.push_back({path, offset, length});
        if (unreadable.count(path))
            return std::nullopt;
        return MemoryFileSystem::ReadPart(path, offset, length);
    }
};

const std::string kModelCrash = "游戏加载该模型时会出错退出";
const std::string kWadMissing = "地图需要的 WAD 文件缺失，游戏会无法加载该地图";
const std::string kModuleMissing = "插件需要的模块缺失，插件将无法加载";
const std::string kNotLoaded = "插件不会运行：";
const std::string kNoMetamod = "liblist.gam 没有加载 Metamod";
const std::string kNoAmxModX = "Metamod 的 plugins.ini 没有加载 AMX Mod X";

const std::string kLiblist = "G\\cstrike\\liblist.gam";
const std::string kMetamodList = "G\\cstrike\\addons\\metamod\\plugins.ini";
const std::string kModules = "G\\cstrike\\addons\\amxmodx\\modules\\";

// Companions as "source > destination|" each, missing files as "name|" each.
std::string CompanionsOf(const RowNeeds& needs) {
    std::string text;
    for (const Companion& c : needs.companions)
        text += c.source + " > " + c.relative + "|";
    return text;
}

std::string MissingOf(const RowNeeds& needs) {
    std::string text;
    for (const MissingFile& m : needs.missing)
        text += m.name + "|";
    return text;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += item + "|";
    return text;
}

// `pattern` once for each side of a sky, "%" standing for the side.
std::string Sides(const std::string& pattern) {
    std::string text;
    for (const char* side : {"up", "dn", "lf", "rt", "ft", "bk"}) {
        std::string one = pattern;
        for (std::size_t at = one.find('%'); at != std::string::npos; at = one.find('%')) {
            one.replace(at, 1, side);
        }
        text += one;
    }
    return text;
}

std::vector<std::string> SidePaths(const std::string& pattern) {
    std::vector<std::string> paths;
    std::string all = Sides(pattern + "|");
    for (std::size_t at = all.find('|'); at != std::string::npos; at = all.find('|')) {
        paths.push_back(all.substr(0, at));
        all.erase(0, at + 1);
    }
    return paths;
}

using Keys = std::vector<std::pair<std::string, std::string>>;

// Entity text of the given entities, each key and value quoted.
std::string EntityText(const std::vector<Keys>& entities) {
    std::string text;
    for (const Keys& keys : entities) {
        text += "{\n";
        for (const auto& [key, value] : keys)
            text += "\"" + key + "\" \"" + value + "\"\n";
        text += "}\n";
    }
    return text;
}

// A game with Metamod and AMX Mod X set up, the way their installers leave it.
void SetUpGame(MemoryFileSystem& fs, const std::string& root = "G\\") {
    fs.Put(root + "cstrike\\liblist.gam",
           "game \"Counter-Strike\"\r\ngamedll \"addons\\metamod\\dlls\\metamod.dll\"\r\n"
           "gamedll_linux \"dlls/cs.so\"\r\n");
    fs.Put(root + "cstrike\\addons\\metamod\\plugins.ini",
           "; Metamod plugins\r\nwin32 addons/amxmodx/dlls/amxmodx_mm.dll\r\n");
}

class Companions : public ::testing::Test {
protected:
    Companions() { SetUpGame(fs); }

    RowNeeds Needs(SelectionKind row, const std::string& source, const std::string& root = "G\\") {
        return NeedsOfRow(row, source, FolderOf(row), root, fs);
    }
    static std::string FolderOf(SelectionKind row) {
        switch (row) {
            case SelectionKind::Plugin:
                return "cstrike\\addons\\amxmodx\\plugins\\";
            case SelectionKind::Model:
                return "cstrike\\models\\";
            case SelectionKind::Effect:
                return "cstrike\\sprites\\";
            case SelectionKind::Map:
                return "cstrike\\maps\\";
            case SelectionKind::Game:
                break;
        }
        return "";
    }
    void PutAll(const std::vector<std::string>& paths) {
        for (const std::string& path : paths)
            fs.Put(path, "content of " + path);
    }

    RecordingFileSystem fs;
};

TEST_F(Companions, ModelFilesComeAlongOrAreMissing) {
    const std::string textureLess = BuildModel({"idle"}, 1, 0);
    struct Case {
        const char* name;
        std::string source;
        std::string model;
        std::vector<std::string> present;
        std::string companions;
        std::string missing;
    };
    const Case cases[] = {
        {"texture file beside",
         "S\\v_ak47.mdl",
         textureLess,
         {"S\\v_ak47t.mdl"},
         "S\\v_ak47t.mdl > cstrike\\models\\v_ak47t.mdl|",
         ""},
        {"texture file beside with a capital T",
         "S\\v_ak47.mdl",
         textureLess,
         {"S\\v_ak47T.mdl"},
         "S\\v_ak47T.mdl > cstrike\\models\\v_ak47T.mdl|",
         ""},
        {"upper-case names",
         "S\\V_AK47.MDL",
         textureLess,
         {"S\\V_AK47T.MDL"},
         "S\\V_AK47T.MDL > cstrike\\models\\V_AK47T.MDL|",
         ""},
        {"texture file in the game's folder",
         "S\\v_ak47.mdl",
         textureLess,
         {"G\\cstrike\\models\\v_ak47T.mdl"},
         "",
         ""},
        {"texture file only in another folder of the game",
         "S\\v_ak47.mdl",
         textureLess,
         {"G\\cstrike\\models\\player\\v_ak47t.mdl", "S\\other\\v_ak47t.mdl"},
         "",
         "v_ak47t.mdl|"},
        {"texture file nowhere", "S\\v_ak47.mdl", textureLess, {}, "", "v_ak47t.mdl|"},
        {"textures inside: a stray texture file stays",
         "S\\v_ak47.mdl",
         BuildModel({"idle"}, 1, 2),
         {"S\\v_ak47t.mdl"},
         "",
         ""},
        {"sequence groups",
         "S\\v_ak47.mdl",
         BuildModel({"idle"}, 4, 2),
         {"S\\v_ak4701.mdl", "G\\cstrike\\models\\v_ak4702.mdl"},
         "S\\v_ak4701.mdl > cstrike\\models\\v_ak4701.mdl|",
         "v_ak4703.mdl|"},
        {"texture file and groups",
         "S\\v_ak47.mdl",
         BuildModel({"idle"}, 2, 0),
         {"S\\v_ak47t.mdl", "S\\v_ak4701.mdl"},
         "S\\v_ak47t.mdl > cstrike\\models\\v_ak47t.mdl|"
         "S\\v_ak4701.mdl > cstrike\\models\\v_ak4701.mdl|",
         ""},
        {"picked inside the game: nothing to copy",
         "G\\cstrike\\models\\v_ak47.mdl",
         textureLess,
         {"G\\cstrike\\models\\v_ak47t.mdl"},
         "",
         ""},
        {"model in the current folder",
         "v_ak47.mdl",
         textureLess,
         {"v_ak47t.mdl"},
         "v_ak47t.mdl > cstrike\\models\\v_ak47t.mdl|",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put(c.source, c.model);
        PutAll(c.present);
        const RowNeeds needs = Needs(SelectionKind::Model, c.source);
        EXPECT_EQ(needs.mainRelative,
                  "cstrike\\models\\" + c.source.substr(c.source.rfind('\\') + 1));
        EXPECT_FALSE(needs.createFolders);
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.missing);
        for (const MissingFile& m : needs.missing)
            EXPECT_EQ(m.effect, kModelCrash);
        EXPECT_EQ(Joined(needs.warnings), "");
    }
}

TEST_F(Companions, PlayerModelsGoIntoTheirOwnFolder) {
    const std::vector<std::string> player = {"idle1",          "ref_aim_knife", "crouch_aim_knife",
                                             "ref_aim_c4",     "crouch_aim_c4", "ref_aim_ak47",
                                             "crouch_aim_ak47"};
    const std::vector<std::string> weapon = {"idle", "shoot1", "reload"};
    struct Case {
        const char* name;
        std::string source;
        std::vector<std::string> labels;
        std::vector<std::string> present;
        std::string main;
        std::string companions;
        std::string missing;
    };
    const Case cases[] = {
        {"kept in player\\NAME\\",
         "S\\player\\vip\\vip.mdl",
         weapon,
         {"S\\player\\vip\\vipt.mdl"},
         "cstrike\\models\\player\\vip\\vip.mdl",
         "S\\player\\vip\\vipt.mdl > cstrike\\models\\player\\vip\\vipt.mdl|",
         ""},
        {"folder names in any case",
         "S\\Player\\VIP\\vip.mdl",
         weapon,
         {"S\\Player\\VIP\\vipT.mdl"},
         "cstrike\\models\\player\\vip\\vip.mdl",
         "S\\Player\\VIP\\vipT.mdl > cstrike\\models\\player\\vip\\vipT.mdl|",
         ""},
        {"known by its sequences",
         "S\\dl\\arctic2.mdl",
         player,
         {"S\\dl\\arctic2t.mdl"},
         "cstrike\\models\\player\\arctic2\\arctic2.mdl",
         "S\\dl\\arctic2t.mdl > cstrike\\models\\player\\arctic2\\arctic2t.mdl|",
         ""},
        {"texture file in the game's player folder",
         "S\\dl\\arctic2.mdl",
         player,
         {"G\\cstrike\\models\\player\\arctic2\\arctic2t.mdl", "G\\cstrike\\models\\arctic2t.mdl"},
         "cstrike\\models\\player\\arctic2\\arctic2.mdl",
         "",
         ""},
        {"texture file only in the models folder",
         "S\\dl\\arctic2.mdl",
         player,
         {"G\\cstrike\\models\\arctic2t.mdl"},
         "cstrike\\models\\player\\arctic2\\arctic2.mdl",
         "",
         "arctic2t.mdl|"},
        {"folder not named after the model",
         "S\\player\\gign\\vip.mdl",
         weapon,
         {},
         "cstrike\\models\\vip.mdl",
         "",
         "vipt.mdl|"},
        {"own folder not inside player",
         "S\\models\\vip\\vip.mdl",
         weapon,
         {},
         "cstrike\\models\\vip.mdl",
         "",
         "vipt.mdl|"},
        {"player folder at the top of a relative path",
         "player\\vip\\vip.mdl",
         weapon,
         {},
         "cstrike\\models\\player\\vip\\vip.mdl",
         "",
         "vipt.mdl|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put(c.source, BuildModel(c.labels, 1, 0));
        PutAll(c.present);
        const RowNeeds needs = Needs(SelectionKind::Model, c.source);
        EXPECT_EQ(needs.mainRelative, c.main);
        EXPECT_EQ(needs.createFolders, c.main.find("\\player\\") != std::string::npos);
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.missing);
    }
}

TEST_F(Companions, MapWadsComeFromBesideTheMapUnlessTheGameHasThem) {
    const std::string map = BuildMap(
        EntityText({{{"classname", "worldspawn"}, {"wad", "\\half-life\\cstrike\\x.wad"}}}));
    struct Case {
        const char* name;
        std::string source;
        std::vector<std::string> present;
        std::string companions;
        std::string missing;
        std::string root = "G\\";
    };
    const Case cases[] = {
        {"beside the map",
         "P\\maps\\de_x.bsp",
         {"P\\maps\\x.wad"},
         "P\\maps\\x.wad > cstrike\\x.wad|",
         ""},
        {"one folder above", "P\\maps\\de_x.bsp", {"P\\x.wad"}, "P\\x.wad > cstrike\\x.wad|", ""},
        {"above a folder of another name",
         "P\\sub\\de_x.bsp",
         {"P\\x.wad"},
         "P\\x.wad > cstrike\\x.wad|",
         ""},
        {"two folders above is too far", "Q\\P\\maps\\de_x.bsp", {"Q\\x.wad"}, "", "x.wad|"},
        {"the game's own, also beside",
         "P\\maps\\de_x.bsp",
         {"G\\cstrike\\x.wad", "P\\maps\\x.wad"},
         "",
         ""},
        {"downloaded by the game", "P\\maps\\de_x.bsp", {"G\\cstrike_downloads\\x.wad"}, "", ""},
        {"Half-Life's", "P\\maps\\de_x.bsp", {"G\\valve\\x.wad"}, "", ""},
        {"the game in the current folder", "P\\maps\\de_x.bsp", {"cstrike\\x.wad"}, "", "", ""},
        {"game folder without its backslash",
         "P\\maps\\de_x.bsp",
         {"G\\valve\\x.wad"},
         "",
         "",
         "G"},
        {"map in the current folder", "de_x.bsp", {"x.wad"}, "x.wad > cstrike\\x.wad|", ""},
        {"map at a drive's top", "C:\\de_x.bsp", {"C:\\x.wad"}, "C:\\x.wad > cstrike\\x.wad|", ""},
        {"map in a maps folder at a drive's top",
         "C:\\maps\\de_x.bsp",
         {"C:\\x.wad"},
         "C:\\x.wad > cstrike\\x.wad|",
         ""},
        {"nowhere", "P\\maps\\de_x.bsp", {"P\\wads\\x.wad"}, "", "x.wad|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put(c.source, map);
        PutAll(c.present);
        const RowNeeds needs = Needs(SelectionKind::Map, c.source, c.root);
        EXPECT_EQ(needs.mainRelative, "cstrike\\maps\\de_x.bsp");
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.missing);
        for (const MissingFile& m : needs.missing)
            EXPECT_EQ(m.effect, kWadMissing);
        EXPECT_EQ(Joined(needs.warnings), "");
    }
}

TEST_F(Companions, SkyImagesComeFromTheMapsTree) {
    const std::string map =
        BuildMap(EntityText({{{"classname", "worldspawn"}, {"skyname", "xsky"}}}));
    struct Case {
        const char* name;
        std::string source;
        std::vector<std::string> present;
        std::string companions;
        std::string missing;
    };
    const Case cases[] = {
        {"targa images", "P\\maps\\de_x.bsp", SidePaths("P\\gfx\\env\\xsky%.tga"),
         Sides("P\\gfx\\env\\xsky%.tga > cstrike\\gfx\\env\\xsky%.tga|"), ""},
        {"bitmaps", "P\\maps\\de_x.bsp", SidePaths("P\\gfx\\env\\xsky%.bmp"),
         Sides("P\\gfx\\env\\xsky%.bmp > cstrike\\gfx\\env\\xsky%.bmp|"), ""},
        {"targa before bitmap", "P\\maps\\de_x.bsp",
         SidePaths("P\\gfx\\env\\xsky%.bmp|P\\gfx\\env\\xsky%.tga"),
         Sides("P\\gfx\\env\\xsky%.tga > cstrike\\gfx\\env\\xsky%.tga|"), ""},
        {"map outside a maps folder", "P\\de_x.bsp", SidePaths("P\\gfx\\env\\xsky%.tga"),
         Sides("P\\gfx\\env\\xsky%.tga > cstrike\\gfx\\env\\xsky%.tga|"), ""},
        {"in the game", "P\\maps\\de_x.bsp", SidePaths("G\\cstrike\\gfx\\env\\xsky%.tga"), "", ""},
        {"Half-Life's bitmaps", "P\\maps\\de_x.bsp", SidePaths("G\\valve\\gfx\\env\\xsky%.bmp"), "",
         ""},
        {"beside the map is not the tree", "P\\maps\\de_x.bsp",
         SidePaths("P\\maps\\gfx\\env\\xsky%.tga"), "", Sides("gfx\\env\\xsky%.tga|")},
        {"nowhere", "P\\maps\\de_x.bsp", {}, "", Sides("gfx\\env\\xsky%.tga|")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put(c.source, map);
        PutAll(c.present);
        const RowNeeds needs = Needs(SelectionKind::Map, c.source);
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.missing);
        for (const MissingFile& m : needs.missing)
            EXPECT_EQ(m.effect, "地图的天空会显示不正常");
    }
}

TEST_F(Companions, EntityFilesTheGameHasStayTheGames) {
    struct Case {
        const char* name;
        Keys entity;
        std::vector<std::string> present;
        std::string companions;
        std::string missing;
        std::string effect;
    };
    const Keys cycler = {{"classname", "cycler"}, {"model", "models/x.mdl"}};
    const Keys sound = {{"classname", "ambient_generic"}, {"message", "ambience/x.wav"}};
    const Case cases[] = {
        {"model in the tree",
         cycler,
         {"P\\models\\x.mdl"},
         "P\\models\\x.mdl > cstrike\\models\\x.mdl|",
         "",
         ""},
        {"model in the game and the tree",
         cycler,
         {"G\\cstrike\\models\\x.mdl", "P\\models\\x.mdl"},
         "",
         "",
         ""},
        {"model of Half-Life", cycler, {"G\\valve\\models\\x.mdl"}, "", "", ""},
        {"model nowhere",
         cycler,
         {"P\\maps\\models\\x.mdl"},
         "",
         "models\\x.mdl|",
         "游戏加载该地图时会出错退出"},
        {"sound in the tree",
         sound,
         {"P\\sound\\ambience\\x.wav"},
         "P\\sound\\ambience\\x.wav > cstrike\\sound\\ambience\\x.wav|",
         "",
         ""},
        {"sound nowhere", sound, {}, "", "sound\\ambience\\x.wav|", "地图中的这个声音不会播放"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put("P\\maps\\de_x.bsp",
               BuildMap(EntityText({{{"classname", "worldspawn"}}, c.entity})));
        PutAll(c.present);
        const RowNeeds needs = Needs(SelectionKind::Map, "P\\maps\\de_x.bsp");
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.missing);
        for (const MissingFile& m : needs.missing)
            EXPECT_EQ(m.effect, c.effect);
    }
}

TEST_F(Companions, MapTextsAndTheFilesItsResourceListNames) {
    fs.Put("P\\maps\\de_x.bsp",
           BuildMap(EntityText({{{"classname", "worldspawn"}, {"wad", "de_x.wad"}},
                                {{"classname", "env_sprite"}, {"model", "sprites/glow.spr"}}})));
    fs.Put("P\\maps\\de_x.res",
           "// de_x resources\r\n"
           "sound/ambience/x.wav\r\n"
           "\"models/with space.mdl\"\r\n"
           "de_x.wad // the map's own\r\n"
           "sprites\\stock.spr\r\n"
           "SPRITES/GLOW.SPR\r\n"
           "maps/de_x.txt\r\n"
           "// gfx/commented.tga\r\n"
           "gfx/lost.tga\r\n");
    PutAll({"P\\maps\\de_x.wad", "P\\maps\\de_x.txt", "P\\overviews\\de_x.bmp",
            "P\\overviews\\de_x.txt", "P\\sound\\ambience\\x.wav", "P\\models\\with space.mdl",
            "P\\SPRITES\\GLOW.SPR", "P\\sprites\\stock.spr", "G\\cstrike\\sprites\\stock.spr",
            "P\\gfx\\commented.tga"});
    const RowNeeds needs = Needs(SelectionKind::Map, "P\\maps\\de_x.bsp");
    EXPECT_EQ(CompanionsOf(needs),
              "P\\maps\\de_x.wad > cstrike\\de_x.wad|"
              "P\\maps\\de_x.res > cstrike\\maps\\de_x.res|"
              "P\\maps\\de_x.txt > cstrike\\maps\\de_x.txt|"
              "P\\overviews\\de_x.bmp > cstrike\\overviews\\de_x.bmp|"
              "P\\overviews\\de_x.txt > cstrike\\overviews\\de_x.txt|"
              "P\\sound\\ambience\\x.wav > cstrike\\sound\\ambience\\x.wav|"
              "P\\models\\with space.mdl > cstrike\\models\\with space.mdl|"
              "P\\sprites\\stock.spr > cstrike\\sprites\\stock.spr|"
              "P\\SPRITES\\GLOW.SPR > cstrike\\SPRITES\\GLOW.SPR|");
    EXPECT_EQ(MissingOf(needs), "gfx\\lost.tga|");
    EXPECT_EQ(Joined(needs.warnings), "");
}

TEST_F(Companions, ResourceListOfAMapOutsideAMapsFolder) {
    fs.Put("P\\de_x.bsp", BuildMap(EntityText({{{"classname", "worldspawn"}}})));
    fs.Put("P\\de_x.res", "maps/de_x.txt\nsound/x.wav\n");
    PutAll({"P\\de_x.txt", "G\\cstrike\\sound\\x.wav", "P\\sound\\x.wav"});
    const RowNeeds needs = Needs(SelectionKind::Map, "P\\de_x.bsp");
    EXPECT_EQ(CompanionsOf(needs),
              "P\\de_x.res > cstrike\\maps\\de_x.res|P\\de_x.txt > cstrike\\maps\\de_x.txt|"
              "P\\sound\\x.wav > cstrike\\sound\\x.wav|");
    EXPECT_EQ(MissingOf(needs), "");
}

TEST_F(Companions, BrokenMapsWarn) {
    const std::string good = BuildMap(EntityText({{{"classname", "worldspawn"}}}));
    std::string lumpPastTheEnd = good;
    testing::PutInt(lumpPastTheEnd, 8, static_cast<std::int64_t>(good.size()));
    const std::string damaged = "地图文件已损坏，无法读出它需要的文件|";
    const std::string notMap = "不是版本 30 的地图（CS 1.6 的地图格式）|";
    const std::string res = "P\\maps\\de_x.res > cstrike\\maps\\de_x.res|";
    struct Case {
        const char* name;
        std::string bytes;
        bool unreadable;
        std::string warnings;
        std::string companions;
    };
    const Case cases[] = {
        {"text named .bsp", "this is not a map, only some text", false, notMap, ""},
        {"Quake map", BuildMapHeader(29, 124, 10) + std::string(20, ' '), false, notMap, ""},
        {"empty file", "", false, notMap, ""},
        {"only a version", std::string("\x1E\0\0\0", 4), false, damaged, res},
        {"entity lump past the end", lumpPastTheEnd, false, damaged, res},
        {"entity text that is not entities", BuildMap("garbage"), false, damaged, res},
        {"cannot be read", good, true, "无法读取地图文件|", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        fs.Put("P\\maps\\de_x.bsp", c.bytes);
        fs.Put("P\\maps\\de_x.res", "sound/lost.wav\n");
        if (c.unreadable)
            fs.unreadable.insert("P\\maps\\de_x.bsp");
        const RowNeeds needs = Needs(SelectionKind::Map, "P\\maps\\de_x.bsp");
        EXPECT_EQ(needs.mainRelative, "cstrike\\maps\\de_x.bsp");
        EXPECT_EQ(Joined(needs.warnings), c.warnings);
        EXPECT_EQ(CompanionsOf(needs), c.companions);
        EXPECT_EQ(MissingOf(needs), c.companions.empty() ? "" : "sound\\lost.wav|");
    }
}

TEST_F(Companions, AMapIsNeverReadWhole) {
    const std::string text =
        EntityText({{{"classname", "worldspawn"}, {"wad", "x.wad"}, {"skyname", "xsky"}},
                    {{"classname", "cycler"}, {"model", "models/x.mdl"}}});
    const std::string map = BuildMap(text, 1024 * 1024);  // the other lumps
    fs.Put("P\\maps\\de_x.bsp", map);
    PutAll({"P\\x.wad", "P\\models\\x.mdl"});
    const RowNeeds needs = Needs(SelectionKind::Map, "P\\maps\\de_x.bsp");
    ASSERT_EQ(needs.companions.size(), 2u);  // the entity text was read

    std::uint64_t total = 0;
    for (const RecordingFileSystem::Read& read : fs.reads) {
        if (read.path != "P\\maps\\de_x.bsp")
            continue;
        SCOPED_TRACE("read at " + std::to_string(read.offset));
        EXPECT_LE(read.length, std::max(kBspHeaderSize, text.size() + 1));
        total += read.length;
    }
    EXPECT_LE(total, kBspHeaderSize + text.size() + 1);
}

TEST_F(Companions, PluginModulesAndTheAmxModXSetUp) {
    const std::string plugin = BuildPlugin(BuildImage({}, {"?f_hamsandwich", "?f_fakemeta"}));
    struct Case {
        const char* name;
        std::function<void(RecordingFileSystem&)> change;
        std::string missing;
        std::string warnings;
        std::string root = "G\\";
    };
    const auto putLiblist = [](std::string text) {
        return [text](RecordingFileSystem& fs) { fs.Put(kLiblist, text); };
    };
    const auto putMetamodList = [](std::string text) {
        return [text](RecordingFileSystem& fs) { fs.Put(kMetamodList, text); };
    };
    const Case cases[] = {
        {"set up, every module there", [](RecordingFileSystem&) {}, "", ""},
        {"a module missing",
         [](RecordingFileSystem& fs) { fs.files.erase(kModules + "fakemeta_amxx.dll"); },
         "fakemeta_amxx.dll|", ""},
        {"liblist.gam loads the game's own DLL", putLiblist("gamedll \"dlls\\mp.dll\"\r\n"), "",
         kNotLoaded + kNoMetamod + "|"},
        {"Metamod only on Linux",
         putLiblist("gamedll \"dlls\\mp.dll\"\ngamedll_linux \"addons/metamod/dlls/metamod.so\"\n"),
         "", kNotLoaded + kNoMetamod + "|"},
        {"Metamod commented out",
         putLiblist(
             "// gamedll \"addons\\metamod\\dlls\\metamod.dll\"\ngamedll \"dlls\\mp.dll\"\n"),
         "", kNotLoaded + kNoMetamod + "|"},
        {"a folder only named like Metamod's",
         putLiblist("gamedll \"addons\\metamod_off\\mp.dll\"\n"), "",
         kNotLoaded + kNoMetamod + "|"},
        {"the last gamedll counts",
         putLiblist("gamedll \"dlls\\mp.dll\"\ngamedll \"addons\\metamod\\dlls\\metamod.dll\"\n"),
         "", ""},
        {"liblist.gam in any case and slash, unquoted",
         putLiblist("\xEF\xBB\xBF  GameDLL\tADDONS/MetaMod/dlls/metamod.dll  \r\n"), "", ""},
        {"no liblist.gam", [](RecordingFileSystem& fs) { fs.files.erase(kLiblist); }, "",
         kNotLoaded + kNoMetamod + "|"},
        {"AMX Mod X commented out with ;",
         putMetamodList(";win32 addons/amxmodx/dlls/amxmodx_mm.dll\r\n"), "",
         kNotLoaded + kNoAmxModX + "|"},
        {"AMX Mod X commented out with //",
         putMetamodList("  // win32 addons/amxmodx/dlls/amxmodx_mm.dll\r\n"), "",
         kNotLoaded + kNoAmxModX + "|"},
        {"only a Linux line", putMetamodList("linux addons/amxmodx/dlls/amxmodx_mm_i386.so\r\n"),
         "", kNotLoaded + kNoAmxModX + "|"},
        {"a path without its platform", putMetamodList("addons/amxmodx/dlls/amxmodx_mm.dll\r\n"),
         "", kNotLoaded + kNoAmxModX + "|"},
        {"another DLL of that name's beginning",
         putMetamodList("win32 addons/amxmodx/dlls/amxmodx_mm.dll.old\r\n"), "",
         kNotLoaded + kNoAmxModX + "|"},
        {"backslashes, any case, a description",
         putMetamodList("; list\nWin32 Addons\\AMXModX\\DLLs\\AMXMODX_MM.dll AMX Mod X\n"), "", ""},
        {"old Metamod's platform word",
         putMetamodList("mswin addons/amxmodx/dlls/amxmodx_mm.dll\n"), "", ""},
        {"no Metamod plugins.ini", [](RecordingFileSystem& fs) { fs.files.erase(kMetamodList); },
         "", kNotLoaded + kNoAmxModX + "|"},
        {"neither, named in one warning",
         [](RecordingFileSystem& fs) {
             fs.files.erase(kLiblist);
             fs.files.erase(kMetamodList);
         },
         "", kNotLoaded + kNoMetamod + "，" + kNoAmxModX + "|"},
        {"liblist.gam cannot be read",
         [](RecordingFileSystem& fs) { fs.unreadable.insert(kLiblist); }, "",
         "无法读取 cstrike\\liblist.gam，不能确定插件能否运行|"},
        {"the game in the current folder",
         [](RecordingFileSystem& fs) {
             SetUpGame(fs, "");
             fs.Put("cstrike\\addons\\amxmodx\\modules\\fakemeta_amxx.dll", "dll");
         },
         "hamsandwich_amxx.dll|", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        SetUpGame(fs);
        fs.Put(kModules + "hamsandwich_amxx.dll", "dll");
        fs.Put(kModules + "fakemeta_amxx.dll", "dll");
        fs.Put("S\\p.amxx", plugin);
        c.change(fs);
        const RowNeeds needs = Needs(SelectionKind::Plugin, "S\\p.amxx", c.root);
        EXPECT_EQ(needs.mainRelative, "cstrike\\addons\\amxmodx\\plugins\\p.amxx");
        EXPECT_EQ(MissingOf(needs), c.missing);
        for (const MissingFile& m : needs.missing)
            EXPECT_EQ(m.effect, kModuleMissing);
        EXPECT_EQ(Joined(needs.warnings), c.warnings);
        EXPECT_EQ(CompanionsOf(needs), "");
    }
}

TEST_F(Companions, FilesThatAreNotWhatTheirRowTakesWarn) {
    std::string brokenImage = BuildImage({}, {"?f_fun"});
    brokenImage.resize(brokenImage.size() - testing::amx_layout::kCodeSize - 1);
    struct Case {
        const char* name;
        SelectionKind row;
        std::string source;
        std::optional<std::string> bytes;  // nothing: the file cannot be read
        std::string main;
        std::string warnings;
    };
    const Case cases[] = {
        {"text named .mdl", SelectionKind::Model, "S\\v.mdl", "not a model at all",
         "cstrike\\models\\v.mdl", "不是有效的模型文件（IDST 10）|"},
        {"sequence group file picked as a model", SelectionKind::Model, "S\\v01.mdl",
         "IDSQ" + std::string(300, '\0'), "cstrike\\models\\v01.mdl",
         "不是有效的模型文件（IDST 10）|"},
        {"unreadable model", SelectionKind::Model, "S\\v.mdl", std::nullopt,
         "cstrike\\models\\v.mdl", "无法读取模型文件|"},
        {"text named .amxx", SelectionKind::Plugin, "S\\p.amxx", "not a plugin",
         "cstrike\\addons\\amxmodx\\plugins\\p.amxx", "不是有效的 AMX Mod X 插件|"},
        {"damaged plugin", SelectionKind::Plugin, "S\\p.amxx", BuildPlugin(brokenImage),
         "cstrike\\addons\\amxmodx\\plugins\\p.amxx", "AMX Mod X 插件文件已损坏，无法加载|"},
        {"unreadable plugin", SelectionKind::Plugin, "S\\p.amxx", std::nullopt,
         "cstrike\\addons\\amxmodx\\plugins\\p.amxx", "无法读取插件文件|"},
        {"sprite", SelectionKind::Effect, "S\\fx\\glow.spr", "IDSP", "cstrike\\sprites\\glow.spr",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs = RecordingFileSystem();
        SetUpGame(fs);
        fs.Put(c.source, c.bytes.value_or(""));
        if (!c.bytes)
            fs.unreadable.insert(c.source);
        PutAll({"S\\vt.mdl", "S\\v01t.mdl", "S\\fx\\glowt.mdl"});  // never taken along
        const RowNeeds needs = Needs(c.row, c.source);
        EXPECT_EQ(needs.mainRelative, c.main);
        EXPECT_EQ(Joined(needs.warnings), c.warnings);
        EXPECT_EQ(CompanionsOf(needs), "");
        EXPECT_EQ(MissingOf(needs), "");
        EXPECT_FALSE(needs.createFolders);
    }
}

TEST(CompanionsText, NamesWhatComesAlongAndWhatIsMissing) {
    EXPECT_EQ(DescribeNeeds(RowNeeds{"cstrike\\maps\\de_x.bsp", false, {}, {}, {}}), "");

    RowNeeds needs;
    needs.mainRelative = "cstrike\\models\\player\\vip\\vip.mdl";
    needs.createFolders = true;
    for (int i = 1; i <= 12; ++i) {
        needs.companions.push_back({"S\\f" + std::to_string(i), "cstrike\\f" + std::to_string(i)});
    }
    needs.missing = {{"gfx\\env\\xup.tga", "sky"}, {"x.wad", "wad"}, {"gfx\\env\\xdn.tga", "sky"}};
    needs.warnings = {"不是版本 30 的地图"};
    std::string listed;
    for (int i = 1; i <= 10; ++i)
        listed += "  cstrike\\f" + std::to_string(i) + "\r\n";
    EXPECT_EQ(DescribeNeeds(needs),
              "玩家模型，将导入到 cstrike\\models\\player\\vip\\vip.mdl\r\n"
              "将一同导入 12 个文件：\r\n" +
                  listed +
                  "  ……另有 2 个\r\n"
                  "缺少 gfx\\env\\xup.tga、gfx\\env\\xdn.tga：sky\r\n"
                  "缺少 x.wad：wad\r\n"
                  "注意：不是版本 30 的地图\r\n");
}

}  // namespace
}  // namespace varnholt
