#pragma once

#include <string>

namespace varnholt {

// The program-wide state. Every field keeps its value until overwritten; nothing is reset
// between install runs.
struct InstallerState {
    std::string GameRoot;  // set by the game chooser only

    // Destination folders relative to GameRoot, each ending in a backslash.
    std::string PluginFolder;
    std::string ModelFolder;
    std::string EffectFolder;
    std::string MapFolder;

    // Written by the install run.
    std::string PluginFileName;
    std::string ModelFileName;
    std::string EffectFileName;
    std::string MapFileName;
    std::string PluginListText;  // the plugin list as the last registration composed it
    std::string DestinationFolder;
};

// The destination folders the window fills in at start-up.
void FillDestinationFolders(InstallerState& state);

}  // namespace varnholt
