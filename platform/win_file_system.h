#pragma once

#include "core/file_system.h"

namespace varnholt {

// The installer's file system on Win32, through the UTF-16 functions.
class WinFileSystem final : public FileSystem {
public:
    bool Exists(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool SameFile(const std::string& first, const std::string& second) override;
    FileResult CopyReplacing(const std::string& source, const std::string& destination) override;
    OpenResult OpenExisting(const std::string& path) override;
    std::optional<std::string> ToAnsi(const std::string& text) override;
};

// Maps a Win32 error code onto the installer's FileError.
FileResult FileResultOf(unsigned long code);

}  // namespace varnholt
