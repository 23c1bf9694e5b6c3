#pragma once

#include <string>

namespace varnholt {

// The window's ways out into the system: starting a program, handing an address to the
// browser, and showing a message box. Tests put a recorder in their place.
class Services {
public:
    virtual ~Services() = default;
    // Starts `application` with `commandLine` in `folder`, in a normal activated window;
    // waits at most a second for it to settle and never for it to end.
    virtual bool StartProcess(const std::string& application, const std::string& commandLine,
                              const std::string& folder) = 0;
    // Hands `address` to the shell's "open" (the default browser for a web address).
    virtual void OpenAddress(const std::string& address) = 0;
    // A message box owned by `owner` (a window handle, or null); gives the button pressed.
    virtual int ShowMessage(void* owner, const std::string& text, const std::string& caption,
                            unsigned flags) = 0;
    // An install's or an undo's report, captioned "提示", in a box that scrolls and lets the
    // text be copied; with `offerUndo` it has a button "撤销本次导入" beside OK. True when
    // that button was pressed. By default a plain message box.
    virtual bool ShowReport(void* owner, const std::string& text, bool warning, bool offerUndo);
    // Opens a folder in the system's file browser.
    virtual void OpenFolder(const std::string& folder) { OpenAddress(folder); }
};

// The real thing.
class SystemServices final : public Services {
public:
    bool StartProcess(const std::string& application, const std::string& commandLine,
                      const std::string& folder) override;
    void OpenAddress(const std::string& address) override;
    int ShowMessage(void* owner, const std::string& text, const std::string& caption,
                    unsigned flags) override;
    bool ShowReport(void* owner, const std::string& text, bool warning, bool offerUndo) override;
    void OpenFolder(const std::string& folder) override;
};

// Starts the game named by the game row's text.
void LaunchGame(Services& services, const std::string& gamePath);
// Opens the program's web site.
void OpenSite(Services& services);

}  // namespace varnholt
