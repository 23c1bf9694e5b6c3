#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt {

// Why a file operation failed, as far as the installer tells the user apart.
enum class FileError {
    None,
    NotFound,          // the file is not there
    PathNotFound,      // a folder on the way is not there
    AccessDenied,      // read-only, or no rights
    SharingViolation,  // another program holds the file
    DiskFull,
    Other,             // anything else; FileResult::systemText says what
};

struct FileResult {
    FileError error = FileError::None;
    std::string systemText;  // the system's own description, UTF-8, for FileError::Other

    bool ok() const { return error == FileError::None; }
};

// An opened existing file that is read whole and then extended in place.
class OpenedFile {
public:
    virtual ~OpenedFile() = default;
    // Every byte of the file, or nothing when it cannot be read.
    virtual std::optional<std::string> ReadAll() = 0;
    // Writes `bytes` starting at byte `offset`, nothing before or after them.
    virtual FileResult WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
};

struct OpenResult {
    std::unique_ptr<OpenedFile> file;  // empty when the opening failed
    FileResult result;
};

// What the installer needs of the file system. Paths are UTF-8; relative ones resolve
// against the process's current folder.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when `path` names an existing file or folder; "*" and "?" match as a pattern.
    virtual bool Exists(const std::string& path) = 0;
    // True when `path` names an existing folder (a trailing backslash is allowed).
    virtual bool IsFolder(const std::string& path) = 0;
    // True when both paths name one and the same existing file, however they are spelt.
    virtual bool SameFile(const std::string& first, const std::string& second) = 0;
    // Copies `source` over `destination` so that the destination is either replaced whole
    // or left exactly as it was. Never creates a folder.
    virtual FileResult CopyReplacing(const std::string& source,
                                     const std::string& destination) = 0;
    // Opens an existing file for reading and writing, sharing both; never creates it.
    virtual OpenResult OpenExisting(const std::string& path) = 0;
    // `text` in the system's ANSI code page, or nothing when that code page cannot hold it.
    virtual std::optional<std::string> ToAnsi(const std::string& text) = 0;
};

}  // namespace varnholt
