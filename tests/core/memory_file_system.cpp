#include "tests/core/memory_file_system.h"

namespace varnholt::testing {
namespace {

std::string Trimmed(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (Matches(pattern.substr(1), name.substr(skip))) return true;
        }
        return false;
    }
    if (name.empty()) return false;
    if (pattern[0] != '?' && pattern[0] != name[0]) return false;
    return Matches(pattern.substr(1), name.substr(1));
}

const FileResult kStopped{FileError::Other, "stopped"};

}  // namespace

std::vector<std::string> MemoryFileSystem::Logged(const std::string& verb) const {
    std::vector<std::string> found;
    for (const std::string& entry : log) {
        if (entry.rfind(verb, 0) == 0) found.push_back(entry);
    }
    return found;
}

bool MemoryFileSystem::Change(const std::string& entry) {
    if (stopAfter >= 0 && changes >= stopAfter) return false;
    ++changes;
    log.push_back(entry);
    return true;
}

bool MemoryFileSystem::ParentExists(const std::string& path) {
    const std::string parent = ParentOf(Trimmed(path));
    return parent.empty() || IsFolder(parent);
}

bool MemoryFileSystem::Exists(const std::string& path) {
    if (path.find_first_of("*?") != std::string::npos) {
        for (const auto& [name, node] : files) {
            if (Matches(path, name)) return true;
        }
        return false;
    }
    return files.count(path) > 0 || IsFolder(path);
}

bool MemoryFileSystem::IsFolder(const std::string& path) {
    const std::string folder = Trimmed(path);
    if (folder.empty()) return true;
    if (folders.count(folder)) return true;
    const std::string prefix = folder + "\\";
    const auto below = [&](const std::string& name) { return name.rfind(prefix, 0) == 0; };
    for (const auto& [name, node] : files) {
        if (below(name)) return true;
    }
    for (const std::string& name : folders) {
        if (below(name)) return true;
    }
    return false;
}

bool MemoryFileSystem::SameFile(const std::string& a, const std::string& b) {
    const auto first = files.find(a);
    const auto second = files.find(b);
    return first != files.end() && second != files.end() && first->second == second->second;
}

FileResult MemoryFileSystem::CopyReplacing(const std::string& source, const std::string& destination) {
    if (!Change("copy " + source + " -> " + destination)) return kStopped;
    files[destination] = std::make_shared<Node>(*files.at(source));
    return {};
}

namespace {

struct Opened final : OpenedFile {
    Opened(MemoryFileSystem& fs, std::string path) : fs(fs), path(std::move(path)) {}
    std::optional<std::string> ReadAll() override { return fs.files.at(path)->bytes; }
    FileResult WriteAt(std::uint64_t offset, std::string_view data) override {
        if (!fs.Change("write " + path)) return kStopped;
        std::string& bytes = fs.files.at(path)->bytes;
        bytes.resize(std::max<std::size_t>(bytes.size(), offset + data.size()));
        bytes.replace(offset, data.size(), data);
        fs.files.at(path)->time = ++fs.clock;
        return {};
    }
    FileResult SetEnd(std::uint64_t size) override {
        if (!fs.Change("end " + path)) return kStopped;
        fs.files.at(path)->bytes.resize(size);
        return {};
    }
    MemoryFileSystem& fs;
    std::string path;
};

struct Created final : NewFile {
    Created(MemoryFileSystem& fs, std::string path) : fs(fs), path(std::move(path)) {}
    FileResult Write(std::string_view data) override {
        if (fs.stopAfter >= 0 && fs.changes >= fs.stopAfter) return kStopped;
        fs.files.at(path)->bytes += data;
        return {};
    }
    FileResult Finish() override { return {}; }
    MemoryFileSystem& fs;
    std::string path;
};

// Every write through it is a change of its own, as each Append is.
struct Appending final : NewFile {
    Appending(MemoryFileSystem& fs, std::string path) : fs(fs), path(std::move(path)) {}
    FileResult Write(std::string_view data) override { return fs.Append(path, data); }
    FileResult Finish() override { return {}; }
    MemoryFileSystem& fs;
    std::string path;
};

}  // namespace

NewFileResult MemoryFileSystem::OpenToAppend(const std::string& path) {
    if (!ParentExists(path)) return {nullptr, {FileError::PathNotFound, {}}};
    return {std::make_unique<Appending>(*this, path), {}};
}

OpenResult MemoryFileSystem::OpenExisting(const std::string& path) {
    log.push_back("open " + path);
    const auto at = files.find(path);
    if (at == files.end()) return {nullptr, {FileError::NotFound, {}}};
    if (at->second->readOnly) return {nullptr, {FileError::AccessDenied, {}}};
    return {std::make_unique<Opened>(*this, path), {}};
}

std::optional<std::string> MemoryFileSystem::ToAnsi(const std::string& text) {
    if (unrepresentable.count(text)) return std::nullopt;
    return text;
}

std::optional<FileStamp> MemoryFileSystem::StampOf(const std::string& path) {
    const auto at = files.find(path);
    if (at == files.end()) return std::nullopt;
    return FileStamp{at->second->bytes.size(), at->second->time};
}

bool MemoryFileSystem::IsReadOnly(const std::string& path) {
    const auto at = files.find(path);
    return at != files.end() && at->second->readOnly;
}

FileResult MemoryFileSystem::CopyToNew(const std::string& source, const std::string& destination) {
    if (files.count(destination)) return {FileError::AlreadyExists, {}};
    if (!files.count(source)) return {FileError::NotFound, {}};
    if (!ParentExists(destination)) return {FileError::PathNotFound, {}};
    if (!Change("copy " + source + " -> " + destination)) return kStopped;
    // As the real one: the source's time, never its read-only mark.
    files[destination] = std::make_shared<Node>(Node{files[source]->bytes, files[source]->time, false});
    return {};
}

NewFileResult MemoryFileSystem::CreateNew(const std::string& destination) {
    if (files.count(destination)) return {nullptr, {FileError::AlreadyExists, {}}};
    if (!ParentExists(destination)) return {nullptr, {FileError::PathNotFound, {}}};
    if (!Change("create " + destination)) return {nullptr, kStopped};
    files[destination] = std::make_shared<Node>(Node{{}, ++clock, false});
    return {std::make_unique<Created>(*this, destination), {}};
}

FileResult MemoryFileSystem::HardLink(const std::string& path, const std::string& link) {
    if (!linksWork) return {FileError::Other, "no links on this drive"};
    if (files.count(link)) return {FileError::AlreadyExists, {}};
    if (!files.count(path)) return {FileError::NotFound, {}};
    if (!ParentExists(link)) return {FileError::PathNotFound, {}};
    if (!Change("link " + path + " -> " + link)) return kStopped;
    files[link] = files[path];
    return {};
}

FileResult MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
    if (files.count(to) || folders.count(Trimmed(to))) return {FileError::AlreadyExists, {}};
    if (!files.count(from)) return {FileError::NotFound, {}};
    if (held.count(from)) return {FileError::SharingViolation, {}};
    if (!ParentExists(to)) return {FileError::PathNotFound, {}};
    if (!Change("rename " + from + " -> " + to)) return kStopped;
    files[to] = files[from];
    files.erase(from);
    return {};
}

FileResult MemoryFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
    if (!files.count(from)) return {FileError::NotFound, {}};
    if (held.count(to) || held.count(from)) return {FileError::SharingViolation, {}};
    if (files.count(to) && files[to]->readOnly) return {FileError::AccessDenied, {}};
    if (!ParentExists(to)) return {FileError::PathNotFound, {}};
    if (!Change("replace " + from + " -> " + to)) return kStopped;
    files[to] = files[from];
    files.erase(from);
    return {};
}

FileResult MemoryFileSystem::Remove(const std::string& path) {
    if (!files.count(path)) return {FileError::NotFound, {}};
    if (held.count(path)) return {FileError::SharingViolation, {}};
    if (!Change("remove " + path)) return kStopped;
    files.erase(path);
    return {};
}

FileResult MemoryFileSystem::CreateFolder(const std::string& path) {
    if (IsFolder(path) || files.count(Trimmed(path))) return {FileError::AlreadyExists, {}};
    if (!ParentExists(path)) return {FileError::PathNotFound, {}};
    if (!Change("folder " + Trimmed(path))) return kStopped;
    folders.insert(Trimmed(path));
    return {};
}

FileResult MemoryFileSystem::RemoveFolder(const std::string& path) {
    const std::string folder = Trimmed(path);
    if (!folders.count(folder)) return {FileError::NotFound, {}};
    folders.erase(folder);
    const bool empty = !IsFolder(folder);
    folders.insert(folder);
    if (!empty) return {FileError::Other, "not empty"};
    if (!Change("unfolder " + folder)) return kStopped;
    folders.erase(folder);
    return {};
}

std::vector<std::string> MemoryFileSystem::List(const std::string& folder, const std::string& pattern,
                                                bool wantFolders) {
    const std::string prefix = Trimmed(folder).empty() ? "" : Trimmed(folder) + "\\";
    std::set<std::string> names;
    const auto consider = [&](const std::string& path, bool isFolder) {
        if (path.rfind(prefix, 0) != 0) return;
        const std::string rest = path.substr(prefix.size());
        const std::size_t slash = rest.find('\\');
        const bool folderHere = slash != std::string::npos || isFolder;
        const std::string name = rest.substr(0, slash);
        if (!name.empty() && folderHere == wantFolders && Matches(pattern, name)) names.insert(name);
    };
    for (const auto& [name, node] : files) consider(name, false);
    for (const std::string& name : folders) consider(name, true);
    return {names.begin(), names.end()};
}

std::optional<std::string> MemoryFileSystem::ReadPart(const std::string& path, std::uint64_t offset,
                                                      std::size_t length) {
    const auto at = files.find(path);
    if (at == files.end()) return std::nullopt;
    const std::string& bytes = at->second->bytes;
    if (offset >= bytes.size()) return std::string();
    return bytes.substr(offset, length);
}

FileResult MemoryFileSystem::Append(const std::string& path, std::string_view bytes) {
    if (!ParentExists(path)) return {FileError::PathNotFound, {}};
    if (!Change("append " + path)) return kStopped;
    auto& node = files[path];
    if (!node) node = std::make_shared<Node>(Node{{}, ++clock, false});
    node->bytes += bytes;
    return {};
}

}  // namespace varnholt::testing
