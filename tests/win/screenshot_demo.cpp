// Shows the main window with every kind of mark, for a screenshot: two rows accepted, one
// rejected, the others blank. Arguments: seconds before it ends (default 5), then "dialog"
// to open the plugin row's chooser, or "warning" to show the game chooser's warning.
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

void CALLBACK EndDemo(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(0); }

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    using namespace varnholt;
    const std::wstring args = arguments ? arguments : L"";
    const int seconds = args.empty() ? 5 : _wtoi(args.c_str());
    InstallerState state;
    WinFileSystem files;
    QuietServices services;
    MainWindow window(state, files, services);
    if (!window.Create(instance)) return 1;
    window.Show();
    window.WriteBoxText(SelectionKind::Game, Narrow(TempFile(L"hl.exe")));
    window.WriteBoxText(SelectionKind::Plugin, Narrow(TempFile(L"parachute.amxx")));
    window.WriteBoxText(SelectionKind::Model, "D:\\models\\不存在的模型.mdl");
    // Ends from inside whatever modal loop is running by then.
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndDemo);
    if (args.find(L"dialog") != std::wstring::npos) {
        PostMessageW(window.Control(ControlRole::PluginChooseButton), BM_CLICK, 0, 0);
    } else if (args.find(L"warning") != std::wstring::npos) {
        SystemServices().ShowMessage(nullptr, "请选择正确的目录", "提示", MB_OKCANCEL | MB_TASKMODAL);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
