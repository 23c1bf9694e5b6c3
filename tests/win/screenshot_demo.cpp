// Shows the main window with every kind of mark, for a screenshot: two rows accepted, one
// rejected, the others blank. Closes itself after the number of seconds given (default 5).
#include <windows.h>

#include <string>

#include "core/installer_state.h"
#include "platform/text.h"
#include "platform/win_file_system.h"
#include "ui/main_window.h"
#include "ui/services.h"

namespace {

class QuietServices final : public varnholt::Services {
public:
    bool StartProcess(const std::string&, const std::string&, const std::string&) override {
        return true;
    }
    void OpenAddress(const std::string&) override {}
    int ShowMessage(void*, const std::string&, const std::string&, unsigned) override { return 1; }
};

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    using namespace varnholt;
    const int seconds = arguments && *arguments ? _wtoi(arguments) : 5;
    InstallerState state;
    WinFileSystem files;
    QuietServices services;
    MainWindow window(state, files, services);
    if (!window.Create(instance)) return 1;
    window.Show();
    window.WriteBoxText(SelectionKind::Game, Narrow(TempFile(L"hl.exe")));
    window.WriteBoxText(SelectionKind::Plugin, Narrow(TempFile(L"parachute.amxx")));
    window.WriteBoxText(SelectionKind::Model, "D:\\models\\不存在的模型.mdl");
    SetTimer(window.handle(), 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
