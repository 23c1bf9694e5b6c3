#include "platform/package_source.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/long_path.h"
#include "platform/text.h"

namespace varnholt {
namespace {

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(UniqueFileHandle file) : file_(std::move(file)) {
        LARGE_INTEGER size{};
        if (file_ && GetFileSizeEx(file_.get(), &size)) size_ = static_cast<std::uint64_t>(size.QuadPart);
    }

    std::uint64_t Size() const override { return size_; }

    bool ReadAt(std::uint64_t offset, void* out, std::size_t length) override {
        if (!file_ || offset > size_ || length > size_ - offset) return false;
        auto* bytes = static_cast<char*>(out);
        while (length > 0) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_.get(), bytes, want, &got, &at) || got == 0) return false;
            bytes += got;
            offset += got;
            length -= got;
        }
        return true;
    }

private:
    UniqueFileHandle file_;
    std::uint64_t size_ = 0;
};

void Walk(const std::wstring& root, const std::wstring& below, std::vector<FolderFile>& files) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((root + below + L"*").c_str(), &found));
    if (!search) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction or link may lead anywhere, even back up: only real folders count.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                Walk(root, below + name + L"\\", files);
            }
            continue;
        }
        files.push_back({Narrow(below + name),
                         (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (FindNextFileW(search.get(), &found));
}

}  // namespace

std::shared_ptr<ByteSource> OpenByteSource(const std::string& path) {
    return std::make_shared<FileByteSource>(UniqueFileHandle(
        CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
}

std::vector<FolderFile> FilesBelow(const std::string& folder) {
    std::vector<FolderFile> files;
    std::wstring root = FileApiPath(folder, 260);
    if (!root.empty() && root.back() != L'\\') root += L'\\';
    Walk(root, L"", files);
    return files;
}

}  // namespace varnholt
