#pragma once
// Owners for COM pointers, BSTRs and VARIANTs.

#include <windows.h>

#include <oleauto.h>
#include <unknwn.h>

#include <string_view>
#include <utility>

namespace resmelder::com {

/// A COM pointer that AddRefs on copy and Releases when it goes.
template <typename T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    /// Takes a new reference to `p`.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    /// Adopts a reference the caller already owns.
    static ComPtr Adopt(T* p) noexcept {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    /// Releases the current pointer and answers the slot an out parameter fills.
    T** Put() noexcept {
        Reset();
        return &p_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    T* Detach() noexcept { return std::exchange(p_, nullptr); }
    void Reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }

    /// QueryInterface into another smart pointer.
    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const noexcept {
        if (p_ == nullptr) {
            return E_POINTER;
        }
        return p_->QueryInterface(iid, out.PutVoid());
    }

  private:
    T* p_ = nullptr;
};

/// An owned BSTR.
class Bstr {
  public:
    Bstr() noexcept = default;
    explicit Bstr(std::u16string_view text) noexcept
        : s_(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                 static_cast<UINT>(text.size()))) {}
    explicit Bstr(const wchar_t* text) noexcept : s_(::SysAllocString(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~Bstr() { ::SysFreeString(s_); }

    BSTR Get() const noexcept { return s_; }
    BSTR* Put() noexcept {
        ::SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    BSTR Detach() noexcept { return std::exchange(s_, nullptr); }
    std::u16string_view View() const noexcept {
        return {reinterpret_cast<const char16_t*>(s_), ::SysStringLen(s_)};
    }

  private:
    BSTR s_ = nullptr;
};

/// A VARIANT cleared when it goes.
class Variant {
  public:
    Variant() noexcept { ::VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v_); }

    VARIANT* Get() noexcept { return &v_; }
    const VARIANT& operator*() const noexcept { return v_; }
    VARIANT* operator->() noexcept { return &v_; }

  private:
    VARIANT v_;
};

/// The text of a BSTR argument (a null BSTR is the empty string).
inline std::u16string_view BstrView(BSTR s) noexcept {
    return {reinterpret_cast<const char16_t*>(s), ::SysStringLen(s)};
}

}  // namespace resmelder::com
