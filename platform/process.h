#pragma once

#include <string>

namespace varnholt {

// Starts `application` (a full path) with `commandLine` in `folder`, in a normal activated
// window; waits at most a second for it to become idle, never for it to end, and keeps no
// handle. False when the process could not be created.
bool StartProgram(const std::string& application, const std::string& commandLine,
                  const std::string& folder);

// `path` made absolute against the current folder, without touching the file system.
std::string FullPathOf(const std::string& path);

}  // namespace varnholt

namespace varnholt {

// Makes the folder that holds the program's own exe the process's current folder.
void EnterProgramFolder();

}  // namespace varnholt
