#include <windows.h>

#include <ole2.h>

#include "core/installer_state.h"
#include "platform/process.h"
#include "platform/win_file_system.h"
#include "ui/main_window.h"
#include "ui/services.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace varnholt;
    OleInitialize(nullptr);
    EnterProgramFolder();

    InstallerState state;
    WinFileSystem files;
    SystemServices services;
    int exitCode = 1;
    {
        MainWindow window(state, files, services);
        if (window.Create(instance)) {
            window.Show();
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                // Gives Tab its dialog-like movement between the boxes and buttons.
                if (IsDialogMessageW(window.handle(), &message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            exitCode = 0;
        }
    }
    OleUninitialize();
    return exitCode;
}
