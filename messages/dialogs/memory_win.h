#pragma once
// `cMemory`: owns one movable global memory block, for platform records that need one.

#include <windows.h>

#include <cstddef>

namespace murmurex::dialogs {

class cMemory {
  public:
    cMemory() = default;
    cMemory(const cMemory&) = delete;
    cMemory& operator=(const cMemory&) = delete;
    ~cMemory() { FreeMemory(); }

    /// Frees any held block, then allocates a new one; answers whether it was allocated.
    bool AllocateMemory(std::size_t size, UINT flags);
    /// Locks the held block once and keeps its address.
    bool LockMemory();
    /// The block's address, locking it on demand (null without a block).
    void* Pointer();
    void UnlockMemory();
    /// Unlocks and frees the block.
    void FreeMemory();
    /// Unlocks and forgets the block: whoever took the handle now owns it.
    void ReleaseDontFreeMemory();
    HGLOBAL Handle() const noexcept { return handle_; }
    /// Frees the held block and adopts `handle`.
    void Handle(HGLOBAL handle);
    /// The held block's size, 0 without one.
    std::size_t Size() const;

  private:
    HGLOBAL handle_ = nullptr;
    void* address_ = nullptr;
};

}  // namespace murmurex::dialogs
