#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <thread>

namespace varnholt::testing {

// Plays the user in the next open-file dialog owned by `owner`: from another thread it
// waits for the dialog, notes what it shows, then types a path and confirms, or cancels.
// The dialog runs its modal loop on the window's thread meanwhile.
class DialogDriver {
public:
    struct Seen {
        bool found = false;
        std::string fileName;  // the file name field as it opened
        std::string fileType;  // the selected file type
        bool closed = false;   // the dialog went away after the answer
    };

    // Confirms `path`; with no path, cancels.
    DialogDriver(HWND owner, std::optional<std::string> path);
    ~DialogDriver();
    // Waits for the driver to finish and tells what it saw.
    const Seen& Finish();

private:
    void Run(HWND owner, std::optional<std::string> path);

    std::thread thread_;
    Seen seen_;
};

}  // namespace varnholt::testing
