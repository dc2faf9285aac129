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
    explicit ComPtr(T* p) noexcept : pointer_(p) {
        if (pointer_ != nullptr) {
            pointer_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    /// Adopts a reference the caller already owns.
    static ComPtr Adopt(T* p) noexcept {
        ComPtr result;
        result.pointer_ = p;
        return result;
    }

    T* Get() const noexcept { return pointer_; }
    T* operator->() const noexcept { return pointer_; }
    explicit operator bool() const noexcept { return pointer_ != nullptr; }

    /// Releases the current pointer and answers the slot an out parameter fills.
    T** Put() noexcept {
        Reset();
        return &pointer_;
    }
    void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
    T* Detach() noexcept { return std::exchange(pointer_, nullptr); }
    void Reset() noexcept {
        if (T* p = std::exchange(pointer_, nullptr)) {
            p->Release();
        }
    }

    /// QueryInterface into another smart pointer.
    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const noexcept {
        if (pointer_ == nullptr) {
            return E_POINTER;
        }
        return pointer_->QueryInterface(iid, out.PutVoid());
    }

  private:
    T* pointer_ = nullptr;
};

/// An owned BSTR.
class Bstr {
  public:
    Bstr() noexcept = default;
    explicit Bstr(std::u16string_view text) noexcept
        : string_(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                      static_cast<UINT>(text.size()))) {}
    explicit Bstr(const wchar_t* text) noexcept : string_(::SysAllocString(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : string_(std::exchange(other.string_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(string_, other.string_);
        return *this;
    }
    ~Bstr() { ::SysFreeString(string_); }

    BSTR Get() const noexcept { return string_; }
    BSTR* Put() noexcept {
        ::SysFreeString(std::exchange(string_, nullptr));
        return &string_;
    }
    BSTR Detach() noexcept { return std::exchange(string_, nullptr); }
    std::u16string_view View() const noexcept {
        return {reinterpret_cast<const char16_t*>(string_), ::SysStringLen(string_)};
    }

  private:
    BSTR string_ = nullptr;
};

/// A VARIANT cleared when it goes.
class Variant {
  public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* Get() noexcept { return &value_; }
    const VARIANT& operator*() const noexcept { return value_; }
    VARIANT* operator->() noexcept { return &value_; }

  private:
    VARIANT value_;
};

/// The text of a BSTR argument (a null BSTR is the empty string).
inline std::u16string_view BstrView(BSTR s) noexcept {
    return {reinterpret_cast<const char16_t*>(s), ::SysStringLen(s)};
}

}  // namespace resmelder::com
