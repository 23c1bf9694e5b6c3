#pragma once

#include <windows.h>

namespace varnholt {

// Sizes are designed at 96 DPI and scaled to the window's DPI. Functions newer than
// Windows 7 are looked up at run time, with the system-wide DPI as the fallback.

UINT DpiOfWindow(HWND window);
inline int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }
// The system's message font, sized for `dpi`.
LOGFONTW MessageFontFor(UINT dpi);

}  // namespace varnholt
