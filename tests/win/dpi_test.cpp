#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/window_fixture.h"
#include "ui/dpi.h"
#include "ui/layout.h"

namespace varnholt::testing {
namespace {

// Notes every control that is handed a new font while the one it still holds is already
// deleted: it could paint with that font at that moment.
std::vector<int> g_strandedControls;

LRESULT CALLBACK WatchFont(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    if (message == WM_SETFONT) {
        const auto held = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
        if (held && GetObjectType(held) != OBJ_FONT) {
            g_strandedControls.push_back(GetDlgCtrlID(control));
        }
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void ChangeDpi(HWND window, UINT dpi) {
    RECT suggested = {0, 0, Scale(kWindowWidth, dpi), Scale(kWindowHeight, dpi)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST_F(WindowTest, NoControlHoldsADeletedFontWhileTheDpiChanges) {
    std::vector<HWND> watched;
    for (const ControlSpec& entry : Layout()) {
        if (HWND control = Control(entry.role)) {
            SetWindowSubclass(control, WatchFont, 7, 0);
            watched.push_back(control);
        }
    }
    g_strandedControls.clear();
    for (UINT dpi : {144u, 192u, 96u}) ChangeDpi(handle, dpi);
    for (HWND control : watched) RemoveWindowSubclass(control, WatchFont, 7);
    EXPECT_TRUE(g_strandedControls.empty())
        << g_strandedControls.size() << " controls held a deleted font, the first id "
        << g_strandedControls.front();
    for (HWND control : watched) {
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
        EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << GetDlgCtrlID(control);
    }
}

TEST_F(WindowTest, TooltipWrapsAtAWidthForTheDpiAndTheScreen) {
    HWND tip = window->Tooltip();
    ASSERT_NE(tip, nullptr);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor));
    const int screen = monitor.rcWork.right - monitor.rcWork.left;
    // 480 DPI asks for more than the 1280-pixel test screen has.
    for (UINT dpi : {96u, 144u, 192u, 480u, 120u}) {
        ChangeDpi(handle, dpi);
        const int width = static_cast<int>(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0));
        const int wanted = std::min(Scale(420, dpi), screen - Scale(16, dpi));
        EXPECT_EQ(width, wanted) << "at " << dpi << " DPI";
        EXPECT_LT(width, screen) << "at " << dpi << " DPI";
    }
}

}  // namespace
}  // namespace varnholt::testing
