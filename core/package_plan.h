#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "core/install_plan.h"
#include "core/zip_archive.h"

namespace varnholt {

// One file of a package, from a folder (sourcePath set) or a zip (content set).
struct PackageItem {
    std::string path;  // relative to the package, "\" separators, UTF-8
    std::uint64_t size = 0;
    std::string sourcePath;                            // the file on disk, for a folder package
    std::shared_ptr<PlacementContent> content;         // the entry's bytes, for a zip package
    std::function<std::optional<std::string>()> read;  // its whole bytes (small files: lists)
};

// A zip entry as placement content: extracted while it is written, its size and CRC checked.
std::shared_ptr<PlacementContent> ZipEntryContent(std::shared_ptr<ByteSource> archive,
                                                  ZipEntry entry);

struct ZipItems {
    std::vector<PackageItem> items;  // the files, in the directory's order; folders are implied
    std::string refusal;             // non-empty: the zip cannot be installed, and why
};

// Reads a zip's directory into items, names decoded with `fromOem` when the archive does not
// say they are UTF-8. Refused whole for a fault of the archive or of any one entry.
ZipItems ItemsOfZip(std::shared_ptr<ByteSource> archive,
                    const std::function<std::optional<std::string>(std::string_view)>& fromOem);

struct PackagePlan {
    std::string refusal;  // non-empty: nothing is installed, and this says why
    InstallPlan plan;     // one unit, stopsAtFirstFailure, every placement createFolders
    std::vector<std::string> skipped;  // one line per file or list entry left out, and why
    // The unit's additions are the merged entries first, then the registered plugins, each in
    // the order of these lists.
    std::vector<std::string> registered;  // plugin names appended to plugins.ini
    std::vector<std::string> merged;      // "modules.ini: name" entries merged
    std::uint64_t bytes = 0;              // sum of the sizes placed
};

// Where each file of the package goes in the game at `gameRoot`, which settings are kept,
// which list entries are merged and which plugins registered.
PackagePlan PlanPackage(const std::string& gameRoot, const std::vector<PackageItem>& items,
                        FileSystem& files);

}  // namespace varnholt
