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
    std::optional<FileStamp> StampOf(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override;
    bool InUse(const std::string& path) override;
    FileResult CopyToNew(const std::string& source, const std::string& destination) override;
    NewFileResult CreateNew(const std::string& destination) override;
    FileResult HardLink(const std::string& path, const std::string& link) override;
    FileResult Rename(const std::string& from, const std::string& to) override;
    FileResult RenameReplacing(const std::string& from, const std::string& to) override;
    FileResult Remove(const std::string& path) override;
    FileResult CreateFolder(const std::string& path) override;
    FileResult RemoveFolder(const std::string& path) override;
    std::vector<std::string> List(const std::string& folder, const std::string& pattern,
                                  bool folders) override;
    std::optional<std::string> ReadPart(const std::string& path, std::uint64_t offset,
                                        std::size_t length) override;
    FileResult Append(const std::string& path, std::string_view bytes) override;
    NewFileResult OpenToAppend(const std::string& path) override;
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override;
    std::string LocalTimeText() override;
};

// Maps a Win32 error code onto the installer's FileError.
FileResult FileResultOf(unsigned long code);

}  // namespace varnholt
