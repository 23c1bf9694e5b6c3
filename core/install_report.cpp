#include "core/install_report.h"

namespace varnholt {
namespace {

std::string KindName(SelectionKind row) {
    switch (row) {
        case SelectionKind::Plugin: return "插件";
        case SelectionKind::Model: return "模型";
        case SelectionKind::Effect: return "特效";
        case SelectionKind::Map: return "地图";
        case SelectionKind::Game: break;
    }
    return "游戏";
}

std::string PlaceReason(const RowReport& row) {
    return PlaceReasonText(row.outcome, row.systemText,
                           row.destination.substr(0, row.destination.size() - row.fileName.size()));
}

std::string RegisterReason(const RegisterReport& report) {
    switch (report.outcome) {
        case RegisterOutcome::Registered: return {};
        case RegisterOutcome::ListMissing: return "找不到 cstrike\\addons\\amxmodx\\configs\\plugins.ini";
        case RegisterOutcome::ListAccessDenied: return "plugins.ini 是只读的，或没有写入权限";
        case RegisterOutcome::ListInUse: return "plugins.ini 正被其他程序占用";
        case RegisterOutcome::ListUnreadable: return "无法读取 plugins.ini";
        case RegisterOutcome::NameNotRepresentable:
            return "文件名含有系统编码无法表示的字符，AMX Mod X 无法读取，请改用英文文件名";
        case RegisterOutcome::NameIsPattern: return "文件名含有 * 或 ?，不是真实的文件名";
        case RegisterOutcome::AlreadyListed: return "plugins.ini 中已有此插件";
        case RegisterOutcome::TakenBack: return "插件文件未能导入，已撤回在 plugins.ini 中添加的一行";
        case RegisterOutcome::TakeBackFailed:
            return "插件文件未能导入，但 plugins.ini 之后又被修改过，添加的一行未能撤回，请手动删除";
        case RegisterOutcome::Failed: return report.systemText;
    }
    return report.systemText;
}

std::string NameWarning(PluginNameProblem problem) {
    std::string why;
    switch (problem) {
        case PluginNameProblem::None: return {};
        case PluginNameProblem::Blank: why = "文件名含有空格"; break;
        case PluginNameProblem::Semicolon: why = "文件名含有分号“;”"; break;
        case PluginNameProblem::NotLetterOrDigitFirst: why = "文件名不是以英文字母或数字开头"; break;
        case PluginNameProblem::TooLong: why = "文件名太长"; break;
    }
    return "（注意：" + why + "，AMX Mod X 不会按此名称加载该插件，建议改用简单的英文文件名，如 my_plugin.amxx）";
}

}  // namespace

std::string PlaceReasonText(PlaceOutcome outcome, const std::string& systemText,
                            const std::string& destinationFolder) {
    switch (outcome) {
        case PlaceOutcome::Installed:
        case PlaceOutcome::AlreadyInPlace: return {};
        case PlaceOutcome::SourceMissing: return "找不到所选的文件";
        case PlaceOutcome::SourceIsFolder: return "所选的是文件夹，不是文件";
        case PlaceOutcome::DestinationFolderMissing:
            return "目标文件夹不存在：" + destinationFolder;
        case PlaceOutcome::FolderInTheWay: return "目标位置有一个同名的文件夹";
        case PlaceOutcome::AccessDenied: return "目标文件是只读的，或没有写入权限";
        case PlaceOutcome::InUse: return "文件正被其他程序占用（游戏是否正在运行？）";
        case PlaceOutcome::DiskFull: return "磁盘空间不足";
        case PlaceOutcome::NameIsPattern: return "文件名含有 * 或 ?，不是真实的文件名";
        case PlaceOutcome::BackupFailed:
            return "无法在游戏目录中备份原来的文件，因此没有替换" +
                   (systemText.empty() ? std::string() : "（" + systemText + "）");
        case PlaceOutcome::KeptSetting: return {};
        case PlaceOutcome::TakenBack: return "已撤回，因为同组的其他文件未能导入";
        case PlaceOutcome::Failed: return systemText;
    }
    return systemText;
}

std::string FormatInstallReport(const InstallReport& report) {
    if (report.rows.empty()) return "没有选择要导入的文件。\r\n";
    std::string text;
    for (const RowReport& row : report.rows) {
        const std::string kind = KindName(row.row);
        if (row.placed()) {
            text += kind + "导入成功";
            if (row.outcome == PlaceOutcome::AlreadyInPlace) text += "（文件已在游戏目录中）";
            if (row.row == SelectionKind::Plugin && report.plugin) {
                text += NameWarning(report.plugin->nameProblem);
            }
        } else {
            text += kind + "导入失败：" + row.fileName + "，" + PlaceReason(row);
        }
        text += "\r\n";
        for (const CompanionReport& companion : row.companions) {
            if (companion.outcome == PlaceOutcome::Installed ||
                companion.outcome == PlaceOutcome::AlreadyInPlace) {
                text += "  一并导入：" + companion.relative + "\r\n";
            } else {
                RowReport as;
                as.outcome = companion.outcome;
                as.systemText = companion.systemText;
                as.destination = companion.relative;
                text += "  未能一并导入：" + companion.relative + "，" + PlaceReason(as) + "\r\n";
            }
        }
        text += row.needs;
        if (row.row == SelectionKind::Plugin && report.plugin &&
            report.plugin->outcome != RegisterOutcome::Registered) {
            text += "插件未写入 plugins.ini：" + RegisterReason(*report.plugin) + "\r\n";
        }
    }
    return text;
}

}  // namespace varnholt
