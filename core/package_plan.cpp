#include "core/package_plan.h"

#include <set>
#include <utility>

#include "core/decimal.h"
#include "core/package_layout.h"
#include "core/plugin_list.h"

namespace varnholt {
namespace {

constexpr std::string_view kConfigsFolder = "cstrike\\addons\\amxmodx\\configs\\";
constexpr std::string_view kPluginsFolder = "cstrike\\addons\\amxmodx\\plugins\\";
constexpr std::string_view kModuleListPath = "cstrike\\addons\\amxmodx\\configs\\modules.ini";
// A list inside a package is read whole into memory; no real one comes near this.
constexpr std::uint64_t kLongestPackageList = 16 * 1024 * 1024;

// ---- Zip packages ---------------------------------------------------------------------------

std::string ExtractProblemText(ExtractProblem problem) {
    switch (problem) {
        case ExtractProblem::None:
        case ExtractProblem::WriteFailed:
            break;
        case ExtractProblem::Encrypted:
            return "压缩包中的此文件设有密码";
        case ExtractProblem::UnsupportedMethod:
            return "压缩包中的此文件使用了不支持的压缩方式";
        case ExtractProblem::Truncated:
            return "压缩包不完整，此文件的数据缺失";
        case ExtractProblem::Corrupt:
            return "压缩包中此文件的数据已损坏";
        case ExtractProblem::TooLarge:
        case ExtractProblem::SizeMismatch:
            return "压缩包中此文件的大小与记录不符，数据已损坏";
        case ExtractProblem::CrcMismatch:
            return "压缩包中的此文件已损坏（CRC 校验不符）";
    }
    return "无法解压此文件";
}

class ZipContent final : public PlacementContent {
public:
    ZipContent(std::shared_ptr<ByteSource> archive, ZipEntry entry)
        : archive_(std::move(archive)), entry_(std::move(entry)) {}

    FileResult WriteTo(NewFile& file) override {
        FileResult written;
        const ExtractProblem problem =
            ExtractEntry(*archive_, entry_, [&](const char* data, std::size_t length) {
                written = file.Write(std::string_view(data, length));
                return written.ok();
            });
        // A write that failed says why itself (disk full, access denied).
        if (problem == ExtractProblem::WriteFailed)
            return written;
        if (problem != ExtractProblem::None)
            return {FileError::Other, ExtractProblemText(problem)};
        return {};
    }
    std::uint64_t Size() const override { return entry_.size; }

private:
    std::shared_ptr<ByteSource> archive_;
    ZipEntry entry_;
};

std::string ZipProblemText(ZipProblem problem) {
    switch (problem) {
        case ZipProblem::None:
        case ZipProblem::NotZip:
            break;
        case ZipProblem::Truncated:
            return "压缩包不完整（文件被截断，可能没有下载完）";
        case ZipProblem::Split:
            return "这是分卷压缩包的一部分，请先用解压软件解压";
        case ZipProblem::Corrupt:
            return "压缩包已损坏";
        case ZipProblem::TooManyEntries:
            return "压缩包中的文件太多（超过 65536 个）";
        case ZipProblem::NameTooLong:
            return "压缩包中有名称过长的文件";
    }
    return "不是 zip 压缩包";
}

// A raw name that did not decode, shown as far as it can be: its printable ASCII.
std::string ShownRawName(std::string_view raw) {
    std::string shown;
    for (char c : raw)
        shown += c >= 0x20 && c < 0x7F ? c : '?';
    return shown;
}

// ---- Package plans --------------------------------------------------------------------------

std::string BadNameText(BadName bad) {
    switch (bad) {
        case BadName::Empty:
            return "名称为空";
        case BadName::Absolute:
            return "是绝对路径";
        case BadName::Drive:
            return "含有盘符";
        case BadName::Unc:
            return "是网络路径";
        case BadName::DotComponent:
            return "含有“.”或“..”文件夹";
        case BadName::Colon:
            return "含有冒号“:”";
        case BadName::Device:
            return "是 Windows 保留的设备名";
        case BadName::TrailingDotOrBlank:
            return "以点或空格结尾";
        case BadName::BadCharacter:
            return "含有 Windows 文件名不允许的字符";
        case BadName::BadEncoding:
            return "编码无效";
        case BadName::TooLong:
            return "名称太长";
        case BadName::Duplicate:
            return "与包中另一个文件落在同一位置（不区分大小写）";
        case BadName::FileAndFolder:
            return "与包中的一个文件夹同名";
    }
    return "无法使用";
}

std::string SkipText(SkipReason reason) {
    switch (reason) {
        case SkipReason::OutsideRoot:
            return "不是游戏文件，未导入";
        case SkipReason::OtherGame:
            return "属于其他游戏的文件夹，未导入";
    }
    return "未导入";
}

std::string_view NameOf(std::string_view path) {
    return path.substr(path.rfind('\\') + 1);
}

// "10.3" for the megabytes in `bytes`, to a tenth, rounded up or down.
std::string MegabytesText(std::uint64_t bytes, bool roundUp) {
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    std::uint64_t whole = bytes / kMegabyte;
    const std::uint64_t rest = bytes % kMegabyte;
    std::uint64_t tenths =
        roundUp ? (rest * 10 + kMegabyte - 1) / kMegabyte : rest * 10 / kMegabyte;
    if (tenths == 10) {
        ++whole;
        tenths = 0;
    }
    return Decimal(whole) + "." + Decimal(tenths);
}

// The active entries of a list's bytes, up to where AMX Mod X stops reading them.
std::vector<std::string> ListEntries(std::string_view content) {
    return ActiveListEntries(content.substr(0, ListTextLength(content)));
}

// The same, folded for comparing.
std::set<std::string> FoldedEntries(std::string_view content) {
    std::set<std::string> folded;
    for (const std::string& entry : ListEntries(content))
        folded.insert(FoldCase(entry));
    return folded;
}

std::optional<std::string> ReadGameFile(FileSystem& files, const std::string& path) {
    const std::optional<FileStamp> stamp = files.StampOf(path);
    if (!stamp)
        return std::nullopt;
    return files.ReadPart(path, 0, static_cast<std::size_t>(stamp->size));
}

// A list of the game's that a package's list of the same name is merged into.
struct GameList {
    std::string_view relative;
    std::string_view name;  // as the report names it
    bool present = false;
    std::set<std::string> entries{};  // folded; grows with what is merged
};

class Planner {
public:
    Planner(const std::string& gameRoot, FileSystem& files) : files_(files) {
        out_.plan.gameRoot = gameRoot;
        unit_.stopsAtFirstFailure = true;
        for (GameList* list : {&pluginList_, &moduleList_}) {
            const std::string path = gameRoot + std::string(list->relative);
            list->present = files_.StampOf(path).has_value();
            // One that cannot be read is still merged into: the run reports why it failed.
            if (const std::optional<std::string> text = ReadGameFile(files_, path))
                list->entries = FoldedEntries(*text);
        }
        listed_ = pluginList_.entries;
    }

    PackagePlan Plan(const std::vector<PackageItem>& items);

private:
    bool Take(const PackageItem& item, const std::string& destination);
    bool Merge(const PackageItem& item, GameList& list);
    bool NoteNamedPlugins(const PackageItem& item, const std::string& destination, bool kept);
    void Register(const std::vector<std::string>& plugins);
    std::string Full(std::string_view relative) const {
        return out_.plan.gameRoot + std::string(relative);
    }
    bool Refuse(std::string why) {
        out_.refusal = std::move(why);
        return false;
    }

    FileSystem& files_;
    PackagePlan out_;
    PlanUnit unit_;
    GameList pluginList_{kPluginListPath, "plugins.ini"};
    GameList moduleList_{kModuleListPath, "modules.ini"};
    std::set<std::string> listed_;  // folded plugin names AMX Mod X will find listed
    std::vector<ListAddition> merges_;
    std::vector<std::string> plugins_;  // the package's plugins, in order
};

bool Planner::Merge(const PackageItem& item, GameList& list) {
    const std::optional<std::string> text = item.read ? item.read() : std::nullopt;
    if (!text)
        return Refuse("无法读取包中的 " + item.path);
    for (const std::string& entry : ListEntries(*text)) {
        const std::optional<std::string> ansi = files_.ToAnsi(entry);
        if (!ansi) {
            out_.skipped.push_back(std::string(list.name) + ": " + entry +
                                   "：名称含有系统编码无法表示的字符，AMX Mod X 无法读取，未合并");
            continue;
        }
        const std::string folded = FoldCase(*ansi);
        if (!list.entries.insert(folded).second)
            continue;
        if (&list == &pluginList_)
            listed_.insert(folded);
        merges_.push_back({std::string(list.relative), *ansi});
        out_.merged.push_back(std::string(list.name) + ": " + entry);
    }
    return true;
}

// A plugins-*.ini in configs loads its plugins itself, as does a plugins.ini the game did not
// have: the plugins they name need no line of ours. What counts is the file the game will
// have, the player's own when it is kept.
bool Planner::NoteNamedPlugins(const PackageItem& item, const std::string& destination, bool kept) {
    const std::string folded = FoldCase(destination);
    const std::string_view name = NameOf(folded);
    const bool inConfigs =
        folded.starts_with(kConfigsFolder) && folded.size() == kConfigsFolder.size() + name.size();
    const bool pluginList =
        name == "plugins.ini" || (name.starts_with("plugins-") && name.ends_with(".ini"));
    if (!inConfigs || !pluginList)
        return true;
    const std::optional<std::string> text = kept        ? ReadGameFile(files_, Full(destination))
                                            : item.read ? item.read()
                                                        : std::nullopt;
    if (!text)
        return Refuse("无法读取" +
                      std::string(kept ? "游戏中的 " + destination : "包中的 " + item.path));
    const std::set<std::string> named = FoldedEntries(*text);
    listed_.insert(named.begin(), named.end());
    return true;
}

bool Planner::Take(const PackageItem& item, const std::string& destination) {
    // The layout keeps every file below cstrike\; checked again so that no later change to its
    // rules can write outside the game tree.
    if (!destination.starts_with("cstrike\\"))
        return Refuse("包中的 " + item.path + " 无法导入");
    const std::string folded = FoldCase(destination);
    for (GameList* list : {&pluginList_, &moduleList_}) {
        if (list->present && folded == list->relative)
            return Merge(item, *list);
    }
    Placement placement;
    placement.source = item.content ? item.path : item.sourcePath;
    placement.content = item.content;
    placement.relative = destination;
    placement.createFolders = true;
    // Set for every setting, not only those there now: the executor looks again when it
    // places the file, so one that appeared since is kept as well.
    placement.keepExisting = IsPlayerSetting(destination);
    const bool kept = placement.keepExisting && files_.StampOf(Full(destination)).has_value();
    if (!kept)
        out_.bytes += item.size;
    unit_.placements.push_back(std::move(placement));

    const std::string_view name = NameOf(folded);
    // Only the plugins folder itself: AMX Mod X looks for a listed name there, and a file
    // in a folder below it is one the package keeps aside.
    if (folded.starts_with(kPluginsFolder) &&
        folded.size() == kPluginsFolder.size() + name.size() && name.ends_with(".amxx")) {
        plugins_.emplace_back(NameOf(destination));
    }
    return NoteNamedPlugins(item, destination, kept);
}

void Planner::Register(const std::vector<std::string>& plugins) {
    std::vector<ListAddition> registrations;
    for (const std::string& plugin : plugins) {
        const std::optional<std::string> ansi = files_.ToAnsi(plugin);
        if (!ansi) {
            out_.skipped.push_back(plugin +
                                   "：文件名含有系统编码无法表示的字符，AMX Mod X 无法读取，"
                                   "未写入 plugins.ini");
            continue;
        }
        if (!listed_.insert(FoldCase(*ansi)).second)
            continue;
        registrations.push_back({std::string(kPluginListPath), *ansi});
        out_.registered.push_back(plugin);
    }
    unit_.additions = std::move(merges_);
    unit_.additions.insert(unit_.additions.end(), registrations.begin(), registrations.end());
}

PackagePlan Planner::Plan(const std::vector<PackageItem>& items) {
    std::vector<std::string> paths;
    paths.reserve(items.size());
    for (const PackageItem& item : items)
        paths.push_back(item.path);
    const PackageLayout layout = LayOutPackage(paths);
    if (layout.refused) {
        Refuse("包中的 " + layout.refused->first + " 无法导入：" +
               BadNameText(layout.refused->second) + "。整个包都没有导入");
        return std::move(out_);
    }
    for (const PackageSkip& skip : layout.skipped) {
        out_.skipped.push_back(skip.source + "：" + SkipText(skip.reason));
    }
    if (layout.placements.empty()) {
        Refuse("包中没有可以导入的游戏文件");
        return std::move(out_);
    }
    // The placements keep the items' order, so one walk pairs each with its item.
    std::size_t at = 0;
    for (const PackagePlacement& placement : layout.placements) {
        while (items[at].path != placement.source)
            ++at;
        if (!Take(items[at], placement.destination))
            return std::move(out_);
    }
    Register(plugins_);

    const std::string& root = out_.plan.gameRoot;
    const std::optional<std::uint64_t> free = files_.FreeSpace(root.empty() ? "." : root);
    if (free && out_.bytes > *free) {
        Refuse("磁盘空间不足：需要 " + MegabytesText(out_.bytes, true) + " MB，只有 " +
               MegabytesText(*free, false) + " MB");
        return std::move(out_);
    }
    out_.plan.units.push_back(std::move(unit_));
    return std::move(out_);
}

}  // namespace

std::shared_ptr<PlacementContent> ZipEntryContent(std::shared_ptr<ByteSource> archive,
                                                  ZipEntry entry) {
    return std::make_shared<ZipContent>(std::move(archive), std::move(entry));
}

ZipItems ItemsOfZip(std::shared_ptr<ByteSource> archive,
                    const std::function<std::optional<std::string>(std::string_view)>& fromOem) {
    ZipItems out;
    ZipDirectory directory = ReadZipDirectory(*archive);
    if (directory.problem != ZipProblem::None) {
        std::string start(8, '\0');
        if (directory.problem == ZipProblem::NotZip && archive->Size() >= start.size() &&
            archive->ReadAt(0, start.data(), start.size()) && LooksLikeRarOr7z(start)) {
            out.refusal = "这是 RAR 或 7z 压缩包，只能导入 zip 压缩包或文件夹：请先解压";
        } else {
            out.refusal = ZipProblemText(directory.problem);
        }
        return out;
    }
    // Every entry is checked before any is taken: one that cannot be installed refuses the
    // package before a byte of it is written.
    for (std::size_t i = 0; i < directory.entries.size(); ++i) {
        const ZipEntry& entry = directory.entries[i];
        const std::optional<std::string> name = EntryNameOf(entry, fromOem);
        if (!name) {
            out.refusal = "压缩包中第 " + Decimal(i + 1) + " 个文件的名称无法识别（" +
                          ShownRawName(entry.rawName) + "）";
        } else if (entry.isSymlink) {
            out.refusal = "压缩包中的 " + *name + " 是符号链接，不能导入";
        } else if (entry.isFolder) {
            continue;
        } else if (entry.encrypted) {
            out.refusal = "压缩包中的 " + *name + " 设有密码，请先解压后再导入";
        } else if (entry.method != 0 && entry.method != 8) {
            out.refusal = "压缩包中的 " + *name + " 使用了不支持的压缩方式，请先解压后再导入";
        }
        if (!out.refusal.empty()) {
            out.items.clear();
            return out;
        }
        PackageItem item;
        item.path = *name;
        item.size = entry.size;
        item.content = ZipEntryContent(archive, entry);
        item.read = [archive, entry]() -> std::optional<std::string> {
            if (entry.size > kLongestPackageList)
                return std::nullopt;
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(entry.size));
            const ExtractProblem problem =
                ExtractEntry(*archive, entry, [&](const char* data, std::size_t length) {
                    bytes.append(data, length);
                    return true;
                });
            if (problem != ExtractProblem::None)
                return std::nullopt;
            return bytes;
        };
        out.items.push_back(std::move(item));
    }
    return out;
}

PackagePlan PlanPackage(const std::string& gameRoot, const std::vector<PackageItem>& items,
                        FileSystem& files) {
    return Planner(gameRoot, files).Plan(items);
}

}  // namespace varnholt
