#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/file_system.h"

namespace varnholt {

enum class PlaceOutcome {
    Installed,
    AlreadyInPlace,  // the chosen file already is the destination file
    SourceMissing,
    SourceIsFolder,  // the row's path names a folder, which cannot be copied as a file
    DestinationFolderMissing,
    FolderInTheWay,  // a folder of the file's name stands at the destination
    AccessDenied,
    InUse,
    DiskFull,
    NameIsPattern,  // "*" or "?" in the name: a pattern, not a real file name
    BackupFailed,   // the old file could not be kept, so it was not replaced
    KeptSetting,    // a setting of the player's that is never overwritten
    TakenBack,      // placed, then taken back because its unit failed
    Failed,  // RowReport::systemText says why
};

enum class RegisterOutcome {
    Registered,
    ListMissing,
    ListAccessDenied,
    ListInUse,
    ListUnreadable,
    NameNotRepresentable,  // the name has characters the system's code page cannot hold
    NameIsPattern,         // "*" or "?" in the name: never written to the list
    AlreadyListed,         // an active entry of that name is in the list already
    TakenBack,             // written, then cut back out because the file was not placed
    TakeBackFailed,        // written, the file was not placed, and the list changed since
    Failed,                // RegisterReport::systemText says why
};

// Content that is not a file of its own, such as a zip entry: written into a new file.
class PlacementContent {
public:
    virtual ~PlacementContent() = default;
    virtual FileResult WriteTo(NewFile& file) = 0;
    virtual std::uint64_t Size() const = 0;
};

// One file to put into the game.
struct Placement {
    std::string source;    // the file copied, or what `content` is called in the report
    std::shared_ptr<PlacementContent> content;  // set when the bytes come from elsewhere
    std::string relative;  // the destination below the game folder: cstrike\models\x.mdl
    bool createFolders = false;  // folders on the way are made (the rows' folders never are)
    bool keepExisting = false;   // a file of the player's own that is never replaced
};

// A name appended to an AMX Mod X list, in the bytes the list is written in.
struct ListAddition {
    std::string listRelative;  // cstrike\addons\amxmodx\configs\plugins.ini
    std::string name;
    // Set when the name must not be written (it would reach AMX Mod X garbled): the list is
    // still read, so its own faults are reported first, and then left as it is.
    RegisterOutcome refusal = RegisterOutcome::Registered;
};

// What goes in, or is taken back, together: a row with the files it needs, or a package.
// The list additions come first: a plugin is registered before its file is copied.
struct PlanUnit {
    std::vector<ListAddition> additions;
    std::vector<Placement> placements;
    bool stopsAtFirstFailure = false;  // a package stops and is taken back whole
    // A row registers its plugin even when the list cannot take it; only placements decide
    // whether the unit went in.
};

struct InstallPlan {
    std::string gameRoot;  // ends in a backslash, or is empty for the current folder
    std::vector<PlanUnit> units;
};

// Where the backups and journals of every install are kept, below the game folder.
inline constexpr char kBackupFolder[] = "varnholt-backup\\";

}  // namespace varnholt
