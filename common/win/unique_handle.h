#pragma once
// One move-only owner for every Win32 handle kind. A traits type names the handle, its
// "no handle" value and how to release it; anything the release needs (the window a DC
// came from) is kept in the traits object beside the handle.

#include <windows.h>

#include <utility>

namespace win {

template <typename Traits>
class UniqueHandle {
  public:
    using handle_type = typename Traits::handle_type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(handle_type h, Traits traits = Traits{}) noexcept
        : handle_(h), traits_(std::move(traits)) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Traits::invalid())), traits_(other.traits_) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::invalid());
            traits_ = other.traits_;
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    handle_type get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

    /// Gives up ownership without releasing.
    handle_type release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    void reset(handle_type h = Traits::invalid()) noexcept {
        if (handle_ != Traits::invalid()) {
            traits_.close(handle_);
        }
        handle_ = h;
    }

    const Traits& traits() const noexcept { return traits_; }

  private:
    handle_type handle_ = Traits::invalid();
    Traits traits_{};
};

struct KernelHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::CloseHandle(h); }
};

// CreateFile answers INVALID_HANDLE_VALUE, not null, on failure.
struct FileHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void close(handle_type h) const noexcept { ::CloseHandle(h); }
};

template <typename T>
struct GdiObjectTraits {
    using handle_type = T;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DeleteObject(h); }
};

struct IconTraits {
    using handle_type = HICON;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DestroyIcon(h); }
};

struct CursorTraits {
    using handle_type = HCURSOR;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DestroyCursor(h); }
};

struct MenuTraits {
    using handle_type = HMENU;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DestroyMenu(h); }
};

struct WindowTraits {
    using handle_type = HWND;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DestroyWindow(h); }
};

struct LibraryTraits {
    using handle_type = HMODULE;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::FreeLibrary(h); }
};

struct MappedViewTraits {
    using handle_type = const void*;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::UnmapViewOfFile(h); }
};

// A DC from GetDC must go back to ReleaseDC with the same window.
struct WindowDcTraits {
    using handle_type = HDC;
    HWND window = nullptr;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::ReleaseDC(window, h); }
};

// A DC from CreateDC / CreateCompatibleDC goes to DeleteDC.
struct OwnedDcTraits {
    using handle_type = HDC;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::DeleteDC(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFileMapping = UniqueHandle<KernelHandleTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
using UniqueLibrary = UniqueHandle<LibraryTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueCursor = UniqueHandle<CursorTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueWindowDc = UniqueHandle<WindowDcTraits>;
using UniqueOwnedDc = UniqueHandle<OwnedDcTraits>;

inline UniqueWindowDc GetWindowDcOwned(HWND window) {
    return UniqueWindowDc(::GetDC(window), WindowDcTraits{window});
}

// Puts the previously selected object back when the scope ends.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            ::SelectObject(dc_, old_);
        }
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint / EndPaint as one scope.
class PaintGuard {
  public:
    explicit PaintGuard(HWND window) noexcept : window_(window) {
        dc_ = ::BeginPaint(window, &ps_);
    }
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { ::EndPaint(window_, &ps_); }
    HDC dc() const noexcept { return dc_; }
    HWND window() const noexcept { return window_; }
    const PAINTSTRUCT& paint() const noexcept { return ps_; }

  private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

}  // namespace win
