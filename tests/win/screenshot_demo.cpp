// Shows the main window with every kind of mark, for a screenshot: two rows accepted, one
// rejected, the others blank. Arguments: seconds before it ends (default 5), then "dialog"
// to open the plugin row's chooser, or "warning" to show the game chooser's warning.
#include <windows.h>

#include <cstring>
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
    bool ShowReport(void* owner, const std::string& text, bool warning, bool offerUndo) override {
        return varnholt::SystemServices().ShowReport(owner, text, warning, offerUndo);
    }
};

// A small game and an add-on package beside it, in the temporary folder.
std::string MakePackageDemo(varnholt::InstallerState& state) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    // A fresh folder each time, so the report shows a first install.
    const std::wstring root =
        std::wstring(base) + L"varnholt-demo-" + varnholt::DecimalTextW(GetTickCount());
    const auto write = [&](const std::wstring& path, const char* bytes) {
        for (std::size_t at = path.find(L'\\', root.size() + 1); at != std::wstring::npos;
             at = path.find(L'\\', at + 1)) {
            CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD wrote = 0;
        WriteFile(file, bytes, static_cast<DWORD>(strlen(bytes)), &wrote, nullptr);
        CloseHandle(file);
    };
    CreateDirectoryW(root.c_str(), nullptr);
    write(root + L"\\cs\\hl.exe", "MZ");
    write(root + L"\\cs\\cstrike\\server.cfg", "hostname mine");
    write(root + L"\\cs\\cstrike\\addons\\amxmodx\\configs\\plugins.ini", "admin.amxx");
    const std::wstring pack = root + L"\\僵尸模式 v1.2";
    write(pack + L"\\cstrike\\addons\\amxmodx\\plugins\\zombie.amxx", "AMXX");
    write(pack + L"\\cstrike\\addons\\amxmodx\\configs\\zombie.cfg", "zp_delay 10");
    write(pack + L"\\cstrike\\server.cfg", "hostname zombies");
    write(pack + L"\\cstrike\\sound\\zombie\\infect.wav", "RIFF");
    write(pack + L"\\cstrike\\sound\\zombie\\win.wav", "RIFF");
    write(pack + L"\\cstrike\\models\\player\\zombie\\zombie.mdl", "IDST");
    write(pack + L"\\说明.txt", "readme");
    write(pack + L"\\截图.jpg", "picture");
    state.GameRoot = varnholt::Narrow(root + L"\\cs\\");
    return varnholt::Narrow(pack);
}

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
    } else if (args.find(L"package") != std::wstring::npos) {
        window.InstallPackage(MakePackageDemo(state));
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
