#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "core/selection.h"

namespace varnholt {

enum class ControlKind {
    Caption,      // a row's caption label
    Box,          // a row's path edit box
    ChooseButton, // a row's chooser button
    FileChooser,  // a row's open-file dialog: no window of its own until opened
    Mark,         // a row's check mark label
    Button,       // install, run game
    Link,         // the site link
};

enum class ControlRole {
    GameCaption, GameBox, GameChooseButton, GameChooser, GameMark,
    PluginCaption, PluginBox, PluginChooseButton, PluginChooser, PluginMark,
    ModelCaption, ModelBox, ModelChooseButton, ModelChooser, ModelMark,
    EffectCaption, EffectBox, EffectChooseButton, EffectChooser, EffectMark,
    MapCaption, MapBox, MapChooseButton, MapChooser, MapMark,
    InstallButton, RunGameButton, SiteLink,
};

// One control as designed: geometry in the client area at 96 DPI.
struct ControlSpec {
    ControlRole role;
    std::string_view designName;
    ControlKind kind;
    std::string_view text;  // UTF-8; empty for none
    int left, top, width, height;
    std::optional<SelectionKind> row;
};

inline constexpr int kControlCount = 28;
inline constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

// The whole window as designed, in screen order of the rows.
std::span<const ControlSpec> Layout();
const ControlSpec& SpecOf(ControlRole role);
// The role of a row's control of the given kind.
ControlRole RoleOf(SelectionKind row, ControlKind kind);
inline int ControlIdOf(ControlRole role) { return kFirstControlId + static_cast<int>(role); }

// The main window's outer size at 96 DPI, frame and title bar included.
inline constexpr int kWindowWidth = 400;
inline constexpr int kWindowHeight = 252;

}  // namespace varnholt
