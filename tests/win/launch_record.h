#pragma once

#include <optional>
#include <string>

namespace varnholt::testing {

// What the launch helper (launch_helper.cpp), standing in for the game, saw of its own start.
// It writes the fields in this order, UTF-8, one a line, to kLaunchRecordName beside itself.
struct LaunchRecord {
    std::string commandLine;  // GetCommandLineW()
    std::string folder;       // its current folder when it started
    std::string showWindow;   // STARTUPINFO's wShowWindow, in decimal
};

inline constexpr char kLaunchRecordName[] = "launch-record.txt";

// The helper program, built beside the test programs.
std::string LaunchHelperPath();
// The record of a helper that runs from `folder`, once it is written; nothing when none
// appears within five seconds.
std::optional<LaunchRecord> WaitForLaunchRecord(const std::string& folder);

}  // namespace varnholt::testing
