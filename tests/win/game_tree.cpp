#include "tests/win/game_tree.h"

#include "tests/win/temp_folder.h"

namespace varnholt::testing {

void MakeGameTree(const std::string& root, const std::string& pluginList) {
    for (const char* folder :
         {"cstrike\\addons\\amxmodx\\plugins", "cstrike\\addons\\amxmodx\\configs",
          "cstrike\\models", "cstrike\\sprites", "cstrike\\maps"}) {
        MakeFolders(root + "\\" + folder);
    }
    WriteBytes(root + "\\cstrike\\addons\\amxmodx\\configs\\plugins.ini", pluginList);
}

}  // namespace varnholt::testing
