#include "core/selection.h"

#include "core/file_system.h"
#include "core/path_rules.h"

namespace varnholt {

bool IsAccepted(std::string_view markCaption) { return markCaption == kAcceptedCaption; }

bool IsGameExecutableName(std::string_view path) {
    const std::string name = FileNameOf(path);
    return name == "hl.exe" || name == "cstrike.exe";
}

std::string_view AcceptedExtension(SelectionKind row) {
    switch (row) {
        case SelectionKind::Plugin: return "amxx";
        case SelectionKind::Model: return "mdl";
        case SelectionKind::Effect: return "spr";
        case SelectionKind::Map: return "bsp";
        case SelectionKind::Game: break;
    }
    return {};
}

void WriteMark(SelectionWindow& window, SelectionKind row, CheckMark mark) {
    switch (mark) {
        case CheckMark::Blank:
            window.SetMarkCaption(row, "");
            break;
        case CheckMark::Accepted:
            window.SetMarkColour(row, kAcceptedColour);
            window.SetMarkCaption(row, std::string(kAcceptedCaption));
            break;
        case CheckMark::Rejected:
            window.SetMarkColour(row, kRejectedColour);
            window.SetMarkCaption(row, std::string(kRejectedCaption));
            break;
    }
}

namespace {

CheckMark Judge(SelectionKind row, const std::string& text, FileSystem& files) {
    if (text.empty()) return CheckMark::Blank;
    if (!files.Exists(text)) return CheckMark::Rejected;
    const bool passes = row == SelectionKind::Game ? IsGameExecutableName(text)
                                                   : ExtensionOf(text) == AcceptedExtension(row);
    return passes ? CheckMark::Accepted : CheckMark::Rejected;
}

}  // namespace

void CheckSelection(SelectionKind row, SelectionWindow& window, FileSystem& files) {
    WriteMark(window, row, Judge(row, window.BoxText(row), files));
    RefreshReadiness(window);
}

void RefreshReadiness(SelectionWindow& window) {
    // Deliberately one-sided: losing the game row's mark disables only the run-game button;
    // the install button is disabled again only when the game row is accepted and no add-on
    // row is.
    if (!IsAccepted(window.MarkCaption(SelectionKind::Game))) {
        window.EnableButton(ActionButton::RunGame, false);
        return;
    }
    window.EnableButton(ActionButton::RunGame, true);
    bool anyAddOn = false;
    for (SelectionKind row : kAddOnRows) {
        if (IsAccepted(window.MarkCaption(row))) {
            anyAddOn = true;
            break;
        }
    }
    window.EnableButton(ActionButton::Install, anyAddOn);
}

}  // namespace varnholt
