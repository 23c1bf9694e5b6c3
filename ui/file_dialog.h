#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace varnholt {

// The system's open-file dialog, modal over `owner`. `filter` is a description, "|" and a
// pattern; `startFolder` is where it opens unless the system prefers the folder of
// `prefilled`, the file name shown at first. Gives the confirmed full path, or nothing when
// the dialog was cancelled, closed or failed.
std::optional<std::string> OpenFileDialog(HWND owner, std::string_view filter,
                                          const std::string& startFolder,
                                          const std::string& prefilled);

// The system's folder picker, modal over `owner`; the chosen folder, or nothing.
std::optional<std::string> ChooseFolderDialog(HWND owner, const std::string& title);

}  // namespace varnholt
