#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/file_system.h"

namespace varnholt::testing {

// The installer's file system in memory. A file is a node that several names can share (hard
// links); a folder exists when it was made or when anything lies below it. Every change is
// logged, and `stopAfter` makes every change after that many fail, as if the program had
// stopped there.
class MemoryFileSystem : public FileSystem {
public:
    struct Node {
        std::string bytes;
        std::uint64_t time = 0;
        bool readOnly = false;
    };

    std::map<std::string, std::shared_ptr<Node>> files;
    std::set<std::string> folders;         // without a trailing backslash
    std::set<std::string> unrepresentable;  // names ToAnsi refuses
    std::set<std::string> held;             // files another program holds open
    std::vector<std::string> log;
    long stopAfter = -1;  // changes allowed before every further one fails; -1 for no limit
    long changes = 0;
    bool linksWork = true;
    std::optional<std::uint64_t> freeSpace = std::uint64_t{1} << 40;
    std::uint64_t clock = 1000;

    void Put(const std::string& path, const std::string& bytes) {
        files[path] = std::make_shared<Node>(Node{bytes, ++clock, false});
    }
    std::string Bytes(const std::string& path) const {
        const auto at = files.find(path);
        return at == files.end() ? "<missing>" : at->second->bytes;
    }
    // The log's entries that begin with `verb`.
    std::vector<std::string> Logged(const std::string& verb) const;

    bool Exists(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    FileResult CopyReplacing(const std::string& source, const std::string& destination) override;
    OpenResult OpenExisting(const std::string& path) override;
    std::optional<std::string> ToAnsi(const std::string& text) override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override;
    bool InUse(const std::string& path) override { return held.count(path) > 0; }
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
    std::optional<std::uint64_t> FreeSpace(const std::string&) override { return freeSpace; }
    std::string LocalTimeText() override { return "2026-12-11 14-03-27"; }

    // A change about to be made: false when the program "stopped" before it.
    bool Change(const std::string& entry);
    bool ParentExists(const std::string& path);
};

}  // namespace varnholt::testing
