#include "ui/layout.h"

#include <array>

#include "ui/site.h"

namespace varnholt {
namespace {

using K = ControlKind;
using R = ControlRole;
using S = SelectionKind;

// Rows are listed in screen order; the designer's numbering of the model and effect rows
// is crossed over, and stays so here because the names are only data.
constexpr std::array<ControlSpec, kControlCount> kLayout = {{
    {R::GameCaption, "标签1", K::Caption, "选择目录", 14, 17, 56, 24, S::Game},
    {R::GameBox, "编辑框1", K::Box, "", 70, 18, 224, 24, S::Game},
    {R::GameChooseButton, "按钮1", K::ChooseButton, "选择目录", 301, 17, 56, 24, S::Game},
    {R::GameChooser, "通用对话框1", K::FileChooser, "", 264, 16, 26, 26, S::Game},
    {R::GameMark, "标签6", K::Mark, "", 363, 16, 40, 24, S::Game},

    {R::PluginCaption, "标签2", K::Caption, "选择插件", 14, 48, 56, 24, S::Plugin},
    {R::PluginBox, "编辑框2", K::Box, "", 70, 49, 224, 24, S::Plugin},
    {R::PluginChooseButton, "按钮2", K::ChooseButton, "选择文件", 301, 48, 56, 24, S::Plugin},
    {R::PluginChooser, "通用对话框2", K::FileChooser, "", 264, 48, 26, 26, S::Plugin},
    {R::PluginMark, "标签7", K::Mark, "", 362, 48, 40, 24, S::Plugin},

    {R::ModelCaption, "标签4", K::Caption, "选择模型", 13, 77, 56, 24, S::Model},
    {R::ModelBox, "编辑框3", K::Box, "", 69, 79, 224, 24, S::Model},
    {R::ModelChooseButton, "按钮4", K::ChooseButton, "选择文件", 300, 77, 56, 24, S::Model},
    {R::ModelChooser, "通用对话框3", K::FileChooser, "", 264, 80, 26, 26, S::Model},
    {R::ModelMark, "标签8", K::Mark, "", 361, 80, 40, 24, S::Model},

    {R::EffectCaption, "标签3", K::Caption, "选择特效", 13, 108, 56, 24, S::Effect},
    {R::EffectBox, "编辑框4", K::Box, "", 69, 109, 224, 24, S::Effect},
    {R::EffectChooseButton, "按钮3", K::ChooseButton, "选择文件", 300, 108, 56, 24, S::Effect},
    {R::EffectChooser, "通用对话框4", K::FileChooser, "", 264, 109, 26, 26, S::Effect},
    {R::EffectMark, "标签9", K::Mark, "", 360, 109, 40, 24, S::Effect},

    {R::MapCaption, "标签5", K::Caption, "选择地图", 13, 137, 56, 24, S::Map},
    {R::MapBox, "编辑框5", K::Box, "", 69, 138, 224, 24, S::Map},
    {R::MapChooseButton, "按钮5", K::ChooseButton, "选择文件", 300, 137, 56, 24, S::Map},
    {R::MapChooser, "通用对话框5", K::FileChooser, "", 264, 139, 26, 26, S::Map},
    {R::MapMark, "标签10", K::Mark, "", 360, 138, 40, 24, S::Map},

    {R::InstallButton, "按钮6", K::Button, "执行", 106, 172, 80, 25, std::nullopt},
    {R::RunGameButton, "按钮7", K::Button, "运行游戏", 216, 172, 80, 25, std::nullopt},
    {R::SiteLink, "超级链接框1", K::Link, kSiteLinkText, 0, 202, 400, 16, std::nullopt},
}};

constexpr bool RolesMatchPositions() {
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
        if (static_cast<std::size_t>(kLayout[i].role) != i) return false;
    }
    return true;
}
static_assert(RolesMatchPositions(), "the layout lists the controls in ControlRole order");

}  // namespace

std::span<const ControlSpec> Layout() { return kLayout; }

const ControlSpec& SpecOf(ControlRole role) { return kLayout[static_cast<std::size_t>(role)]; }

ControlRole RoleOf(SelectionKind row, ControlKind kind) {
    for (const ControlSpec& entry : kLayout) {
        if (entry.row == row && entry.kind == kind) return entry.role;
    }
    return ControlRole::SiteLink;  // unreachable for the five row kinds
}

}  // namespace varnholt
