#include "ui/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "core/companions.h"
#include "core/install.h"
#include "core/install_report.h"
#include "core/path_rules.h"
#include "core/plan_executor.h"
#include "core/undo.h"
#include "platform/process.h"
#include "platform/text.h"
#include "ui/file_dialog.h"
#include "ui/dpi.h"
#include "ui/services.h"
#include "ui/window_class.h"

namespace varnholt {
namespace {

constexpr wchar_t kWindowClass[] = L"VarnholtMainWindow";
constexpr wchar_t kCaption[] = L"Varnholt(Beta)";
constexpr int kAppIconId = 1;  // the icon resource linked into the exe
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kLinkColour = RGB(0, 102, 204);
// The window menu's own commands (system command ids keep their low four bits clear).
constexpr UINT kUndoLastCommand = 0x0110;
constexpr UINT kOpenBackupsCommand = 0x0120;
constexpr UINT kPackageCommand = 0x0130;
constexpr UINT kFolderCommand = 0x0140;

// The file type filters of the five choosers: a description, "|" and a pattern.
constexpr std::array<std::string_view, 5> kChooserFilters = {
    "请选择 cstrike.exe 或 hl.exe|*.exe", "插件(*.amxx)|*.amxx", "模型(*.mdl)|*.mdl",
    "特效(*.spr)|*.spr", "地图(*.bsp)|*.bsp"};

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
    constexpr DWORD label = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
    switch (kind) {
        case ControlKind::Caption: return {L"STATIC", label, 0};
        // Marks take the mouse for their tooltips, and pass a press on to move the window.
        case ControlKind::Mark: return {L"STATIC", label | SS_NOTIFY, 0};
        case ControlKind::Link: return {L"STATIC", label | SS_NOTIFY, 0};
        case ControlKind::Box:
            return {L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ChooseButton:
        case ControlKind::Button:
            return {L"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER, 0};
        case ControlKind::FileChooser: break;
    }
    return {nullptr, 0, 0};
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

std::size_t Index(SelectionKind row) { return static_cast<std::size_t>(row); }

// "varnholt-backup\2026-12-11 14-03-27\" -> "2026-12-11 14:03:27"
std::string InstallTimeOf(const PendingUndo& install) {
    std::string time = install.folder.substr(std::string_view(kBackupFolder).size());
    if (!time.empty()) time.pop_back();
    if (time.size() >= 19) {
        time[13] = ':';
        time[16] = ':';
    }
    return time;
}

}  // namespace

MainWindow::MainWindow(InstallerState& state, FileSystem& files, Services& services)
    : state_(state), files_(files), services_(services) {}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

bool MainWindow::Create(HINSTANCE instance) {
    if (!RegisterPlainWindowClass(instance, kWindowClass, WindowProc)) return false;
    // Created hidden; WM_CREATE makes the controls and prepares them before anything shows.
    CreateWindowExW(0, kWindowClass, kCaption, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
    return window_ != nullptr;
}

void MainWindow::Show() {
    const int width = Scale(kWindowWidth, dpi_);
    const int height = Scale(kWindowHeight, dpi_);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    // No exception may unwind through the system's code that called us.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            PrepareWindow();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kUndoLastCommand) {
                UndoLastInstall();
                return 0;
            }
            if ((wParam & 0xFFF0) == kOpenBackupsCommand) {
                OpenBackups();
                return 0;
            }
            if ((wParam & 0xFFF0) == kPackageCommand || (wParam & 0xFFF0) == kFolderCommand) {
                ChoosePackage((wParam & 0xFFF0) == kFolderCommand);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_NCHITTEST: {
            // The background and the labels move the window like its title bar.
            const LRESULT hit = DefWindowProcW(window_, message, wParam, lParam);
            return hit == HTCLIENT ? HTCAPTION : hit;
        }
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyDpi(HIWORD(wParam));
            return 0;
        }
        case WM_DROPFILES: {
            const HDROP drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::string> paths;
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
                paths.push_back(Narrow(path));
            }
            DragFinish(drop);
            DropFiles(paths);
            return 0;
        }
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (info->hdr.code != TTN_GETDISPINFOW) break;
            for (SelectionKind row : kAllRows) {
                if (reinterpret_cast<HWND>(info->hdr.idFrom) == MarkOf(row)) {
                    tipText_ = Widen(MarkTip(row));
                    info->lpszText = tipText_.data();
                }
            }
            return 0;
        }
        case WM_DESTROY:
            if (tooltip_) DestroyWindow(tooltip_);
            tooltip_ = nullptr;
            for (HWND& control : controls_) control = nullptr;
            if (quitOnClose_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            return 0;
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::CreateControls() {
    creating_ = true;
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const ControlSpec& entry : Layout()) {
        const ControlClass controlClass = ClassOf(entry.kind);
        if (!controlClass.name) continue;  // the choosers are dialogs, opened on demand
        HWND control = CreateWindowExW(
            controlClass.exStyle, controlClass.name, Widen(entry.text).c_str(), controlClass.style,
            entry.left, entry.top, entry.width, entry.height, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(entry.role))), instance,
            nullptr);
        controls_[static_cast<std::size_t>(entry.role)] = control;
        if (entry.kind == ControlKind::Box) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
        if (entry.kind == ControlKind::Link) {
            SetWindowSubclass(control, LinkProc, 1, reinterpret_cast<DWORD_PTR>(this));
        }
        if (entry.kind == ControlKind::Mark) {
            SetWindowSubclass(control, MarkProc, 1, reinterpret_cast<DWORD_PTR>(this));
        }
    }
    CreateTooltip();
    if (HMENU menu = GetSystemMenu(window_, FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kPackageCommand, L"导入整包(&P)…");
        AppendMenuW(menu, MF_STRING, kFolderCommand, L"导入文件夹(&F)…");
        AppendMenuW(menu, MF_STRING, kUndoLastCommand, L"撤销上次导入(&U)…");
        AppendMenuW(menu, MF_STRING, kOpenBackupsCommand, L"打开备份文件夹(&B)");
    }
    // Files dropped from Explorer, also from a program with fewer rights than ours.
    DragAcceptFiles(window_, TRUE);
    for (UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049}}) {
        ChangeWindowMessageFilterEx(window_, message, MSGFLT_ALLOW, nullptr);
    }
    ApplyDpi(DpiOfWindow(window_));
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const int smallSize = GetSystemMetrics(SM_CXSMICON);
    bigIcon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON,
                                                 iconSize, iconSize, 0)));
    smallIcon_.reset(static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, smallSize, smallSize, 0)));
    if (bigIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    if (smallIcon_) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }
    creating_ = false;
}

void MainWindow::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    LOGFONTW text = MessageFontFor(dpi);
    UniqueFont textFont(CreateFontIndirectW(&text));
    LOGFONTW link = text;
    link.lfUnderline = TRUE;
    UniqueFont linkFont(CreateFontIndirectW(&link));
    LOGFONTW mark = text;
    mark.lfHeight = -Scale(16, dpi);
    mark.lfWeight = FW_BOLD;
    UniqueFont markFont(CreateFontIndirectW(&mark));

    for (const ControlSpec& entry : Layout()) {
        HWND control = Control(entry.role);
        if (!control) continue;
        SetWindowPos(control, nullptr, Scale(entry.left, dpi), Scale(entry.top, dpi),
                     Scale(entry.width, dpi), Scale(entry.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        const HFONT font = entry.kind == ControlKind::Mark   ? markFont.get()
                           : entry.kind == ControlKind::Link ? linkFont.get()
                                                            : textFont.get();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // The old fonts go only now that no control holds them any more: a control repainting
    // in between must never draw with a deleted font.
    textFont_ = std::move(textFont);
    linkFont_ = std::move(linkFont);
    markFont_ = std::move(markFont);
    SetTooltipWidth();
}

void MainWindow::SetTooltipWidth() {
    if (!tooltip_) return;
    // Long paths wrap at a width made for this DPI, and never wider than the screen the
    // window is on.
    int width = Scale(420, dpi_);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const int room = monitor.rcWork.right - monitor.rcWork.left - Scale(16, dpi_);
        if (room > 0 && room < width) width = room;
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, width);
}

void MainWindow::PrepareWindow() {
    SetFocus(Control(ControlRole::GameCaption));
    OpenSite(services_);
    for (SelectionKind row : kAllRows) filters_[Index(row)] = kChooserFilters[Index(row)];
    EnableButton(ActionButton::Install, false);
    EnableButton(ActionButton::RunGame, false);
    FillDestinationFolders(state_);
}

void MainWindow::OnCommand(int id, int code) {
    if (creating_) return;
    const int index = id - kFirstControlId;
    if (index < 0 || index >= kControlCount) return;  // IDOK and IDCANCEL: Enter and Escape
    const ControlSpec& entry = Layout()[static_cast<std::size_t>(index)];
    if (entry.kind == ControlKind::Box && code == EN_CHANGE) {
        if (!writingBox_) CheckSelection(*entry.row, *this, files_);
        return;
    }
    // A click message can still reach a greyed-out button (BM_CLICK, accessibility tools);
    // a disabled button never acts.
    if (code != BN_CLICKED || !IsWindowEnabled(Control(entry.role))) return;
    switch (entry.role) {
        case ControlRole::InstallButton: Install(); break;
        case ControlRole::RunGameButton: LaunchGame(services_, BoxText(SelectionKind::Game)); break;
        case ControlRole::GameChooseButton: ChooseGame(); break;
        case ControlRole::PluginChooseButton:
        case ControlRole::ModelChooseButton:
        case ControlRole::EffectChooseButton:
        case ControlRole::MapChooseButton: ChooseFile(*entry.row); break;
        default: break;
    }
}

LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
    SetBkMode(dc, TRANSPARENT);
    for (SelectionKind row : kAllRows) {
        if (control == MarkOf(row)) SetTextColor(dc, markColours_[Index(row)]);
    }
    if (control == Control(ControlRole::SiteLink)) SetTextColor(dc, kLinkColour);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK MainWindow::MarkProc(HWND mark, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
    if (message == WM_LBUTTONDOWN) {
        // A press on a mark moves the window, as on every other label (nothing here throws).
        ReleaseCapture();
        SendMessageW(reinterpret_cast<MainWindow*>(self)->window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    }
    return DefSubclassProc(mark, message, wParam, lParam);
}

void MainWindow::CreateTooltip() {
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, nullptr, nullptr);
    if (!tooltip_) return;
    for (SelectionKind row : kAllRows) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(MarkOf(row));
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

LRESULT CALLBACK MainWindow::LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
    switch (message) {
        case WM_LBUTTONDOWN:
            // On the press, not the release; a double click's second press arrives as
            // WM_LBUTTONDBLCLK and opens nothing more.
            try {
                OpenSite(reinterpret_cast<MainWindow*>(self)->services_);
            } catch (...) {
                // Opening the site is best effort; nothing unwinds into the system.
            }
            return 0;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_NCHITTEST: return HTCLIENT;
        default: break;
    }
    return DefSubclassProc(link, message, wParam, lParam);
}

void MainWindow::Install() {
    AddOnRows rows;
    for (std::size_t i = 0; i < kAddOnRows.size(); ++i) {
        rows[i] = {MarkCaption(kAddOnRows[i]), BoxText(kAddOnRows[i])};
    }
    const InstallReport report = InstallSelected(state_, rows, files_);
    const bool undo = services_.ShowReport(window_, FormatInstallReport(report),
                                           !report.allSucceeded(), !report.journalFolder.empty());
    if (!undo) return;
    if (const std::optional<PendingUndo> install =
            ReadInstall(state_.GameRoot, report.journalFolder, files_)) {
        ShowUndoReport(UndoInstall(state_.GameRoot, *install, files_));
    }
}

void MainWindow::ShowUndoReport(const UndoReport& report) {
    services_.ShowReport(window_, "撤销导入：\r\n" + FormatUndoReport(report), !report.complete,
                         false);
}

void MainWindow::UndoLastInstall() {
    const std::optional<PendingUndo> install = FindLastInstall(state_.GameRoot, files_);
    if (!install) {
        services_.ShowMessage(window_, "没有可以撤销的导入。", "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string question = "将撤销 " + InstallTimeOf(*install) + " 的导入：\r\n" +
                                 DescribeUndo(*install) + "\r\n确定要撤销吗？";
    if (services_.ShowMessage(window_, question, "提示", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    ShowUndoReport(UndoInstall(state_.GameRoot, *install, files_));
}

void MainWindow::OpenBackups() {
    const std::string folder = state_.GameRoot + kBackupFolder;
    if (!files_.IsFolder(folder)) {
        services_.ShowMessage(window_, "还没有备份：导入时被替换的文件会保存在游戏目录的 " +
                                           std::string(kBackupFolder) + " 文件夹中。",
                              "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    services_.OpenFolder(FullPathOf(folder));
}

std::optional<std::string> MainWindow::Choose(SelectionKind row) {
    std::optional<std::string> picked =
        OpenFileDialog(window_, filters_[Index(row)], "D:\\", chosenPaths_[Index(row)]);
    if (picked) chosenPaths_[Index(row)] = *picked;
    return picked;
}

void MainWindow::ChooseFile(SelectionKind row) {
    // A cancelled dialog changes nothing: the box keeps what the user typed.
    const std::optional<std::string> picked = Choose(row);
    if (picked) WriteBoxText(row, *picked);
}

void MainWindow::ChooseGame() {
    const std::optional<std::string> picked = Choose(SelectionKind::Game);
    if (!picked) return;  // nor does it change the game folder or warn again
    AcceptGamePick(*picked);
}

void MainWindow::AcceptGamePick(const std::string& path) {
    WriteBoxText(SelectionKind::Game, path);
    state_.GameRoot = GameRootOf(path);
    // The chooser's own name test, without the existence query; the buttons keep what the
    // row's check gave them.
    const std::string text = BoxText(SelectionKind::Game);
    if (text.empty()) {
        WriteMark(*this, SelectionKind::Game, CheckMark::Blank);
    } else if (IsGameExecutableName(text)) {
        WriteMark(*this, SelectionKind::Game, CheckMark::Accepted);
        NoteVerdict(SelectionKind::Game, Verdict::Accepted, text);
    } else {
        services_.ShowMessage(nullptr, "请选择正确的目录", "提示", MB_OKCANCEL | MB_TASKMODAL);
        WriteMark(*this, SelectionKind::Game, CheckMark::Rejected);
        NoteVerdict(SelectionKind::Game, Verdict::WrongGameName, text);
    }
}

void MainWindow::ChoosePackage(bool folder) {
    const std::optional<std::string> picked =
        folder ? ChooseFolderDialog(window_, "选择要导入的文件夹（整个文件夹会按游戏目录结构导入）")
               : OpenFileDialog(window_, "整包(*.zip)|*.zip", "D:\\", {});
    if (picked) InstallPackage(*picked);
}

void MainWindow::DropFiles(const std::vector<std::string>& paths) {
    std::array<std::optional<std::string>, 5> picks;
    std::string unknown;
    std::vector<std::string> packages;
    for (const std::string& path : paths) {
        if (IsPackagePath(path, files_)) {
            packages.push_back(path);
            continue;
        }
        const std::optional<SelectionKind> row = RowForFile(path);
        if (row) {
            picks[Index(*row)] = path;  // the last of several for one row wins
        } else {
            unknown += "\r\n" + FileNameOf(path);
        }
    }
    // The game file is taken exactly as a confirmed pick in its chooser.
    if (const auto& game = picks[Index(SelectionKind::Game)]) {
        chosenPaths_[Index(SelectionKind::Game)] = *game;
        AcceptGamePick(*game);
    }
    for (SelectionKind row : kAddOnRows) {
        if (picks[Index(row)]) WriteBoxText(row, *picks[Index(row)]);
    }
    if (!unknown.empty()) {
        services_.ShowMessage(window_, "以下文件不属于任何一栏，没有使用：" + unknown, "提示",
                              MB_OK | MB_ICONINFORMATION);
    }
    for (const std::string& package : packages) InstallPackage(package);
}

void MainWindow::NoteVerdict(SelectionKind row, Verdict verdict, const std::string& text) {
    verdicts_[Index(row)] = verdict;
    judgedTexts_[Index(row)] = text;
}

std::string MainWindow::MarkTip(SelectionKind row) const {
    const std::string& text = judgedTexts_[Index(row)];
    switch (verdicts_[Index(row)]) {
        case Verdict::Blank: return "尚未选择文件";
        case Verdict::Missing: return "文件不存在：" + text;
        case Verdict::WrongGameName: return "游戏文件必须命名为 hl.exe 或 cstrike.exe（小写）";
        case Verdict::WrongExtension:
            return "文件扩展名必须是 ." + std::string(AcceptedExtension(row)) + "（小写）";
        case Verdict::Accepted: break;
    }
    const std::string unchosen = "尚未通过“选择目录”选择游戏，将按程序所在的文件夹计算";
    if (row == SelectionKind::Game) {
        return "游戏：" + text + "\r\n" +
               (state_.GameRoot.empty() ? unchosen : "游戏目录：" + state_.GameRoot);
    }
    const RowNeeds& needs = NeedsFor(row, text);
    const std::string destination = needs.mainRelative.empty()
                                        ? DestinationFolderOf(state_, row)
                                        : FolderPartOf(needs.mainRelative);
    std::string tip = "将导入：" + text + "\r\n到：" + state_.GameRoot + destination;
    if (state_.GameRoot.empty()) tip += "\r\n（" + unchosen + "）";
    const std::string more = DescribeNeeds(needs);
    if (!more.empty()) tip += "\r\n" + more.substr(0, more.size() - 2);
    return tip;
}

const RowNeeds& MainWindow::NeedsFor(SelectionKind row, const std::string& path) const {
    // The file's header is read once for each chosen file, not on every hover; a file
    // changed since, or another game folder, is read again.
    NeedsCache& cached = needsCache_[Index(row)];
    const std::optional<FileStamp> stamp = files_.StampOf(path);
    if (!cached.valid || cached.path != path || cached.stamp != stamp ||
        cached.gameRoot != state_.GameRoot) {
        cached = {true, path, stamp, state_.GameRoot,
                  NeedsOfRow(row, path, DestinationFolderOf(state_, row), state_.GameRoot, files_)};
    }
    return cached.needs;
}

void MainWindow::WriteBoxText(SelectionKind row, const std::string& text) {
    // The edit control's own change notice is held back so the check runs exactly once,
    // even when the text is the same as before and the control would stay silent.
    writingBox_ = true;
    SetWindowTextW(BoxOf(row), Widen(text).c_str());
    writingBox_ = false;
    CheckSelection(row, *this, files_);
}

std::string MainWindow::BoxText(SelectionKind row) { return WindowText(BoxOf(row)); }

void MainWindow::SetMarkColour(SelectionKind row, std::uint32_t colourWord) {
    markColours_[Index(row)] = colourWord;
    InvalidateRect(MarkOf(row), nullptr, TRUE);
}

void MainWindow::SetMarkCaption(SelectionKind row, const std::string& caption) {
    SetWindowTextW(MarkOf(row), Widen(caption).c_str());
    // A transparent label does not erase its old caption by itself.
    RECT area;
    HWND mark = MarkOf(row);
    GetWindowRect(mark, &area);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    InvalidateRect(window_, &area, TRUE);
}

std::string MainWindow::MarkCaption(SelectionKind row) { return WindowText(MarkOf(row)); }

void MainWindow::EnableButton(ActionButton button, bool enabled) {
    const ControlRole role =
        button == ActionButton::Install ? ControlRole::InstallButton : ControlRole::RunGameButton;
    EnableWindow(Control(role), enabled ? TRUE : FALSE);
}

}  // namespace varnholt
