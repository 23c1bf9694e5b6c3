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
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return {FileError::AlreadyExists, {}};
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

    FileResult SetEnd(std::uint64_t size) override {
        if (!Seek(size) || !SetEndOfFile(file_.get())) return LastResult();
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

class WinNewFile final : public NewFile {
public:
    explicit WinNewFile(UniqueFileHandle file) : file_(std::move(file)) {}

    FileResult Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD wrote = 0;
            if (!WriteFile(file_.get(), bytes.data(), want, &wrote, nullptr)) return LastResult();
            bytes.remove_prefix(wrote);
        }
        return {};
    }
    FileResult Finish() override {
        const BOOL closed = CloseHandle(file_.release());
        return closed ? FileResult{} : LastResult();
    }

private:
    UniqueFileHandle file_;
};

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

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

std::optional<FileStamp> WinFileSystem::StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return FileStamp{Join(data.nFileSizeHigh, data.nFileSizeLow),
                     Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

bool WinFileSystem::IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileApiPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool WinFileSystem::InUse(const std::string& path) { return HeldByAnother(FileApiPath(path)); }

FileResult WinFileSystem::CopyToNew(const std::string& source, const std::string& destination) {
    const std::wstring to = FileApiPath(destination);
    if (!CopyFileW(FileApiPath(source).c_str(), to.c_str(), TRUE)) return LastResult();
    // The copy takes the source's attributes: a file from a CD or a download marked
    // read-only would land read-only and refuse the next install over it.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        if (!SetFileAttributesW(to.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
            const FileResult failed = LastResult();
            RemoveTemporary(to);
            return failed;
        }
    }
    return {};
}

NewFileResult WinFileSystem::CreateNew(const std::string& destination) {
    UniqueFileHandle file(CreateFileW(FileApiPath(destination).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {nullptr, LastResult()};
    return {std::make_unique<WinNewFile>(std::move(file)), {}};
}

FileResult WinFileSystem::HardLink(const std::string& path, const std::string& link) {
    if (!CreateHardLinkW(FileApiPath(link).c_str(), FileApiPath(path).c_str(), nullptr)) {
        return LastResult();
    }
    return {};
}

// Renames within one drive: MOVEFILE_WRITE_THROUGH would add nothing but a wait.
FileResult WinFileSystem::Rename(const std::string& from, const std::string& to) {
    if (!MoveFileExW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), 0)) {
        return LastResult();
    }
    return {};
}

FileResult WinFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
    const std::wstring target = FileApiPath(to);
    if (!MoveFileExW(FileApiPath(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        // Windows refuses to replace a file held open with "access denied"; tell the user
        // the file is in use rather than that rights are missing.
        if (error == ERROR_ACCESS_DENIED && HeldByAnother(target)) error = ERROR_SHARING_VIOLATION;
        return FileResultOf(error);
    }
    return {};
}

FileResult WinFileSystem::Remove(const std::string& path) {
    const std::wstring file = FileApiPath(path);
    if (DeleteFileW(file.c_str())) return {};
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(file.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        if (DeleteFileW(file.c_str())) return {};
        const FileResult failed = LastResult();
        SetFileAttributesW(file.c_str(), attributes);
        return failed;
    }
    return FileResultOf(error);
}

FileResult WinFileSystem::CreateFolder(const std::string& path) {
    if (!CreateDirectoryW(FileApiPath(path).c_str(), nullptr)) return LastResult();
    return {};
}

FileResult WinFileSystem::RemoveFolder(const std::string& path) {
    if (!RemoveDirectoryW(FileApiPath(path).c_str())) return LastResult();
    return {};
}

std::vector<std::string> WinFileSystem::List(const std::string& folder, const std::string& pattern,
                                             bool folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(FileApiPath(folder + pattern).c_str(), &found));
    if (!search) return names;
    do {
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const std::wstring_view name = found.cFileName;
        if (isFolder != folders || name == L"." || name == L"..") continue;
        names.push_back(Narrow(name));
    } while (FindNextFileW(search.get(), &found));
    return names;
}

std::optional<std::string> WinFileSystem::ReadPart(const std::string& path, std::uint64_t offset,
                                                   std::size_t length) {
    UniqueFileHandle file(CreateFileW(FileApiPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    if (offset >= total) return std::string();
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, total - offset));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return std::nullopt;
    std::string bytes(want, '\0');
    std::size_t done = 0;
    while (done < want) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(want - done, 1u << 30));
        if (!ReadFile(file.get(), bytes.data() + done, ask, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

FileResult WinFileSystem::Append(const std::string& path, std::string_view bytes) {
    UniqueFileHandle file(CreateFileW(FileApiPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastResult();
    DWORD wrote = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) ||
        wrote != bytes.size()) {
        return LastResult();
    }
    // Handed to the system, not flushed to the disk: the line outlives the program stopping
    // at any point, and a flush here would wait for every file written before it.
    return {};
}

NewFileResult WinFileSystem::OpenToAppend(const std::string& path) {
    UniqueFileHandle file(CreateFileW(FileApiPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {nullptr, LastResult()};
    return {std::make_unique<WinNewFile>(std::move(file)), {}};
}

std::optional<std::uint64_t> WinFileSystem::FreeSpace(const std::string& folder) {
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExW(FileApiPath(folder.empty() ? std::string(".\\") : folder).c_str(),
                             &free, nullptr, nullptr)) {
        return std::nullopt;
    }
    return free.QuadPart;
}

std::string WinFileSystem::LocalTimeText() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const auto two = [](unsigned value) {
        return std::string{char('0' + value / 10 % 10), char('0' + value % 10)};
    };
    return DecimalText(now.wYear) + "-" + two(now.wMonth) + "-" + two(now.wDay) + " " +
           two(now.wHour) + "-" + two(now.wMinute) + "-" + two(now.wSecond);
}

}  // namespace varnholt
