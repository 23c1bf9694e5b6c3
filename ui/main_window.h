#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/companions.h"
#include "core/installer_state.h"
#include "core/selection.h"
#include "platform/handles.h"
#include "ui/layout.h"

namespace varnholt {

class FileSystem;
class Services;
struct UndoReport;

// A zip (or a RAR or 7z, to be refused with advice) or a folder: a whole package.
bool IsPackagePath(const std::string& path, FileSystem& files);

// The program's one window: five path rows, the install and run-game buttons and the site
// link. It is also the window the row checks read and write.
class MainWindow final : public SelectionWindow {
public:
    MainWindow(InstallerState& state, FileSystem& files, Services& services);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls hidden and prepares them; false on failure.
    bool Create(HINSTANCE instance);
    // Shows and activates the window, centred on the primary screen.
    void Show();
    // Whether closing the window ends the message loop (off in tests, which make many).
    void SetQuitOnClose(bool quit) { quitOnClose_ = quit; }

    HWND handle() const { return window_; }
    HWND Control(ControlRole role) const { return controls_[static_cast<std::size_t>(role)]; }
    // The file type filter a row's chooser was given at start-up.
    const std::string& ChooserFilter(SelectionKind row) const {
        return filters_[static_cast<std::size_t>(row)];
    }
    std::uint32_t MarkColour(SelectionKind row) const {
        return markColours_[static_cast<std::size_t>(row)];
    }

    // The choosers behind the rows' buttons: the game row's, and the add-on rows'.
    void ChooseGame();
    void ChooseFile(SelectionKind row);
    // Files dropped onto the window go to the rows their names fit; the rest are listed.
    // A zip or a folder is installed whole, one package after the other.
    void DropFiles(const std::vector<std::string>& paths);
    // Installs a zip or a folder whole: every file in place, or none.
    void InstallPackage(const std::string& path);
    // The explanation a row's mark shows when hovered.
    std::string MarkTip(SelectionKind row) const;
    HWND Tooltip() const { return tooltip_; }
    // The path last confirmed in a row's chooser; empty until the first.
    const std::string& ChosenPath(SelectionKind row) const {
        return chosenPaths_[static_cast<std::size_t>(row)];
    }

    // Writes a row's box as the program does: the row's check runs exactly once, inside the
    // write, also when the text is unchanged.
    void WriteBoxText(SelectionKind row, const std::string& text);

    // The window operations the row checks use.
    std::string BoxText(SelectionKind row) override;
    void SetMarkColour(SelectionKind row, std::uint32_t colourWord) override;
    void SetMarkCaption(SelectionKind row, const std::string& caption) override;
    std::string MarkCaption(SelectionKind row) override;
    void EnableButton(ActionButton button, bool enabled) override;
    void NoteVerdict(SelectionKind row, Verdict verdict, const std::string& text) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void PrepareWindow();
    void ApplyDpi(UINT dpi);
    void OnCommand(int id, int code);
    LRESULT OnControlColour(HDC dc, HWND control);
    void Install();
    void ShowUndoReport(const UndoReport& report);
    // The window menu's commands: take the newest install back, show the backups.
    void UndoLastInstall();
    void OpenBackups();
    void ChoosePackage(bool folder);
    const RowNeeds& NeedsFor(SelectionKind row, const std::string& path) const;
    std::optional<std::string> Choose(SelectionKind row);
    void AcceptGamePick(const std::string& path);
    void CreateTooltip();
    void SetTooltipWidth();
    static LRESULT CALLBACK MarkProc(HWND mark, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    HWND MarkOf(SelectionKind row) const { return Control(RoleOf(row, ControlKind::Mark)); }
    HWND BoxOf(SelectionKind row) const { return Control(RoleOf(row, ControlKind::Box)); }

    InstallerState& state_;
    FileSystem& files_;
    Services& services_;
    HWND window_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::array<std::uint32_t, 5> markColours_{};
    std::array<std::string, 5> filters_;
    std::array<std::string, 5> chosenPaths_;
    std::array<Verdict, 5> verdicts_{};
    std::array<std::string, 5> judgedTexts_;
    struct NeedsCache {
        bool valid = false;
        std::string path;
        std::optional<FileStamp> stamp;
        std::string gameRoot;
        RowNeeds needs;
    };
    mutable std::array<NeedsCache, 5> needsCache_;
    HWND tooltip_ = nullptr;
    std::wstring tipText_;  // what the tooltip shows, kept while it shows it
    UniqueFont textFont_;
    UniqueFont markFont_;
    UniqueFont linkFont_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    UINT dpi_ = 96;
    bool creating_ = false;    // no control event is handled while the controls are made
    bool writingBox_ = false;  // the box's own change notice during a program write
    bool quitOnClose_ = true;
};

}  // namespace varnholt
