#include "ui/services.h"

#include <windows.h>

#include <shellapi.h>

#include "core/path_rules.h"
#include "platform/process.h"
#include "platform/text.h"
#include "ui/report_dialog.h"
#include "ui/site.h"

namespace varnholt {

bool SystemServices::StartProcess(const std::string& application, const std::string& commandLine,
                                  const std::string& folder) {
    return StartProgram(application, commandLine, folder);
}

void SystemServices::OpenAddress(const std::string& address) {
    ShellExecuteW(nullptr, L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int SystemServices::ShowMessage(void* owner, const std::string& text, const std::string& caption,
                                unsigned flags) {
    return MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(),
                       flags);
}

bool Services::ShowReport(void* owner, const std::string& text, bool warning, bool) {
    ShowMessage(owner, text, "提示", MB_OK | (warning ? MB_ICONWARNING : MB_ICONINFORMATION));
    return false;
}

bool SystemServices::ShowReport(void* owner, const std::string& text, bool warning,
                                bool offerUndo) {
    return ShowReportDialog(static_cast<HWND>(owner), text, warning, offerUndo);
}

void SystemServices::OpenFolder(const std::string& folder) {
    ShellExecuteW(nullptr, L"explore", Widen(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void LaunchGame(Services& services, const std::string& gamePath) {
    if (gamePath.empty()) return;
    // The executable is named as the program itself and quoted on its command line, so a
    // blank in a folder name can never make the system start a different file at a shorter
    // path. It runs in its own folder, where the engine and AMX Mod X look for their files.
    const std::string application = FullPathOf(gamePath);
    const std::string folder = LeftPart(application, LastPositionOf(application, "\\"));
    services.StartProcess(application, "\"" + gamePath + "\"", folder);
}

void OpenSite(Services& services) { services.OpenAddress(std::string(kSiteAddress)); }

}  // namespace varnholt
