#include "core/install_report.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

RowReport Row(SelectionKind row, const char* name, PlaceOutcome outcome, const char* system = "") {
    return {row, name, std::string("G\\cstrike\\x\\") + name, outcome, system};
}

TEST(InstallReportText, OneLinePerRowWithRegistrationAfterThePlugin) {
    using K = SelectionKind;
    using P = PlaceOutcome;
    struct Case {
        const char* name;
        InstallReport report;
        const char* text;
    };
    const Case cases[] = {
        {"nothing handled", {}, "没有选择要导入的文件。\r\n"},
        {"all placed",
         {{Row(K::Plugin, "a.amxx", P::Installed), Row(K::Map, "d.bsp", P::AlreadyInPlace)},
          RegisterReport{}},
         "插件导入成功\r\n地图导入成功（文件已在游戏目录中）\r\n"},
        {"plugin copied but not registered",
         {{Row(K::Plugin, "a.amxx", P::Installed), Row(K::Model, "m.mdl", P::Installed)},
          RegisterReport{RegisterOutcome::ListMissing, {}}},
         "插件导入成功\r\n插件未写入 plugins.ini：找不到 "
         "cstrike\\addons\\amxmodx\\configs\\plugins.ini\r\n模型导入成功\r\n"},
        {"plugin name AMX Mod X would not load",
         {{Row(K::Plugin, "my plugin.amxx", P::Installed)},
          RegisterReport{RegisterOutcome::Registered, {}, PluginNameProblem::Blank}},
         "插件导入成功（注意：文件名含有空格，AMX Mod X 不会按此名称加载该插件，建议改用简单的英文文件名，如 "
         "my_plugin.amxx）\r\n"},
        {"failures name kind, file and reason",
         {{Row(K::Effect, "e.spr", P::InUse), Row(K::Map, "d.bsp", P::Failed, "设备未就绪。"),
           Row(K::Model, "m.mdl", P::DestinationFolderMissing)},
          std::nullopt},
         "特效导入失败：e.spr，文件正被其他程序占用（游戏是否正在运行？）\r\n"
         "地图导入失败：d.bsp，设备未就绪。\r\n"
         "模型导入失败：m.mdl，目标文件夹不存在：G\\cstrike\\x\\\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatInstallReport(c.report), c.text);
    }
}

}  // namespace
}  // namespace varnholt
