#include "core/package_report.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "core/decimal.h"
#include "core/install_report.h"
#include "core/plugin_list.h"

namespace varnholt {
namespace {

constexpr char kIndent[] = "    ";

// Paths grouped by folder, folders in the order they first appear: a thousand files in a few
// folders read as a few headings rather than a thousand repeated paths.
class FolderGroups {
public:
    void Add(const std::string& relative) {
        const std::string folder = FolderPartOf(relative);
        const auto [at, added] = index_.try_emplace(folder, groups_.size());
        if (added)
            groups_.push_back({folder, {}});
        groups_[at->second].second.push_back(relative.substr(folder.size()));
    }
    bool empty() const { return groups_.empty(); }
    std::string Text() const {
        std::string text;
        for (const auto& [folder, names] : groups_) {
            text += folder + "\r\n";
            for (const std::string& name : names)
                text += kIndent + name + "\r\n";
        }
        return text;
    }

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> groups_;
    std::unordered_map<std::string, std::size_t> index_;
};

std::string Section(const std::string& heading, const std::string& body) {
    return body.empty() ? std::string() : heading + "\r\n" + body;
}

std::string ListReason(const AdditionResult& added, const std::string& listName) {
    switch (added.outcome) {
        case RegisterOutcome::ListMissing:
            return "游戏中没有 " + listName;
        case RegisterOutcome::ListAccessDenied:
            return listName + " 是只读的，或没有写入权限";
        case RegisterOutcome::ListInUse:
            return listName + " 正被其他程序占用";
        case RegisterOutcome::ListUnreadable:
            return "无法读取 " + listName;
        case RegisterOutcome::NameNotRepresentable:
            return "名称含有系统编码无法表示的字符，AMX Mod X 无法读取";
        default:
            break;
    }
    return added.systemText.empty() ? "未能写入 " + listName : added.systemText;
}

std::string TakenBackText(const std::string& packageName, const PackagePlan& plan,
                          const UnitResult& unit) {
    const std::vector<Placement>& placements = plan.plan.units.front().placements;
    std::string text = packageName + " 未导入：";
    std::size_t failed = 0;
    while (failed < unit.placements.size()) {
        const PlaceOutcome outcome = unit.placements[failed].outcome;
        if (outcome != PlaceOutcome::Installed && outcome != PlaceOutcome::AlreadyInPlace &&
            outcome != PlaceOutcome::KeptSetting && outcome != PlaceOutcome::TakenBack) {
            break;
        }
        ++failed;
    }
    if (failed < unit.placements.size()) {
        const PlacementResult& why = unit.placements[failed];
        const std::string& relative = placements[failed].relative;
        text += relative + " 未能导入，" +
                PlaceReasonText(why.outcome, why.systemText, FolderPartOf(relative)) + "\r\n";
    } else {
        text += "导入已取消\r\n";
    }
    if (unit.takeBackFailed) {
        return text + "有些改动未能撤回，游戏目录与导入前不完全相同：" +
               "请在窗口菜单中选择“撤销上次导入”再试。\r\n";
    }
    return text + "已导入的部分已全部撤回，游戏目录与导入前完全相同。\r\n";
}

}  // namespace

std::string FormatPackageReport(const std::string& packageName, const PackagePlan& plan,
                                const ExecutionResult& result) {
    std::string skipped;
    for (const std::string& line : plan.skipped)
        skipped += kIndent + line + "\r\n";
    if (!plan.refusal.empty() || plan.plan.units.empty() || result.units.empty()) {
        return packageName + " 未导入：" + plan.refusal + "\r\n" +
               Section("包中未导入的文件：", skipped);
    }
    const UnitResult& unit = result.units.front();
    if (!unit.wentIn)
        return TakenBackText(packageName, plan, unit);

    const PlanUnit& planned = plan.plan.units.front();
    FolderGroups added;
    FolderGroups replaced;
    FolderGroups kept;
    std::size_t placed = 0;
    for (std::size_t i = 0; i < planned.placements.size(); ++i) {
        const std::string& relative = planned.placements[i].relative;
        const PlacementResult& outcome = unit.placements[i];
        if (outcome.outcome == PlaceOutcome::KeptSetting) {
            kept.Add(relative);
            continue;
        }
        ++placed;
        (outcome.replaced ? replaced : added).Add(relative);
    }

    // The additions are the merged entries first, then the registered plugins.
    std::string registered;
    std::string merged;
    std::string unwritten;
    for (std::size_t i = 0; i < unit.additions.size(); ++i) {
        const bool isMerge = i < plan.merged.size();
        const std::string& shown =
            isMerge ? plan.merged[i] : plan.registered[i - plan.merged.size()];
        const AdditionResult& added = unit.additions[i];
        const std::string& listRelative = planned.additions[i].listRelative;
        const std::string listName = listRelative.substr(FolderPartOf(listRelative).size());
        if (added.outcome != RegisterOutcome::Registered) {
            unwritten += kIndent + (isMerge ? shown : listName + ": " + shown) + "，" +
                         ListReason(added, listName) + "\r\n";
        } else if (isMerge) {
            merged += kIndent + shown + "\r\n";
        } else {
            registered += kIndent + shown;
            if (CheckPluginName(planned.additions[i].name) != PluginNameProblem::None) {
                registered +=
                    "（注意：AMX Mod X 不会按此名称加载该插件，建议改用简单的英文文件名）";
            }
            registered += "\r\n";
        }
    }

    std::string text = packageName + " 导入成功：" + Decimal(placed) + " 个文件\r\n";
    text += Section("新增的文件：", added.Text());
    text += Section("替换的文件（原文件已备份在 " + result.journalFolder + "）：", replaced.Text());
    text += Section("保留的设置（游戏中已有，未覆盖）：", kept.Text());
    text += Section("包中未导入的文件：", skipped);
    text += Section("已写入 plugins.ini 的插件：", registered);
    text += Section("已合并的列表条目：", merged);
    text += Section("未能写入列表的条目：", unwritten);
    return text;
}

}  // namespace varnholt
