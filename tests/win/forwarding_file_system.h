#pragma once

#include <string>

#include "core/file_system.h"
#include "platform/win_file_system.h"

namespace varnholt::testing {

// The real file system behind every call. A test's file system derives from it and overrides
// only the calls it watches, so each new call of the interface is forwarded here, once.
class ForwardingFileSystem : public FileSystem {
public:
    bool Exists(const std::string& path) override { return real_.Exists(path); }
    bool IsFolder(const std::string& path) override { return real_.IsFolder(path); }
    bool SameFile(const std::string& first, const std::string& second) override {
        return real_.SameFile(first, second);
    }
    FileResult CopyReplacing(const std::string& source, const std::string& destination) override {
        return real_.CopyReplacing(source, destination);
    }
    OpenResult OpenExisting(const std::string& path) override { return real_.OpenExisting(path); }
    std::optional<std::string> ToAnsi(const std::string& text) override {
        return real_.ToAnsi(text);
    }
    std::optional<FileStamp> StampOf(const std::string& path) override {
        return real_.StampOf(path);
    }
    bool IsReadOnly(const std::string& path) override { return real_.IsReadOnly(path); }
    bool InUse(const std::string& path) override { return real_.InUse(path); }
    FileResult CopyToNew(const std::string& source, const std::string& destination) override {
        return real_.CopyToNew(source, destination);
    }
    NewFileResult CreateNew(const std::string& destination) override {
        return real_.CreateNew(destination);
    }
    FileResult HardLink(const std::string& path, const std::string& link) override {
        return real_.HardLink(path, link);
    }
    FileResult Rename(const std::string& from, const std::string& to) override {
        return real_.Rename(from, to);
    }
    FileResult RenameReplacing(const std::string& from, const std::string& to) override {
        return real_.RenameReplacing(from, to);
    }
    FileResult Remove(const std::string& path) override { return real_.Remove(path); }
    FileResult CreateFolder(const std::string& path) override { return real_.CreateFolder(path); }
    FileResult RemoveFolder(const std::string& path) override { return real_.RemoveFolder(path); }
    std::vector<std::string> List(const std::string& folder, const std::string& pattern,
                                  bool folders) override {
        return real_.List(folder, pattern, folders);
    }
    std::optional<std::string> ReadPart(const std::string& path, std::uint64_t offset,
                                        std::size_t length) override {
        return real_.ReadPart(path, offset, length);
    }
    FileResult Append(const std::string& path, std::string_view bytes) override {
        return real_.Append(path, bytes);
    }
    NewFileResult OpenToAppend(const std::string& path) override {
        return real_.OpenToAppend(path);
    }
    std::optional<std::uint64_t> FreeSpace(const std::string& folder) override {
        return real_.FreeSpace(folder);
    }
    std::string LocalTimeText() override { return real_.LocalTimeText(); }

private:
    WinFileSystem real_;
};

}  // namespace varnholt::testing
