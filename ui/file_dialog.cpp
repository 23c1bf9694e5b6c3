#include "ui/file_dialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/handles.h"
#include "platform/text.h"

namespace varnholt {

std::optional<std::string> OpenFileDialog(HWND owner, std::string_view filter,
                                          const std::string& startFolder,
                                          const std::string& prefilled) {
    // The dialog wants "description\0pattern\0", closed by one more NUL.
    std::wstring types = Widen(filter);
    for (wchar_t& c : types) {
        if (c == L'|') c = L'\0';
    }
    types.append(2, L'\0');
    const std::wstring folder = Widen(startFolder);
    // Room for the longest path Windows knows, not only MAX_PATH.
    std::vector<wchar_t> path(32768, L'\0');
    const std::wstring initial = Widen(prefilled);
    initial.copy(path.data(), std::min(initial.size(), path.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = types.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                   OFN_OVERWRITEPROMPT;
    // The dialog's DLL (and the printing support it brings along) is loaded only when a
    // chooser opens, so start-up does not pay for it.
    const UniqueModule dialogs(LoadLibraryW(L"comdlg32.dll"));
    using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
    const auto getOpenFileName = reinterpret_cast<GetOpenFileNameFn>(
        reinterpret_cast<void*>(GetProcAddress(dialogs.get(), "GetOpenFileNameW")));
    if (!getOpenFileName || !getOpenFileName(&dialog)) return std::nullopt;
    return Narrow(path.data());
}

std::optional<std::string> ChooseFolderDialog(HWND owner, const std::string& title) {
    const std::wstring prompt = Widen(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = prompt.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return std::nullopt;
    std::vector<wchar_t> path(32768, L'\0');
    const BOOL named = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    if (!named) return std::nullopt;
    return Narrow(path.data());
}

}  // namespace varnholt
