#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnholt::testing {

// A fresh folder named `prefix`-<process>-<n> in `parent` (by default the system's temporary
// folder), removed with everything in it at the end. Paths are UTF-8 and end without a
// backslash; path() is empty when no folder could be made there.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "varnholt-test",
                        const std::string& parent = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // `relative` joined to the folder with a backslash.
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

private:
    std::string path_;
};

// Removes a folder with everything in it, read-only files too.
void RemoveTree(const std::wstring& path);
void MakeFolders(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadBytes(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);
// Names in a folder, "." and ".." left out, sorted.
std::vector<std::string> ListFolder(const std::string& path);
std::string CurrentFolder();
// The folder that holds this process's exe, without a final backslash.
std::string ExeFolder();
void SetCurrentFolder(const std::string& path);

// Restores the current folder on scope exit.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(CurrentFolder()) {}
    ~CurrentFolderGuard() { SetCurrentFolder(saved_); }

private:
    std::string saved_;
};

}  // namespace varnholt::testing
