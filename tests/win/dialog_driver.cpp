#include "tests/win/dialog_driver.h"

#include <dlgs.h>

#include "platform/text.h"

namespace varnholt::testing {
namespace {

struct Search {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    wchar_t name[16];
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && GetWindow(window, GW_OWNER) == search->owner &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(HWND owner, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        Search search{owner, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(20);
    }
    return nullptr;
}

std::string ItemText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    SendDlgItemMessageW(dialog, id, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return Narrow(text);
}

}  // namespace

DialogDriver::DialogDriver(HWND owner, std::optional<std::string> path)
    : thread_([this, owner, path] { Run(owner, path); }) {}

DialogDriver::~DialogDriver() {
    if (thread_.joinable()) thread_.join();
}

const DialogDriver::Seen& DialogDriver::Finish() {
    if (thread_.joinable()) thread_.join();
    return seen_;
}

void DialogDriver::Run(HWND owner, std::optional<std::string> path) {
    HWND dialog = WaitForDialog(owner, 10000);
    if (!dialog) return;
    seen_.found = true;
    Sleep(100);  // let the dialog finish filling itself in
    seen_.fileName = ItemText(dialog, cmb13);
    const LRESULT selected = SendDlgItemMessageW(dialog, cmb1, CB_GETCURSEL, 0, 0);
    wchar_t type[256] = {};
    if (selected >= 0) {
        SendDlgItemMessageW(dialog, cmb1, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(type));
    }
    seen_.fileType = Narrow(type);
    if (path) {
        SendDlgItemMessageW(dialog, cmb13, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(Widen(*path).c_str()));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    } else {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
    for (int waited = 0; waited < 5000 && IsWindow(dialog); waited += 20) Sleep(20);
    seen_.closed = !IsWindow(dialog);
    if (!seen_.closed) {
        // Something kept it open (a refused name): close it so the test can go on.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

}  // namespace varnholt::testing
