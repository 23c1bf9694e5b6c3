#include "ui/report_dialog.h"

#include <vector>

#include "platform/text.h"

namespace varnholt {
namespace {

constexpr int kTextId = 101;
constexpr int kIconId = 102;

struct ReportData {
    std::wstring text;
    bool warning;
};

// A dialog template in memory: the box is small and fixed, so no resource file is needed.
class Template {
public:
    void Align() {
        if (words_.size() % 2) words_.push_back(0);
    }
    void Word(WORD value) { words_.push_back(value); }
    void Long(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text) {
        for (; *text; ++text) Word(*text);
        Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const wchar_t* text) {
        Align();
        Long(style | WS_CHILD | WS_VISIBLE);
        Long(0);
        for (short value : {x, y, cx, cy}) Word(static_cast<WORD>(value));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

INT_PTR CALLBACK ReportProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* data = reinterpret_cast<const ReportData*>(lParam);
            SetWindowTextW(dialog, L"提示");
            SetDlgItemTextW(dialog, kTextId, data->text.c_str());
            const HICON icon = LoadIconW(nullptr, data->warning ? IDI_WARNING : IDI_INFORMATION);
            SendDlgItemMessageW(dialog, kIconId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            SetFocus(GetDlgItem(dialog, IDOK));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL: EndDialog(dialog, 0); return TRUE;
                case kUndoButtonId: EndDialog(dialog, 1); return TRUE;
                default: break;
            }
            break;
        default: break;
    }
    return FALSE;
}

}  // namespace

bool ShowReportDialog(HWND owner, const std::string& text, bool warning, bool offerUndo) {
    constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
    Template t;
    t.Long(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Long(0);
    t.Word(offerUndo ? 4 : 3);
    for (short value : {0, 0, 320, 186}) t.Word(static_cast<WORD>(value));
    t.Word(0);  // no menu
    t.Word(0);  // the standard dialog class
    t.Text(L"提示");
    t.Word(9);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_ICON, 8, 8, 20, 20, kIconId, kStatic, L"");
    t.Item(ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 36, 8,
           276, 150, kTextId, kEdit, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 256, 164, 56, 16, IDOK, kButton, L"确定");
    if (offerUndo) {
        t.Item(BS_PUSHBUTTON | WS_TABSTOP, 176, 164, 72, 16, kUndoButtonId, kButton,
               L"撤销本次导入");
    }
    ReportData data{Widen(text), warning};
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, ReportProc,
                                   reinterpret_cast<LPARAM>(&data)) == 1;
}

}  // namespace varnholt
