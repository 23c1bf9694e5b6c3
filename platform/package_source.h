#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/zip_archive.h"

namespace varnholt {

// A file on disk read at any offset, for the zip reader. Empty (Size() 0, every read
// failing) when the file cannot be opened.
std::shared_ptr<ByteSource> OpenByteSource(const std::string& path);

// Every file below `folder`, as paths relative to it with "\" separators, with their sizes;
// folders are walked, links to elsewhere are not followed.
struct FolderFile {
    std::string relative;
    std::uint64_t size = 0;
};
std::vector<FolderFile> FilesBelow(const std::string& folder);

}  // namespace varnholt
