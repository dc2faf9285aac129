#include "memory_win.h"

namespace murmurex::dialogs {

bool cMemory::AllocateMemory(std::size_t size, UINT flags) {
    FreeMemory();
    handle_ = ::GlobalAlloc(flags, size);
    return handle_ != nullptr;
}

bool cMemory::LockMemory() {
    if (address_ == nullptr && handle_ != nullptr) {
        address_ = ::GlobalLock(handle_);
    }
    return address_ != nullptr;
}

void* cMemory::Pointer() {
    LockMemory();
    return address_;
}

void cMemory::UnlockMemory() {
    if (address_ != nullptr) {
        ::GlobalUnlock(handle_);
        address_ = nullptr;
    }
}

void cMemory::FreeMemory() {
    UnlockMemory();
    if (handle_ != nullptr) {
        ::GlobalFree(handle_);
        handle_ = nullptr;
    }
}

void cMemory::ReleaseDontFreeMemory() {
    UnlockMemory();
    handle_ = nullptr;
}

void cMemory::Handle(HGLOBAL handle) {
    FreeMemory();
    handle_ = handle;
}

std::size_t cMemory::Size() const {
    return handle_ != nullptr ? ::GlobalSize(handle_) : 0;
}

}  // namespace murmurex::dialogs
