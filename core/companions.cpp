#include "core/companions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/decimal.h"
#include "core/amxx_plugin.h"
#include "core/bsp_map.h"
#include "core/resource_list.h"
#include "core/studio_model.h"

namespace varnholt {
namespace {

constexpr std::size_t kLargestModel = 64u * 1024 * 1024;
constexpr std::size_t kLargestPlugin = 16u * 1024 * 1024;
// liblist.gam, Metamod's plugins.ini and a map's .res hold a few lines each.
constexpr std::size_t kLargestListFile = 1024 * 1024;
constexpr std::int32_t kBspVersion = 30;

constexpr char kModelCrash[] = "游戏加载该模型时会出错退出";
constexpr char kWadMissing[] = "地图需要的 WAD 文件缺失，游戏会无法加载该地图";
constexpr char kMapCrash[] = "游戏加载该地图时会出错退出";
constexpr char kSkyMissing[] = "地图的天空会显示不正常";
constexpr char kSoundMissing[] = "地图中的这个声音不会播放";
constexpr char kOtherMissing[] = "地图缺少这个文件，可能显示不正常";
constexpr char kModuleMissing[] = "插件需要的模块缺失，插件将无法加载";

// The folders the game reads content from, in its search order: the mod, what it downloaded
// from servers, then Half-Life's own.
constexpr std::array<std::string_view, 3> kGameFolders = {"cstrike\\", "cstrike_downloads\\",
                                                          "valve\\"};

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           SamePathIgnoringCase(text.substr(text.size() - end.size()), end);
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A path cut after its last slash of either kind; the folder keeps the slash and is empty
// for a bare name.
struct PathParts {
    std::string folder;
    std::string name;
};

PathParts SplitPath(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return {"", std::string(path)};
    return {std::string(path.substr(0, cut + 1)), std::string(path.substr(cut + 1))};
}

// A folder (ending in a slash) as the folder holding it and its own name; nothing for the
// current folder and for a drive's top.
std::optional<PathParts> SplitFolder(std::string_view folder) {
    if (folder.empty())
        return std::nullopt;
    PathParts parts = SplitPath(folder.substr(0, folder.size() - 1));
    if (parts.name.empty() || parts.name.back() == ':' || parts.name == "." || parts.name == "..") {
        return std::nullopt;
    }
    return parts;
}

std::string AsFolder(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

std::string StemOf(const std::string& name, std::string_view extension) {
    if (name.size() > extension.size() && EndsWithIgnoringCase(name, extension)) {
        return name.substr(0, name.size() - extension.size());
    }
    return name;
}

std::int32_t Int32At(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

// Gathers one row's needs: each destination and each missing name once, the row's own
// destination never as a companion.
class NeedsCollector {
public:
    NeedsCollector(RowNeeds& needs, std::string gameRoot, FileSystem& files)
        : needs_(needs), gameRoot_(std::move(gameRoot)), files_(files) {}

    FileSystem& files() { return files_; }
    const std::string& gameRoot() const { return gameRoot_; }
    RowNeeds& needs() { return needs_; }

    void SetMain(std::string relative) {
        needs_.mainRelative = std::move(relative);
        taken_.insert(LowerAscii(needs_.mainRelative));
    }
    bool Coming(const std::string& relative) const {
        return taken_.count(LowerAscii(relative)) > 0;
    }

    void AddCompanion(const std::string& source, const std::string& relative) {
        if (!taken_.insert(LowerAscii(relative)).second)
            return;
        // A file picked inside the game is already where it would go.
        if (files_.SameFile(source, gameRoot_ + relative))
            return;
        needs_.companions.push_back({source, relative});
    }
    void AddMissing(const std::string& name, const std::string& effect) {
        if (missing_.insert(LowerAscii(name)).second)
            needs_.missing.push_back({name, effect});
    }
    void Warn(std::string text) { needs_.warnings.push_back(std::move(text)); }

    // True when the game already has `path` (below a mod folder) in one of its folders.
    bool GameHas(const std::string& path) {
        for (std::string_view folder : kGameFolders) {
            if (files_.Exists(gameRoot_ + std::string(folder) + path))
                return true;
        }
        return false;
    }

private:
    RowNeeds& needs_;
    std::string gameRoot_;
    FileSystem& files_;
    std::unordered_set<std::string> taken_;
    std::unordered_set<std::string> missing_;
};

// --- Models -----------------------------------------------------------------------------

// The game finds a player model as models\player\NAME\NAME.mdl, so a file already kept that
// way is one.
bool SitsInOwnPlayerFolder(const std::string& folder, const std::string& stem) {
    const std::optional<PathParts> own = SplitFolder(folder);
    if (!own || !SamePathIgnoringCase(own->name, stem))
        return false;
    const std::optional<PathParts> player = SplitFolder(own->folder);
    return player && SamePathIgnoringCase(player->name, "player");
}

// The names a companion may be spelt with beside the model: studiomdl writes the texture
// file's "T" in either case, and a model named "X.MDL" often comes with "XT.MDL".
std::vector<std::string> SpellingsOf(const std::string& companion, const std::string& stem,
                                     const std::string& extension) {
    const std::string base = companion.substr(0, companion.size() - 4);  // without ".mdl"
    std::vector<std::string> bases = {base};
    if (base == stem + "t")
        bases.push_back(stem + "T");
    std::vector<std::string> extensions = {".mdl"};
    if (!extension.empty() && extension != ".mdl")
        extensions.push_back(extension);
    std::vector<std::string> spellings;
    for (const std::string& b : bases) {
        for (const std::string& e : extensions)
            spellings.push_back(b + e);
    }
    return spellings;
}

void FindModelNeeds(const std::string& sourcePath, const std::string& folder, NeedsCollector& c) {
    const PathParts source = SplitPath(sourcePath);
    c.SetMain(folder + source.name);
    const std::optional<std::string> bytes = c.files().ReadPart(sourcePath, 0, kLargestModel + 1);
    if (!bytes)
        return c.Warn("无法读取模型文件");
    if (bytes->size() > kLargestModel)
        return c.Warn("模型文件大于 64 MB，未检查它需要的文件");
    const std::optional<StudioModelInfo> model = ReadStudioModel(*bytes);
    if (!model)
        return c.Warn("不是有效的模型文件（IDST 10）");

    const std::string stem = StemOf(source.name, ".mdl");
    std::string destination = folder;
    if (SitsInOwnPlayerFolder(source.folder, stem) || HasPlayerSequences(*model)) {
        destination = "cstrike\\models\\player\\" + stem + "\\";
        c.SetMain(destination + source.name);
        c.needs().createFolders = true;
    }
    const std::string extension = source.name.substr(stem.size());
    for (const std::string& name : StudioCompanionNames(source.name, *model)) {
        const std::vector<std::string> spellings = SpellingsOf(name, stem, extension);
        const auto beside = std::find_if(spellings.begin(), spellings.end(), [&](const auto& s) {
            return c.files().Exists(source.folder + s);
        });
        if (beside != spellings.end()) {
            c.AddCompanion(source.folder + *beside, destination + *beside);
            continue;
        }
        const bool inGame = std::any_of(spellings.begin(), spellings.end(), [&](const auto& s) {
            return c.files().Exists(c.gameRoot() + destination + s);
        });
        if (!inGame)
            c.AddMissing(name, kModelCrash);
    }
}

// --- Maps -------------------------------------------------------------------------------

const char* EffectOfMissing(const std::string& path) {
    if (EndsWithIgnoringCase(path, ".mdl") || EndsWithIgnoringCase(path, ".spr"))
        return kMapCrash;
    if (EndsWithIgnoringCase(path, ".wav") || EndsWithIgnoringCase(path, ".mp3")) {
        return kSoundMissing;
    }
    if (EndsWithIgnoringCase(path, ".wad"))
        return kWadMissing;
    if (path.size() > 8 &&
        SamePathIgnoringCase(std::string_view(path).substr(0, 8), "gfx\\env\\")) {
        return kSkyMissing;
    }
    return kOtherMissing;
}

// Where a map's files are looked for: the folder it sits in, and the tree it came in (the
// folder above "maps\", or its own folder when it is not in one).
struct MapPlace {
    std::string folder;
    std::optional<std::string> above;
    std::string tree;
};

MapPlace PlaceOf(const std::string& folder) {
    MapPlace place{folder, std::nullopt, folder};
    if (const std::optional<PathParts> own = SplitFolder(folder)) {
        place.above = own->folder;
        if (SamePathIgnoringCase(own->name, "maps"))
            place.tree = own->folder;
    }
    return place;
}

// The game's own wads are never replaced; a map's own comes beside it or one folder up.
void AddWad(const std::string& wad, const MapPlace& place, NeedsCollector& c) {
    if (c.Coming("cstrike\\" + wad) || c.GameHas(wad))
        return;
    for (const std::optional<std::string>& folder : {std::optional(place.folder), place.above}) {
        if (folder && c.files().Exists(*folder + wad)) {
            return c.AddCompanion(*folder + wad, "cstrike\\" + wad);
        }
    }
    c.AddMissing(wad, kWadMissing);
}

// A file the map names that may come with it: the one in its tree goes in, one the game has
// is left alone.
void AddFromTree(const std::string& path, const MapPlace& place, NeedsCollector& c) {
    if (c.Coming("cstrike\\" + path))
        return;
    if (c.files().Exists(place.tree + path))
        return c.AddCompanion(place.tree + path, "cstrike\\" + path);
    if (!c.GameHas(path))
        c.AddMissing(path, EffectOfMissing(path));
}

void AddSky(const std::string& skyName, const MapPlace& place, NeedsCollector& c) {
    const std::vector<std::string> targas = SkyImagePaths(skyName, ".tga");
    const std::vector<std::string> bitmaps = SkyImagePaths(skyName, ".bmp");
    for (std::size_t i = 0; i < targas.size() && i < bitmaps.size(); ++i) {
        if (c.Coming("cstrike\\" + targas[i]) || c.Coming("cstrike\\" + bitmaps[i]))
            continue;
        bool found = false;
        for (const std::string* image : {&targas[i], &bitmaps[i]}) {
            if (!found && c.files().Exists(place.tree + *image)) {
                c.AddCompanion(place.tree + *image, "cstrike\\" + *image);
                found = true;
            }
        }
        if (!found && !c.GameHas(targas[i]) && !c.GameHas(bitmaps[i])) {
            c.AddMissing(targas[i], kSkyMissing);
        }
    }
}

// The files beside a map that the game reads with it: its NAME.res (the list of what the
// server sends to players), its NAME.txt (the briefing) and its overview.
std::vector<std::string> AddMapTexts(const std::string& stem, const MapPlace& place,
                                     NeedsCollector& c) {
    std::vector<std::string> listed;
    const std::string resource = place.folder + stem + ".res";
    if (c.files().Exists(resource)) {
        c.AddCompanion(resource, "cstrike\\maps\\" + stem + ".res");
        const std::optional<std::string> text = c.files().ReadPart(resource, 0, kLargestListFile);
        if (text) {
            listed = ParseResourceList(*text);
        } else {
            c.Warn("无法读取 " + stem + ".res");
        }
    }
    if (c.files().Exists(place.folder + stem + ".txt")) {
        c.AddCompanion(place.folder + stem + ".txt", "cstrike\\maps\\" + stem + ".txt");
    }
    for (const char* extension : {".bmp", ".txt"}) {
        const std::string overview = "overviews\\" + stem + extension;
        if (c.files().Exists(place.tree + overview)) {
            c.AddCompanion(place.tree + overview, "cstrike\\" + overview);
        }
    }
    return listed;
}

// What the entity text asks for, or nothing (with a warning) when it cannot be read.
std::optional<MapNeeds> ReadMapNeeds(const std::string& sourcePath, std::string_view header,
                                     std::uint64_t size, NeedsCollector& c) {
    const std::optional<ByteRange> lump = EntityLumpOf(header, size);
    if (!lump) {
        c.Warn("地图文件已损坏，无法读出它需要的文件");
        return MapNeeds{};
    }
    const std::optional<std::string> text =
        c.files().ReadPart(sourcePath, lump->offset, static_cast<std::size_t>(lump->length));
    if (!text) {
        c.Warn("无法读取地图文件");
        return std::nullopt;
    }
    const std::optional<std::vector<Entity>> entities = ParseEntities(*text);
    if (!entities) {
        c.Warn("地图文件已损坏，无法读出它需要的文件");
        return MapNeeds{};
    }
    return NeedsOfMap(*entities);
}

void FindMapNeeds(const std::string& sourcePath, const std::string& folder, NeedsCollector& c) {
    const PathParts source = SplitPath(sourcePath);
    c.SetMain(folder + source.name);
    // Only the header and the entity text are read: a map runs to tens of megabytes.
    const std::optional<std::string> header = c.files().ReadPart(sourcePath, 0, kBspHeaderSize);
    const std::optional<FileStamp> stamp = c.files().StampOf(sourcePath);
    if (!header || !stamp)
        return c.Warn("无法读取地图文件");
    if (header->size() < 4 || Int32At(*header, 0) != kBspVersion) {
        return c.Warn("不是版本 30 的地图（CS 1.6 的地图格式）");
    }
    const std::optional<MapNeeds> needs = ReadMapNeeds(sourcePath, *header, stamp->size, c);
    if (!needs)
        return;

    const MapPlace place = PlaceOf(source.folder);
    const std::string stem = StemOf(source.name, ".bsp");
    for (const std::string& wad : needs->wads)
        AddWad(wad, place, c);
    AddSky(needs->skyName, place, c);
    for (const std::string& path : AddMapTexts(stem, place, c)) {
        // A wad the list names is looked for where the map's wads are.
        if (EndsWithIgnoringCase(path, ".wad") && path.find('\\') == std::string::npos) {
            AddWad(path, place, c);
        } else {
            AddFromTree(path, place, c);
        }
    }
    // The entities' models, sprites and sounds may be the game's own: those are left alone.
    for (const std::string& path : needs->files) {
        if (!c.GameHas(path))
            AddFromTree(path, place, c);
    }
}

// --- Plugins ----------------------------------------------------------------------------

enum class SetUp { Loads, Missing, Unreadable };

std::optional<std::string> ReadListFile(FileSystem& files, const std::string& path) {
    return files.ReadPart(path, 0, kLargestListFile);
}

template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction take) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        take(Trimmed(text.substr(0, end)));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// A path as the game compares it: backslashes, lower case, no leading ".\".
std::string NormalPath(std::string_view path) {
    std::string normal = LowerAscii(path);
    for (char& ch : normal) {
        if (ch == '/')
            ch = '\\';
    }
    while (normal.starts_with(".\\"))
        normal.erase(0, 2);
    return normal;
}

std::pair<std::string_view, std::string_view> FirstWord(std::string_view line) {
    const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
    return {line.substr(0, end), Trimmed(line.substr(end))};
}

// liblist.gam names the game's DLL; Metamod runs only when that is its own. The last
// "gamedll" line counts, as the engine reads them in order; a line commented out with "//"
// begins with another word.
SetUp LiblistLoadsMetamod(FileSystem& files, const std::string& path) {
    if (!files.Exists(path))
        return SetUp::Missing;
    const std::optional<std::string> text = ReadListFile(files, path);
    if (!text)
        return SetUp::Unreadable;
    std::string gameDll;
    ForEachLine(*text, [&](std::string_view line) {
        auto [key, value] = FirstWord(line);
        if (!SamePathIgnoringCase(key, "gamedll"))
            return;
        if (value.starts_with('"')) {
            value.remove_prefix(1);
            value = value.substr(0, value.find('"'));
        }
        gameDll = NormalPath(Trimmed(value));
    });
    return gameDll.starts_with("addons\\metamod\\") ? SetUp::Loads : SetUp::Missing;
}

// Metamod loads a plugin from a line "win32 PATH [description]" and skips lines for other
// platforms; a line commented out with "#", ";" or "//" never begins with a platform.
SetUp MetamodLoadsAmxModX(FileSystem& files, const std::string& path) {
    if (!files.Exists(path))
        return SetUp::Missing;
    const std::optional<std::string> text = ReadListFile(files, path);
    if (!text)
        return SetUp::Unreadable;
    constexpr std::string_view kAmxModX = "addons\\amxmodx\\dlls\\amxmodx_mm.dll";
    bool loads = false;
    ForEachLine(*text, [&](std::string_view line) {
        const auto [platform, rest] = FirstWord(line);
        if (!SamePathIgnoringCase(platform, "win32") && !SamePathIgnoringCase(platform, "mswin")) {
            return;
        }
        const std::string dll = NormalPath(FirstWord(rest).first);
        if (dll == kAmxModX || dll.ends_with("\\" + std::string(kAmxModX)))
            loads = true;
    });
    return loads ? SetUp::Loads : SetUp::Missing;
}

void CheckAmxModXSetUp(NeedsCollector& c) {
    const std::string liblist = "cstrike\\liblist.gam";
    const std::string metamodList = "cstrike\\addons\\metamod\\plugins.ini";
    std::string absent;
    switch (LiblistLoadsMetamod(c.files(), c.gameRoot() + liblist)) {
        case SetUp::Loads:
            break;
        case SetUp::Missing:
            absent += "liblist.gam 没有加载 Metamod";
            break;
        case SetUp::Unreadable:
            c.Warn("无法读取 " + liblist + "，不能确定插件能否运行");
            break;
    }
    switch (MetamodLoadsAmxModX(c.files(), c.gameRoot() + metamodList)) {
        case SetUp::Loads:
            break;
        case SetUp::Missing:
            absent += std::string(absent.empty() ? "" : "，") +
                      "Metamod 的 plugins.ini 没有加载 AMX Mod X";
            break;
        case SetUp::Unreadable:
            c.Warn("无法读取 " + metamodList + "，不能确定插件能否运行");
            break;
    }
    if (!absent.empty())
        c.Warn("插件不会运行：" + absent);
}

void FindPluginNeeds(const std::string& sourcePath, const std::string& folder, NeedsCollector& c) {
    c.SetMain(folder + SplitPath(sourcePath).name);
    const std::optional<std::string> bytes = c.files().ReadPart(sourcePath, 0, kLargestPlugin + 1);
    if (!bytes)
        return c.Warn("无法读取插件文件");
    if (bytes->size() > kLargestPlugin) {
        c.Warn("插件文件大于 16 MB，未检查它需要的模块");
    } else {
        const AmxxRequirements plugin = ReadAmxxPlugin(*bytes);
        switch (plugin.problem) {
            case AmxxProblem::None:
                break;
            case AmxxProblem::NotAmxx:
            case AmxxProblem::BadVersion:
                c.Warn("不是有效的 AMX Mod X 插件");
                break;
            case AmxxProblem::BadSection:
            case AmxxProblem::BadImage:
                c.Warn("AMX Mod X 插件文件已损坏，无法加载");
                break;
        }
        for (const std::string& module : plugin.modules) {
            const std::string dll = module + "_amxx.dll";
            if (!c.files().Exists(c.gameRoot() + "cstrike\\addons\\amxmodx\\modules\\" + dll)) {
                c.AddMissing(dll, kModuleMissing);
            }
        }
    }
    CheckAmxModXSetUp(c);
}

}  // namespace

RowNeeds NeedsOfRow(SelectionKind row, const std::string& sourcePath,
                    const std::string& defaultFolder, const std::string& gameRoot,
                    FileSystem& files) {
    RowNeeds needs;
    NeedsCollector collector(needs, AsFolder(gameRoot), files);
    const std::string folder = AsFolder(defaultFolder);
    switch (row) {
        case SelectionKind::Model:
            FindModelNeeds(sourcePath, folder, collector);
            break;
        case SelectionKind::Map:
            FindMapNeeds(sourcePath, folder, collector);
            break;
        case SelectionKind::Plugin:
            FindPluginNeeds(sourcePath, folder, collector);
            break;
        case SelectionKind::Effect:
        case SelectionKind::Game:
            collector.SetMain(folder + SplitPath(sourcePath).name);
            break;
    }
    return needs;
}

std::string DescribeNeeds(const RowNeeds& needs) {
    // A tooltip stays readable: a map with a long .res names its first files only.
    constexpr std::size_t kListedCompanions = 10;
    std::string text;
    if (needs.createFolders)
        text += "玩家模型，将导入到 " + needs.mainRelative + "\r\n";
    if (!needs.companions.empty()) {
        text += "将一同导入 " + Decimal(needs.companions.size()) + " 个文件：\r\n";
        for (std::size_t i = 0; i < needs.companions.size() && i < kListedCompanions; ++i) {
            text += "  " + needs.companions[i].relative + "\r\n";
        }
        if (needs.companions.size() > kListedCompanions) {
            text += "  ……另有 " + Decimal(needs.companions.size() - kListedCompanions) +
                    " 个\r\n";
        }
    }
    // Missing files of one effect share a line: a sky lacks six images at once.
    std::vector<bool> told(needs.missing.size(), false);
    for (std::size_t i = 0; i < needs.missing.size(); ++i) {
        if (told[i])
            continue;
        std::string names;
        for (std::size_t j = i; j < needs.missing.size(); ++j) {
            if (told[j] || needs.missing[j].effect != needs.missing[i].effect)
                continue;
            names += (names.empty() ? "" : "、") + needs.missing[j].name;
            told[j] = true;
        }
        text += "缺少 " + names + "：" + needs.missing[i].effect + "\r\n";
    }
    for (const std::string& warning : needs.warnings)
        text += "注意：" + warning + "\r\n";
    return text;
}

}  // namespace varnholt
