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

std::optional<SelectionKind> RowForFile(std::string_view path) {
    if (IsGameExecutableName(path)) return SelectionKind::Game;
    const std::string extension = ExtensionOf(path);
    for (SelectionKind row : kAddOnRows) {
        if (extension == AcceptedExtension(row)) return row;
    }
    return std::nullopt;
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

CheckMark MarkOf(Verdict verdict) {
    switch (verdict) {
        case Verdict::Blank: return CheckMark::Blank;
        case Verdict::Accepted: return CheckMark::Accepted;
        default: return CheckMark::Rejected;
    }
}

Verdict Judge(SelectionKind row, const std::string& text, FileSystem& files) {
    if (text.empty()) return Verdict::Blank;
    if (!files.Exists(text)) return Verdict::Missing;
    if (row == SelectionKind::Game) {
        return IsGameExecutableName(text) ? Verdict::Accepted : Verdict::WrongGameName;
    }
    return ExtensionOf(text) == AcceptedExtension(row) ? Verdict::Accepted
                                                        : Verdict::WrongExtension;
}

void CheckSelection(SelectionKind row, SelectionWindow& window, FileSystem& files) {
    const std::string text = window.BoxText(row);
    const Verdict verdict = Judge(row, text, files);
    WriteMark(window, row, MarkOf(verdict));
    window.NoteVerdict(row, verdict, text);
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
