#pragma once

#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/selection.h"

namespace varnholt {

// A file that goes into the game together with an add-on row's own file.
struct Companion {
    std::string source;    // the file to copy
    std::string relative;  // its destination below the game folder ("cstrike\\gfx\\env\\skyup.tga")
};

// A file the add-on loads that is neither beside it nor in the game.
struct MissingFile {
    std::string name;    // what is missing ("v_ak47t.mdl", "halflife.wad", "hamsandwich_amxx.dll")
    std::string effect;  // what that does in the game ("游戏加载该模型时会出错退出")
};

// What installing one add-on row takes, found by reading its file before anything is copied.
struct RowNeeds {
    // Where the row's own file goes below the game folder: the row's folder and file name, or
    // for a player model "cstrike\\models\\player\\NAME\\NAME.mdl".
    std::string mainRelative;
    bool createFolders = false;         // a player model's own folder may have to be made
    std::vector<Companion> companions;  // installed with the row, in the same unit
    std::vector<MissingFile> missing;   // neither beside the source nor in the game
    std::vector<std::string> warnings;  // the file is not what its name says, or will not run
};

// Reads the row's file (a map only in its header and entity text) through `files` and works
// out what it needs beside it. `gameRoot` ends in a backslash or is empty for the current
// folder; `defaultFolder` is the row's folder field ("cstrike\\models\\"). A file that cannot
// be read gives a warning and nothing else.
RowNeeds NeedsOfRow(SelectionKind row, const std::string& sourcePath,
                    const std::string& defaultFolder, const std::string& gameRoot,
                    FileSystem& files);

// Lines for the install report and the mark's tooltip, each ending in "\r\n": where a player
// model goes, what comes along, what is missing and the warnings. Empty when there is nothing
// to say.
std::string DescribeNeeds(const RowNeeds& needs);

}  // namespace varnholt
