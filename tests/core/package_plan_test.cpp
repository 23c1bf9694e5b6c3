#include "core/package_plan.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/package_report.h"
#include "core/plan_executor.h"
#include "tests/core/memory_file_system.h"
#include "tests/core/zip_builder.h"

namespace varnholt {
namespace {

using namespace std::string_literals;
using testing::Build;
using testing::FakeGbk;
using testing::MemoryFileSystem;
using testing::StringSource;
using testing::TestEntry;

using Files = std::map<std::string, std::string>;                  // relative path, bytes
using Package = std::vector<std::pair<std::string, std::string>>;  // in the package's order
using Lines = std::vector<std::string>;

const std::string kRoot = "G\\";
const std::string kPlugins = "cstrike\\addons\\amxmodx\\plugins\\";
const std::string kConfigs = "cstrike\\addons\\amxmodx\\configs\\";
const std::string kPluginList = kConfigs + "plugins.ini";
const std::string kModuleList = kConfigs + "modules.ini";
const std::string kOldList = "admin.amxx\r\n;old.amxx";

// Everything the memory file system holds, to tell that an install left no trace.
struct Snapshot {
    Files files;
    std::set<std::string> readOnly;
    std::set<std::string> folders;
    bool operator==(const Snapshot&) const = default;
};

class PackagePlanTest : public ::testing::Test {
protected:
    PackagePlanTest() { MakeGame({{kPluginList, kOldList}}); }

    void MakeGame(const Files& game) {
        fs = MemoryFileSystem();
        fs.folders.insert("G\\cstrike");
        for (const auto& [path, bytes] : game)
            fs.Put(kRoot + path, bytes);
    }

    // A folder package: its files lie in P\ and are read through the file system.
    std::vector<PackageItem> FolderPackage(const Package& package) {
        std::vector<PackageItem> items;
        for (const auto& [path, bytes] : package) {
            const std::string source = "P\\" + path;
            fs.Put(source, bytes);
            items.push_back({path, bytes.size(), source, nullptr,
                             [this, source] { return fs.ReadPart(source, 0, 1 << 20); }});
        }
        return items;
    }

    // The game's files below G\ as the player sees them, without our backups.
    Files Game() const {
        Files game;
        for (const auto& [path, node] : fs.files) {
            if (path.rfind(kRoot, 0) == 0 && path.find("varnholt-backup") == std::string::npos) {
                game[path.substr(kRoot.size())] = node->bytes;
            }
        }
        return game;
    }

    // The game's files that are new or changed since `before`.
    Files ChangedSince(const Files& before) const {
        Files changed;
        for (const auto& [path, bytes] : Game()) {
            const auto old = before.find(path);
            if (old == before.end() || old->second != bytes)
                changed[path] = bytes;
        }
        return changed;
    }

    Snapshot Whole() const {
        Snapshot whole{{}, {}, fs.folders};
        for (const auto& [path, node] : fs.files) {
            whole.files[path] = node->bytes;
            if (node->readOnly)
                whole.readOnly.insert(path);
        }
        return whole;
    }

    void Install(const std::vector<PackageItem>& items) {
        plan = PlanPackage(kRoot, items, fs);
        result = {};
        if (plan.refusal.empty())
            result = ExecutePlan(plan.plan, fs);
        report = FormatPackageReport("pkg.zip", plan, result);
    }

    MemoryFileSystem fs;
    PackagePlan plan;
    ExecutionResult result;
    std::string report;
};

TEST_F(PackagePlanTest, EachLayoutLandsBelowTheGameFolder) {
    struct Case {
        const char* name;
        Package package;
        Files landed;
        Lines skipped;
        std::string refusal{};  // a part of it; empty when the package goes in
    };
    const Case cases[] = {
        {"cstrike root",
         {{"cstrike\\addons\\amxmodx\\plugins\\x.amxx", "X"},
          {"cstrike\\sound\\misc\\hit.wav", "W"},
          {"readme.txt", "R"}},
         {{kPlugins + "x.amxx", "X"},
          {"cstrike\\sound\\misc\\hit.wav", "W"},
          {kPluginList, kOldList + "\r\nx.amxx"}},
         {"readme.txt：不是游戏文件，未导入"}},
        {"wrapped root",
         {{"MyAddon\\readme.txt", "R"}, {"MyAddon\\cstrike\\models\\player\\neo\\neo.mdl", "M"}},
         {{"cstrike\\models\\player\\neo\\neo.mdl", "M"}},
         {"MyAddon\\readme.txt：不是游戏文件，未导入"}},
        {"bare addons tree",
         {{"addons\\amxmodx\\plugins\\y.amxx", "Y"}, {"addons\\amxmodx\\configs\\y.cfg", "C"}},
         {{kPlugins + "y.amxx", "Y"},
          {kConfigs + "y.cfg", "C"},
          {kPluginList, kOldList + "\r\ny.amxx"}},
         {}},
        {"loose files",
         {{"a.mdl", "A"}, {"b.spr", "B"}, {"shot.jpg", "J"}, {"c.bsp", "C"}, {"z.amxx", "Z"}},
         {{"cstrike\\models\\a.mdl", "A"},
          {"cstrike\\sprites\\b.spr", "B"},
          {"cstrike\\maps\\c.bsp", "C"},
          {kPlugins + "z.amxx", "Z"},
          {kPluginList, kOldList + "\r\nz.amxx"}},
         {"shot.jpg：不是游戏文件，未导入"}},
        {"two roots",
         {{"valve\\maps\\v.bsp", "V"}, {"cstrike\\maps\\m.bsp", "M"}},
         {{"cstrike\\maps\\m.bsp", "M"}},
         {"valve\\maps\\v.bsp：属于其他游戏的文件夹，未导入"}},
        {"only a readme",
         {{"readme.txt", "R"}},
         {},
         {"readme.txt：不是游戏文件，未导入"},
         "包中没有可以导入的游戏文件"},
        {"a name climbing out",
         {{"cstrike\\maps\\m.bsp", "M"}, {"..\\..\\hl.exe", "E"}},
         {},
         {},
         "包中的 ..\\..\\hl.exe 无法导入"},
        {"one file twice in another case",
         {{"cstrike\\maps\\a.bsp", "1"}, {"CSTRIKE\\MAPS\\A.BSP", "2"}},
         {},
         {},
         "包中的 CSTRIKE\\MAPS\\A.BSP 无法导入"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame({{kPluginList, kOldList}});
        const Files before = Game();
        Install(FolderPackage(c.package));
        EXPECT_EQ(ChangedSince(before), c.landed);
        EXPECT_EQ(plan.skipped, c.skipped);
        if (c.refusal.empty()) {
            EXPECT_EQ(plan.refusal, "");
            ASSERT_EQ(result.units.size(), 1u);
            EXPECT_TRUE(result.units[0].wentIn);
        } else {
            EXPECT_NE(plan.refusal.find(c.refusal), std::string::npos) << plan.refusal;
            EXPECT_TRUE(fs.log.empty()) << "nothing is written for a refused package";
            EXPECT_NE(report.find(plan.refusal), std::string::npos) << report;
        }
    }
}

TEST_F(PackagePlanTest, SettingsThePlayerOwnsAreKeptAndNewOnesInstalled) {
    MakeGame(
        {{kPluginList, kOldList}, {kConfigs + "amxx.cfg", "mine"}, {"cstrike\\motd.txt", "my"}});
    const Files before = Game();
    Install(FolderPackage({{"cstrike\\addons\\amxmodx\\configs\\amxx.cfg", "package's cfg"},
                           {"cstrike\\motd.txt", "package's motd"},
                           {"cstrike\\addons\\amxmodx\\configs\\new.cfg", "new"},
                           {"cstrike\\models\\a.mdl", "model"}}));
    EXPECT_EQ(ChangedSince(before),
              (Files{{kConfigs + "new.cfg", "new"}, {"cstrike\\models\\a.mdl", "model"}}));
    const std::vector<PlacementResult>& placed = result.units.at(0).placements;
    EXPECT_EQ(placed[0].outcome, PlaceOutcome::KeptSetting);
    EXPECT_EQ(placed[1].outcome, PlaceOutcome::KeptSetting);
    EXPECT_EQ(plan.bytes, std::string("newmodel").size()) << "a kept setting takes no space";
    EXPECT_NE(
        report.find("保留的设置（游戏中已有，未覆盖）：\r\ncstrike\\addons\\amxmodx\\configs\\\r\n"
                    "    amxx.cfg\r\ncstrike\\\r\n    motd.txt\r\n"),
        std::string::npos)
        << report;
}

TEST_F(PackagePlanTest, ListsAreMergedNotCopied) {
    struct Case {
        const char* name;
        Files game;
        Package package;
        std::set<std::string> unrepresentable;
        Files landed;
        Lines merged;
        Lines skipped;
    };
    const Case cases[] = {
        {"entries the game lacks, each once",
         {{kPluginList, kOldList}, {kModuleList, "fun\r\n;sockets"}},
         {{"addons\\amxmodx\\configs\\plugins.ini",
           "Admin.amxx\r\nold.amxx\r\n; commented.amxx\r\nnew.amxx debug\r\nNEW.amxx\r\n"
           "//slashed.amxx\r\n"},
          {"addons\\amxmodx\\configs\\MODULES.INI", "fun\r\nsockets ; needed\r\ncstrike"}},
         {},
         {{kPluginList, kOldList + "\r\nold.amxx\r\nnew.amxx"},
          {kModuleList, "fun\r\n;sockets\r\nsockets\r\ncstrike"}},
         {"plugins.ini: old.amxx", "plugins.ini: new.amxx", "modules.ini: sockets",
          "modules.ini: cstrike"},
         {}},
        {"the game has no such list: placed as a file",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\configs\\modules.ini", "fun\r\ncstrike"}},
         {},
         {{kModuleList, "fun\r\ncstrike"}},
         {},
         {}},
        {"a name the code page cannot hold",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\configs\\plugins.ini", "插件.amxx\r\nok.amxx"}},
         {"插件.amxx"},
         {{kPluginList, kOldList + "\r\nok.amxx"}},
         {"plugins.ini: ok.amxx"},
         {"plugins.ini: 插件.amxx：名称含有系统编码无法表示的字符，AMX Mod X 无法读取，未合并"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame(c.game);
        fs.unrepresentable = c.unrepresentable;
        const Files before = Game();
        Install(FolderPackage(c.package));
        ASSERT_EQ(plan.refusal, "");
        EXPECT_TRUE(result.units.at(0).wentIn);
        EXPECT_EQ(ChangedSince(before), c.landed);
        EXPECT_EQ(plan.merged, c.merged);
        EXPECT_EQ(plan.skipped, c.skipped);
    }
}

TEST_F(PackagePlanTest, EachPluginIsRegisteredOnceUnlessAListNamesItAlready) {
    struct Case {
        const char* name;
        Files game;
        Package package;
        Lines registered;
        std::string list;  // plugins.ini afterwards
        Lines skipped{};
    };
    const Case cases[] = {
        {"a new plugin",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"}},
         {"a.amxx"},
         kOldList + "\r\na.amxx"},
        {"listed already, in another case",
         {{kPluginList, "A.AMXX debug"}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"}},
         {},
         "A.AMXX debug"},
        {"listed already, in a list ending in Ctrl-Z",
         {{kPluginList, "a.amxx\x1a"}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"}},
         {},
         "a.amxx\x1a"},
        {"listed only in a comment",
         {{kPluginList, "; a.amxx"}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"}},
         {"a.amxx"},
         "; a.amxx\r\na.amxx"},
        {"named by the package's own plugins-zm.ini",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"},
          {"addons\\amxmodx\\plugins\\b.amxx", "B"},
          {"addons\\amxmodx\\configs\\plugins-zm.ini", "a.amxx\r\n;b.amxx"}},
         {"b.amxx"},
         kOldList + "\r\nb.amxx"},
        {"named by the player's plugins-zm.ini, which is kept",
         {{kPluginList, kOldList}, {kConfigs + "plugins-zm.ini", "b.amxx"}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"},
          {"addons\\amxmodx\\plugins\\b.amxx", "B"},
          {"addons\\amxmodx\\configs\\plugins-zm.ini", "a.amxx"}},
         {"a.amxx"},
         kOldList + "\r\na.amxx"},
        {"added by the package's merged plugins.ini",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\a.amxx", "A"},
          {"addons\\amxmodx\\configs\\plugins.ini", "a.amxx"}},
         {},
         kOldList + "\r\na.amxx"},
        {"a name AMX Mod X would not load still registers",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\my plugin.amxx", "A"}},
         {"my plugin.amxx"},
         kOldList + "\r\nmy plugin.amxx"},
        {"a plugin in a folder below plugins is kept aside",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\disabled\\c.amxx", "C"}},
         {},
         kOldList},
        {"a name the code page cannot hold",
         {{kPluginList, kOldList}},
         {{"addons\\amxmodx\\plugins\\插件.amxx", "A"}},
         {},
         kOldList,
         {"插件.amxx：文件名含有系统编码无法表示的字符，AMX Mod X 无法读取，未写入 plugins.ini"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame(c.game);
        fs.unrepresentable = {"插件.amxx"};
        Install(FolderPackage(c.package));
        ASSERT_EQ(plan.refusal, "");
        EXPECT_TRUE(result.units.at(0).wentIn);
        EXPECT_EQ(plan.registered, c.registered);
        EXPECT_EQ(fs.Bytes(kRoot + kPluginList), c.list);
        EXPECT_EQ(plan.skipped, c.skipped);
    }
}

TEST_F(PackagePlanTest, APluginListTheGameLacksIsPlacedAndTheRestReportedUnregistered) {
    MakeGame({});
    Install(FolderPackage({{"addons\\amxmodx\\plugins\\a.amxx", "A"},
                           {"addons\\amxmodx\\plugins\\b.amxx", "B"},
                           {"addons\\amxmodx\\configs\\plugins.ini", "a.amxx"}}));
    EXPECT_TRUE(result.units.at(0).wentIn);
    EXPECT_EQ(fs.Bytes(kRoot + kPluginList), "a.amxx");
    EXPECT_EQ(plan.registered, Lines{"b.amxx"});
    EXPECT_EQ(result.units[0].additions.at(0).outcome, RegisterOutcome::ListMissing);
    EXPECT_NE(
        report.find("未能写入列表的条目：\r\n    plugins.ini: b.amxx，游戏中没有 plugins.ini\r\n"),
        std::string::npos)
        << report;
}

// The third file fails: the plugin's line, the two files before it and every folder made for
// them go back, and the report says which file and why.
TEST_F(PackagePlanTest, APackageWhoseThirdFileFailsLeavesTheGameExactlyAsBefore) {
    const std::string third = kRoot + "cstrike\\models\\c.mdl";
    struct Case {
        const char* name;
        std::function<void(MemoryFileSystem&)> spoil;
        std::string reason;
    };
    const Case cases[] = {
        {"held by another program", [&](MemoryFileSystem& fs) { fs.held.insert(third); },
         "文件正被其他程序占用"},
        {"read-only", [&](MemoryFileSystem& fs) { fs.files.at(third)->readOnly = true; },
         "目标文件是只读的"},
        {"a folder in the way",
         [&](MemoryFileSystem& fs) {
             fs.files.erase(third);
             fs.folders.insert(third);
         },
         "目标位置有一个同名的文件夹"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame({{kPluginList, kOldList},
                  {"cstrike\\models\\a.mdl", "old a"},
                  {"cstrike\\models\\c.mdl", "old c"}});
        const std::vector<PackageItem> items =
            FolderPackage({{"addons\\amxmodx\\plugins\\p.amxx", "P"},
                           {"models\\a.mdl", "new a"},
                           {"models\\c.mdl", "new c"},
                           {"maps\\d.bsp", "D"}});
        c.spoil(fs);
        const Snapshot before = Whole();
        Install(items);
        const UnitResult& unit = result.units.at(0);
        EXPECT_FALSE(unit.wentIn);
        EXPECT_FALSE(unit.takeBackFailed);
        EXPECT_EQ(unit.placements[0].outcome, PlaceOutcome::TakenBack) << "it was placed first";
        for (const std::string& entry : fs.log) {
            EXPECT_EQ(entry.find("d.bsp"), std::string::npos) << "stops at the failure: " << entry;
        }
        EXPECT_EQ(unit.additions.at(0).outcome, RegisterOutcome::TakenBack);
        EXPECT_TRUE(Whole() == before) << "the whole file system is as it was";
        EXPECT_NE(report.find("pkg.zip 未导入：cstrike\\models\\c.mdl 未能导入，" + c.reason),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find("游戏目录与导入前完全相同"), std::string::npos) << report;
    }
}

TEST_F(PackagePlanTest, APackageLargerThanTheFreeSpaceIsRefused) {
    const std::string model(1572864, 'm');  // 1.5 MB
    struct Case {
        const char* name;
        std::optional<std::uint64_t> free;
        std::string refusal;
    };
    const Case cases[] = {
        {"exactly enough", model.size(), ""},
        {"a byte short", model.size() - 1, "磁盘空间不足：需要 1.5 MB，只有 1.4 MB"},
        {"far short", 1048576, "磁盘空间不足：需要 1.5 MB，只有 1.0 MB"},
        {"unknown", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame({{kPluginList, kOldList}, {kConfigs + "amxx.cfg", "mine"}});
        fs.freeSpace = c.free;
        Install(FolderPackage({{"models\\big.mdl", model},
                               {"addons\\amxmodx\\configs\\amxx.cfg", "a kept setting"}}));
        EXPECT_EQ(plan.refusal, c.refusal);
        EXPECT_EQ(fs.log.empty(), !c.refusal.empty());
    }
}

TEST_F(PackagePlanTest, AZipPackagePutsEachEntrysBytesInPlace) {
    const std::string sound(5000, 's');
    const std::string zip = Build({{
        {"cstrike/"},
        {"cstrike/models/\xD6\xD0\xCE\xC4.mdl", "gbk model"},  // 中文.mdl in GBK, unflagged
        {.name = "cstrike/sound/插件.wav", .data = sound, .method = 8, .flags = 0x800},
        {"cstrike/addons/amxmodx/plugins/z.amxx", "plugin", 8},
        {"cstrike/addons/amxmodx/configs/plugins.ini", "z.amxx\r\nextra.amxx", 8},
        {"readme.txt", "read me"},
    }});
    const ZipItems zipped = ItemsOfZip(std::make_shared<StringSource>(zip), FakeGbk);
    ASSERT_EQ(zipped.refusal, "");
    ASSERT_EQ(zipped.items.size(), 5u) << "the folder entry is implied";
    EXPECT_EQ(zipped.items[0].path, "cstrike\\models\\中文.mdl");
    EXPECT_EQ(zipped.items[1].size, sound.size());

    const Files before = Game();
    Install(zipped.items);
    EXPECT_TRUE(result.units.at(0).wentIn);
    EXPECT_EQ(ChangedSince(before), (Files{{"cstrike\\models\\中文.mdl", "gbk model"},
                                           {"cstrike\\sound\\插件.wav", sound},
                                           {kPlugins + "z.amxx", "plugin"},
                                           {kPluginList, kOldList + "\r\nz.amxx\r\nextra.amxx"}}));
    EXPECT_TRUE(plan.registered.empty()) << "the merged list registers z.amxx";
}

TEST_F(PackagePlanTest, ADamagedZipEntryFailsTheWholePackage) {
    struct Case {
        const char* name;
        TestEntry third;
        std::string reason;
    };
    const Case cases[] = {
        {"CRC mismatch",
         {.name = "cstrike/models/c.mdl", .data = "ccc", .crc = 1},
         "压缩包中的此文件已损坏（CRC 校验不符）"},
        {"shorter than declared",
         {.name = "cstrike/models/c.mdl", .data = "ccc", .method = 8, .size = 4},
         "压缩包中此文件的大小与记录不符，数据已损坏"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeGame({{kPluginList, kOldList}, {"cstrike\\models\\a.mdl", "old a"}});
        const std::string zip = Build({{{"cstrike/addons/amxmodx/plugins/p.amxx", "P", 8},
                                        {"cstrike/models/a.mdl", "new a"},
                                        c.third,
                                        {"cstrike/maps/d.bsp", "D"}}});
        const ZipItems zipped = ItemsOfZip(std::make_shared<StringSource>(zip), FakeGbk);
        ASSERT_EQ(zipped.refusal, "");
        const Snapshot before = Whole();
        Install(zipped.items);
        EXPECT_FALSE(result.units.at(0).wentIn);
        EXPECT_TRUE(Whole() == before) << "nothing is left behind";
        EXPECT_NE(report.find("cstrike\\models\\c.mdl 未能导入，" + c.reason), std::string::npos)
            << report;
    }
}

TEST(ZipPackage, AnArchiveOrEntryThatCannotBeInstalledRefusesThePackage) {
    const std::uint16_t unixHost = 3 << 8 | 30;
    const TestEntry fine = {"cstrike/models/a.mdl", "A"};
    const std::string whole = Build({{fine}});
    struct Case {
        const char* name;
        std::string bytes;
        std::string refusal;
    };
    const Case cases[] = {
        {"not a zip", "just some text, long enough to hold an end record", "不是 zip 压缩包"},
        {"RAR", "Rar!\x1A\x07\x00"s + std::string(40, 0), "这是 RAR 或 7z 压缩包"},
        {"truncated", whole.substr(0, whole.size() - 5), "压缩包不完整"},
        {"split", Build({.entries = {fine}, .disk = 1}), "分卷压缩包"},
        {"encrypted entry",
         Build({{fine, {.name = "cstrike/models/secret.mdl", .data = "S", .flags = 1}}}),
         "压缩包中的 cstrike\\models\\secret.mdl 设有密码"},
        {"symbolic link",
         Build({{fine,
                 {.name = "cstrike/models/link.mdl",
                  .data = "/etc/passwd",
                  .madeBy = unixHost,
                  .external = 0120777u << 16}}}),
         "压缩包中的 cstrike\\models\\link.mdl 是符号链接"},
        {"unsupported method",
         Build({{fine, {.name = "cstrike/maps/m.bsp", .data = "M", .method = 14}}}),
         "压缩包中的 cstrike\\maps\\m.bsp 使用了不支持的压缩方式"},
        {"a name that does not decode", Build({{fine, {"cstrike/\xFF\xFE.mdl", "X"}}}),
         "压缩包中第 2 个文件的名称无法识别（cstrike/??.mdl）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ZipItems zipped = ItemsOfZip(std::make_shared<StringSource>(c.bytes), FakeGbk);
        EXPECT_NE(zipped.refusal.find(c.refusal), std::string::npos) << zipped.refusal;
        EXPECT_TRUE(zipped.items.empty());
    }
}

TEST_F(PackagePlanTest, TheReportGroupsFilesByFolder) {
    MakeGame({{kPluginList, kOldList},
              {kModuleList, "fun"},
              {"cstrike\\models\\v_ak47.mdl", "old"},
              {kConfigs + "amxx.cfg", "mine"}});
    Install(FolderPackage({{"cstrike\\models\\player\\neo\\neo.mdl", "1"},
                           {"cstrike\\models\\v_ak47.mdl", "2"},
                           {"cstrike\\models\\player\\neo\\neoT.mdl", "3"},
                           {"cstrike\\addons\\amxmodx\\plugins\\neo.amxx", "4"},
                           {"cstrike\\addons\\amxmodx\\configs\\amxx.cfg", "5"},
                           {"cstrike\\addons\\amxmodx\\configs\\modules.ini", "cstrike"},
                           {"readme.txt", "6"}}));
    EXPECT_EQ(report,
              "pkg.zip 导入成功：4 个文件\r\n"
              "新增的文件：\r\n"
              "cstrike\\models\\player\\neo\\\r\n"
              "    neo.mdl\r\n"
              "    neoT.mdl\r\n"
              "cstrike\\addons\\amxmodx\\plugins\\\r\n"
              "    neo.amxx\r\n"
              "替换的文件（原文件已备份在 varnholt-backup\\2026-12-11 14-03-27\\）：\r\n"
              "cstrike\\models\\\r\n"
              "    v_ak47.mdl\r\n"
              "保留的设置（游戏中已有，未覆盖）：\r\n"
              "cstrike\\addons\\amxmodx\\configs\\\r\n"
              "    amxx.cfg\r\n"
              "包中未导入的文件：\r\n"
              "    readme.txt：不是游戏文件，未导入\r\n"
              "已写入 plugins.ini 的插件：\r\n"
              "    neo.amxx\r\n"
              "已合并的列表条目：\r\n"
              "    modules.ini: cstrike\r\n");
}

}  // namespace
}  // namespace varnholt
