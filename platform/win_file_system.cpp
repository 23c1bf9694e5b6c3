#include "platform/win_file_system.h"

#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "platform/long_path.h"
#include "platform/text.h"

namespace varnholt {

FileResult FileResultOf(unsigned long code) {
    switch (code) {
        case ERROR_SUCCESS: return {};
        case ERROR_FILE_NOT_FOUND: return {FileError::NotFound, {}};
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME: return {FileError::PathNotFound, {}};
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT: return {FileError::AccessDenied, {}};
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE: return {FileError::SharingViolation, {}};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return {FileError::DiskFull, {}};
        default: return {FileError::Other, SystemErrorText(code)};
    }
}

namespace {

FileResult LastResult() { return FileResultOf(GetLastError()); }

bool IdentityOf(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    // No access beyond attributes is asked for, so a file held open by another program
    // can still be identified.
    UniqueFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
}

// Removes a temporary file of ours, also when the copy gave it the source's read-only bit.
void RemoveTemporary(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// True when another program holds `path` open without letting it be deleted or renamed.
bool HeldByAnother(const std::wstring& path) {
    UniqueFileHandle probe(CreateFileW(path.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

class WinOpenedFile final : public OpenedFile {
public:
    explicit WinOpenedFile(UniqueFileHandle file) : file_(std::move(file)) {}

    std::optional<std::string> ReadAll() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) return std::nullopt;
        if (!Seek(0)) return std::nullopt;
        std::string bytes;
        // Room for the entry that is usually appended next, so it needs no second buffer.
        bytes.reserve(static_cast<std::size_t>(size.QuadPart) + 1024);
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_.get(), bytes.data() + done, want, &got, nullptr)) return std::nullopt;
            if (got == 0) break;  // shortened by someone else meanwhile
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }

    FileResult WriteAt(std::uint64_t offset, std::string_view bytes) override {
        if (!Seek(offset)) return LastResult();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            DWORD wrote = 0;
            if (!WriteFile(file_.get(), bytes.data() + done, want, &wrote, nullptr)) {
                return LastResult();
            }
            done += wrote;
        }
        return {};
    }

private:
    bool Seek(std::uint64_t offset) {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN);
    }

    UniqueFileHandle file_;
};

}  // namespace

bool WinFileSystem::Exists(const std::string& path) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(FileApiPath(path).c_str(), &found));
    return static_cast<bool>(search);
}

bool WinFileSystem::IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileApiPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinFileSystem::SameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    if (!IdentityOf(FileApiPath(first), a) || !IdentityOf(FileApiPath(second), b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

FileResult WinFileSystem::CopyReplacing(const std::string& source, const std::string& destination) {
    // Copy beside the destination under a name of our own, then rename it over the
    // destination: a rename within one folder replaces the old file in one step, so a
    // failed or interrupted copy never costs the user the file that was there.
    const std::wstring from = FileApiPath(source);
    // The temporary name beside it may be longer than the destination's own.
    const std::wstring to = FileApiPath(destination, 48);
    const std::wstring folder = FolderOf(to);
    // Windows refuses to replace a read-only file; checking first keeps that rule on every
    // system and spares the copy.
    const DWORD existing = GetFileAttributesW(to.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) {
        return FileResultOf(ERROR_ACCESS_DENIED);
    }
    const std::wstring stem =
        folder + L"~varnholt-" + DecimalTextW(GetCurrentProcessId()) + L"-";
    std::wstring temporary;
    for (int attempt = 0;; ++attempt) {
        temporary = stem + DecimalTextW(static_cast<unsigned long>(attempt)) + L".tmp";
        if (CopyFileW(from.c_str(), temporary.c_str(), TRUE)) break;
        const DWORD error = GetLastError();
        // Someone else's file of that name: try the next name, never touch theirs.
        if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && attempt < 100) {
            continue;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            RemoveTemporary(temporary);  // a failed copy can leave a partial file behind
        }
        return FileResultOf(error);
    }
    if (!MoveFileExW(temporary.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        RemoveTemporary(temporary);
        // Windows refuses to replace a file held open with "access denied"; tell the user
        // the file is in use rather than that rights are missing.
        if (error == ERROR_ACCESS_DENIED && HeldByAnother(to)) error = ERROR_SHARING_VIOLATION;
        return FileResultOf(error);
    }
    return {};
}

OpenResult WinFileSystem::OpenExisting(const std::string& path) {
    UniqueFileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {nullptr, LastResult()};
    return {std::make_unique<WinOpenedFile>(std::move(file)), {}};
}

std::optional<std::string> WinFileSystem::ToAnsi(const std::string& text) {
    return ToAnsiCodePage(text);
}

}  // namespace varnholt
