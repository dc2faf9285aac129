#include "app_version_win.h"

#include <span>

namespace murmurex {

std::optional<AppVersion> ReadOwnVersion() {
    return ReadModuleVersion(::GetModuleHandleW(nullptr));
}

std::optional<AppVersion> ReadModuleVersion(HMODULE self) {
    // Resources of a loaded module stay mapped for its lifetime: nothing to free.
    const HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                        MAKEINTRESOURCEW(16));  // RT_VERSION
    if (found == nullptr) {
        return std::nullopt;
    }
    const HGLOBAL loaded = ::LoadResource(self, found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    const DWORD size = ::SizeofResource(self, found);
    if (data == nullptr || size == 0) {
        return std::nullopt;
    }
    return ParseVersionResource(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
}

}  // namespace murmurex
