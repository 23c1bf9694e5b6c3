// Checks the resources linked into the built varnholt.exe, read the way Windows reads them:
// the version block (Explorer's Details tab), the icon group (window and taskbar icon) and the
// application manifest (DPI awareness, Common Controls 6).
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "app/resource_ids.h"
#include "platform/handles.h"

#define VARNHOLT_WIDEN_(text) L##text
#define VARNHOLT_WIDEN(text) VARNHOLT_WIDEN_(text)

namespace varnholt {
namespace {

struct ActCtxTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type context) { ReleaseActCtx(context); }
};
using UniqueActCtx = UniqueResource<ActCtxTraits>;

// The exe as a Windows path. Cross-built, CMake gives a Linux path; Wine shows the Linux root
// as drive Z:.
std::wstring ExePath() {
    std::wstring path = VARNHOLT_WIDEN(VARNHOLT_EXE_PATH);
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

template <typename T>
T ReadAt(std::string_view bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// A resource's bytes inside a module loaded as a data file; empty when there is none.
std::string_view ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC info = FindResourceW(module, name, type);
    if (info == nullptr)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return {};
    return {static_cast<const char*>(data), SizeofResource(module, info)};
}

class ExeResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        exe.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(exe) << "cannot open the exe, error " << GetLastError();
    }

    const std::wstring path = ExePath();
    UniqueModule exe;
};

TEST_F(ExeResourcesTest, VersionBlockNamesTheProgramAndVersion) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version block, error " << GetLastError();
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));  // 2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);              // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The one translation: Chinese (Simplified), Unicode; the string table is found by it.
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0804);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 1200);

    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"ProductName", L"Varnholt(Beta)"},    {L"FileDescription", L"Varnholt"},
        {L"ProductVersion", L"2.0.0.0"},        {L"FileVersion", L"2.0.0.0"},
        {L"OriginalFilename", L"varnholt.exe"}, {L"InternalName", L"varnholt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + c.name;
        value = nullptr;
        length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), &value, &length));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), c.expected);
    }
}

bool IsPng(std::string_view image) { return image.substr(0, 8) == "\x89PNG\r\n\x1a\n"; }

DWORD ReadBigEndian(std::string_view bytes, size_t at) {
    DWORD value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The width in a PNG's header chunk, which follows the signature.
LONG PngWidth(std::string_view image) { return static_cast<LONG>(ReadBigEndian(image, 16)); }

// Every size of the icon group is a well-formed 32-bit image with an AND mask, transparent in
// its corners and opaque in its middle; Windows picks the exact size when asked for 16 or 64.
TEST_F(ExeResourcesTest, IconGroupHoldsEachSizeAsAlphaImage) {
    const std::string_view group =
        ResourceBytes(exe.get(), MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u) << "no icon group " << IDI_APP;
    EXPECT_EQ(ReadAt<WORD>(group, 0), 0);  // reserved
    EXPECT_EQ(ReadAt<WORD>(group, 2), 1);  // icons, not cursors
    const WORD count = ReadAt<WORD>(group, 4);
    ASSERT_EQ(group.size(), 6u + 14u * count);

    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const size_t entry = 6 + 14 * i;
        const int size = ReadAt<BYTE>(group, entry) == 0 ? 256 : ReadAt<BYTE>(group, entry);
        SCOPED_TRACE("icon " + std::to_string(size));
        sizes.insert(size);
        EXPECT_EQ(ReadAt<BYTE>(group, entry + 1), ReadAt<BYTE>(group, entry));  // square
        EXPECT_EQ(ReadAt<WORD>(group, entry + 6), 32);                          // bits per pixel
        const DWORD bytes_in_res = ReadAt<DWORD>(group, entry + 8);
        const WORD id = ReadAt<WORD>(group, entry + 12);

        const std::string_view image = ResourceBytes(exe.get(), MAKEINTRESOURCEW(id), RT_ICON);
        EXPECT_EQ(image.size(), bytes_in_res);
        if (IsPng(image)) {
            // The larger sizes are stored as PNG, which keeps the exe small: an RGBA image of
            // the entry's size that the system turns into an icon.
            EXPECT_GE(size, 32) << "the small sizes stay plain bitmaps";
            EXPECT_EQ(PngWidth(image), size);
            EXPECT_EQ(ReadBigEndian(image, 20), static_cast<DWORD>(size));  // height
            EXPECT_EQ(ReadAt<BYTE>(image, 24), 8);                             // bits per sample
            EXPECT_EQ(ReadAt<BYTE>(image, 25), 6);                             // RGBA
            UniqueIcon made(CreateIconFromResourceEx(
                reinterpret_cast<PBYTE>(const_cast<char*>(image.data())),
                static_cast<DWORD>(image.size()), TRUE, 0x00030000, size, size, 0));
            EXPECT_TRUE(made) << "the system cannot read the PNG image";
            continue;
        }
        const size_t mask_stride = (size + 31) / 32 * 4;
        const size_t pixels_size = size_t(size) * size * 4;
        ASSERT_EQ(image.size(), sizeof(BITMAPINFOHEADER) + pixels_size + mask_stride * size);
        EXPECT_EQ(image.size(), bytes_in_res);
        const auto header = ReadAt<BITMAPINFOHEADER>(image, 0);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // colour rows, then mask rows
        EXPECT_EQ(header.biBitCount, 32);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));

        // Rows are stored bottom-up; x and y here count from the top left.
        const std::string_view pixels = image.substr(sizeof(BITMAPINFOHEADER), pixels_size);
        const std::string_view mask = image.substr(sizeof(BITMAPINFOHEADER) + pixels_size);
        auto alpha = [&](int x, int y) {
            return ReadAt<BYTE>(pixels, (size_t(size - 1 - y) * size + x) * 4 + 3);
        };
        auto masked = [&](int x, int y) {
            return (ReadAt<BYTE>(mask, size_t(size - 1 - y) * mask_stride + x / 8) &
                    (0x80 >> (x % 8))) != 0;
        };
        for (const auto& [x, y] :
             {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
            EXPECT_EQ(alpha(x, y), 0) << "corner " << x << "," << y;
            EXPECT_TRUE(masked(x, y)) << "corner " << x << "," << y;
        }
        EXPECT_EQ(alpha(size / 2 - 1, size / 2 - 1), 255);
        EXPECT_FALSE(masked(size / 2 - 1, size / 2 - 1));
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64}));

    for (int size : {16, 64}) {
        SCOPED_TRACE("asked for " + std::to_string(size));
        const int id =
            LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())),
                                        TRUE, size, size, LR_DEFAULTCOLOR);
        const std::string_view chosen = ResourceBytes(exe.get(), MAKEINTRESOURCEW(id), RT_ICON);
        EXPECT_EQ(IsPng(chosen) ? PngWidth(chosen) : ReadAt<BITMAPINFOHEADER>(chosen, 0).biWidth,
                  size);

        // As the window code loads it.
        UniqueIcon icon(static_cast<HICON>(
            LoadImageW(exe.get(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
        ASSERT_TRUE(icon) << "LoadImageW failed, error " << GetLastError();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info));
        BITMAP colour{};
        EXPECT_EQ(GetObjectW(info.hbmColor, sizeof(colour), &colour),
                  static_cast<int>(sizeof(colour)));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

// The manifest is valid enough for the loader to build an activation context from it, states
// its settings in the namespaces Windows reads them from, and brings in Common Controls 6.
TEST_F(ExeResourcesTest, ManifestDeclaresDpiAwarenessAndCommonControls6) {
    const std::string_view manifest =
        ResourceBytes(exe.get(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
    for (const char* text : {
             "PerMonitorV2", "Microsoft.Windows.Common-Controls", "6595b64144ccf1df",
             "level=\"asInvoker\"",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
         }) {
        EXPECT_NE(manifest.find(text), std::string_view::npos) << text;
    }

    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    UniqueActCtx context(CreateActCtxW(&request));
    ASSERT_TRUE(context) << "the manifest is refused, error " << GetLastError();

    struct Case {
        const wchar_t* space;  // null: the 2005 namespace
        const wchar_t* name;
        const wchar_t* expected;
    };
    const wchar_t* const k2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    const Case cases[] = {
        {nullptr, L"dpiAware", L"true/pm"},
        {k2016, L"dpiAwareness", L"PerMonitorV2, PerMonitor"},
        {k2016, L"longPathAware", L"true"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        wchar_t value[64] = {};
        SIZE_T written = 0;
        ASSERT_TRUE(QueryActCtxSettingsW(0, context.get(), c.space, c.name, value, std::size(value),
                                         &written))
            << "error " << GetLastError();
        EXPECT_EQ(std::wstring(value), c.expected);
    }

    // Inside the context comctl32 comes from the version 6 side-by-side assembly, not from
    // the system folder. (Wine's copy reports 5.x from DllGetVersion, so the folder is what
    // tells.)
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context.get(), &cookie));
    UniqueModule comctl(LoadLibraryW(L"comctl32.dll"));
    DeactivateActCtx(0, cookie);
    ASSERT_TRUE(comctl);
    wchar_t loaded[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(comctl.get(), loaded, MAX_PATH), 0u);
    std::wstring folder = loaded;
    std::transform(folder.begin(), folder.end(), folder.begin(), towlower);
    EXPECT_NE(folder.find(L"\\winsxs\\"), std::wstring::npos) << testing::PrintToString(folder);
    EXPECT_NE(folder.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos)
        << testing::PrintToString(folder);
}

}  // namespace
}  // namespace varnholt
