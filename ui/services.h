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
};

// The real thing.
class SystemServices final : public Services {
public:
    bool StartProcess(const std::string& application, const std::string& commandLine,
                      const std::string& folder) override;
    void OpenAddress(const std::string& address) override;
    int ShowMessage(void* owner, const std::string& text, const std::string& caption,
                    unsigned flags) override;
};

// Starts the game named by the game row's text.
void LaunchGame(Services& services, const std::string& gamePath);
// Opens the program's web site.
void OpenSite(Services& services);

}  // namespace varnholt
