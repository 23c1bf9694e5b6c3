#pragma once

#include <windows.h>

#include <utility>

namespace varnholt {

// Owns one Win32 handle of the kind `Traits` describes; closes it on scope exit. Move-only.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }

    Type release() { return std::exchange(value_, Traits::Empty()); }
    void reset(Type value = Traits::Empty()) {
        if (value_ != Traits::Empty()) Traits::Close(value_);
        value_ = value;
    }

private:
    Type value_ = Traits::Empty();
};

// A file opened by CreateFile: empty at INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};

// A process, thread or other kernel object: empty at null.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type handle) { CloseHandle(handle); }
};

// A FindFirstFile search.
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { FindClose(handle); }
};

// A GDI font.
struct FontTraits {
    using Type = HFONT;
    static Type Empty() { return nullptr; }
    static void Close(Type font) { DeleteObject(font); }
};

// A GDI brush.
struct BrushTraits {
    using Type = HBRUSH;
    static Type Empty() { return nullptr; }
    static void Close(Type brush) { DeleteObject(brush); }
};

// An icon made by CreateIcon or LoadImage without LR_SHARED.
struct IconTraits {
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type icon) { DestroyIcon(icon); }
};

// A DLL loaded by LoadLibrary.
struct ModuleTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type module) { FreeLibrary(module); }
};

using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueFont = UniqueResource<FontTraits>;
using UniqueBrush = UniqueResource<BrushTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;

}  // namespace varnholt
