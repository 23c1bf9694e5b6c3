#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// Why a file operation failed, as far as the installer tells the user apart.
enum class FileError {
    None,
    NotFound,          // the file is not there
    PathNotFound,      // a folder on the way is not there
    AccessDenied,      // read-only, or no rights
    SharingViolation,  // another program holds the file
    DiskFull,
    AlreadyExists,     // the name is taken
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
    // Makes the file end after `size` bytes.
    virtual FileResult SetEnd(std::uint64_t size) = 0;
};

// A file being written from the start, for content that is not a file of its own (a zip
// entry). Its bytes are on disk once Finish() succeeded.
class NewFile {
public:
    virtual ~NewFile() = default;
    virtual FileResult Write(std::string_view bytes) = 0;
    virtual FileResult Finish() = 0;
};

struct NewFileResult {
    std::unique_ptr<NewFile> file;  // empty when the file could not be made
    FileResult result;
};

// What tells one version of a file from another: its size and its last write time.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // 100-ns units since 1601, as the system keeps it
    bool operator==(const FileStamp&) const = default;
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

    // What the install journal and the backups need.
    // The stamp of an existing file; nothing for a folder or a missing file.
    virtual std::optional<FileStamp> StampOf(const std::string& path) = 0;
    virtual bool IsReadOnly(const std::string& path) = 0;
    // True when another program holds the file open so that it cannot be replaced.
    virtual bool InUse(const std::string& path) = 0;
    // Copies `source` to `destination`, which must not exist yet (AlreadyExists). The copy
    // is a plain writable file whatever the source's attributes.
    virtual FileResult CopyToNew(const std::string& source, const std::string& destination) = 0;
    // Creates `destination`, which must not exist yet, to be written from the start.
    virtual NewFileResult CreateNew(const std::string& destination) = 0;
    // Makes `link` a second name of the existing file `path` (same drive); fails where the
    // drive cannot do that.
    virtual FileResult HardLink(const std::string& path, const std::string& link) = 0;
    // Renames a file or folder; never replaces an existing `to`.
    virtual FileResult Rename(const std::string& from, const std::string& to) = 0;
    // Renames a file over `to`, which is replaced in one step when it exists.
    virtual FileResult RenameReplacing(const std::string& from, const std::string& to) = 0;
    // Deletes a file (also one marked read-only: only files of our own are removed).
    virtual FileResult Remove(const std::string& path) = 0;
    // Creates one folder; AlreadyExists when it is there.
    virtual FileResult CreateFolder(const std::string& path) = 0;
    // Removes an empty folder.
    virtual FileResult RemoveFolder(const std::string& path) = 0;
    // The names in a folder that match `pattern` ("*" and "?"), folders or files only.
    virtual std::vector<std::string> List(const std::string& folder, const std::string& pattern,
                                          bool folders) = 0;
    // Up to `length` bytes from `offset`; nothing when the file cannot be read.
    virtual std::optional<std::string> ReadPart(const std::string& path, std::uint64_t offset,
                                                std::size_t length) = 0;
    // Appends `bytes` to the file, creating it when missing; with the system when it returns.
    virtual FileResult Append(const std::string& path, std::string_view bytes) = 0;
    // Opens a file (made when missing) to append to through one handle, write after write.
    virtual NewFileResult OpenToAppend(const std::string& path) = 0;
    // The bytes free for this user on the drive of `folder`; nothing when unknown.
    virtual std::optional<std::uint64_t> FreeSpace(const std::string& folder) = 0;
    // The local time as "2026-12-11 14-03-27", for naming an install's backup folder.
    virtual std::string LocalTimeText() = 0;
};

}  // namespace varnholt
