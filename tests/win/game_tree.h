#pragma once

#include <string>

namespace varnholt::testing {

// A game under `root` as the installer expects it: every add-on folder below cstrike and an
// AMX Mod X plugin list holding `pluginList`. The paths are spelt out here rather than taken
// from the program, so a wrong folder in the program shows as a failed install.
void MakeGameTree(const std::string& root, const std::string& pluginList = "admin.amxx");

}  // namespace varnholt::testing
