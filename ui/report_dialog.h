#pragma once

#include <windows.h>

#include <string>

namespace varnholt {

// The id of the report's "撤销本次导入" button.
inline constexpr int kUndoButtonId = 100;

// Shows a report (caption "提示") in a modal box owned by `owner`: an icon, the text in a
// read-only box that scrolls and can be copied, OK and, with `offerUndo`, "撤销本次导入".
// True when the undo button was pressed.
bool ShowReportDialog(HWND owner, const std::string& text, bool warning, bool offerUndo);

}  // namespace varnholt
