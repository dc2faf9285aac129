#include "app_version.h"

#include <cstring>
#include <string_view>

namespace murmurex {
namespace {

// VS_VERSIONINFO: three 16-bit counts, the UTF-16 key "VS_VERSION_INFO" with its NUL, padding
// to a 32-bit boundary, then the 52-byte fixed part, which starts with its signature.
constexpr std::size_t kHeaderBytes = 6;
constexpr std::u16string_view kKey = u"VS_VERSION_INFO";
constexpr std::size_t kFixedOffset = (kHeaderBytes + (kKey.size() + 1) * 2 + 3) / 4 * 4;
constexpr std::size_t kFixedBytes = 52;
constexpr std::uint32_t kSignature = 0xFEEF04BD;

std::uint16_t ReadLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(ReadLe16(bytes, at)) |
           static_cast<std::uint32_t>(ReadLe16(bytes, at + 2)) << 16;
}

}  // namespace

std::optional<AppVersion> ParseVersionResource(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFixedOffset + kFixedBytes) {
        return std::nullopt;
    }
    const std::uint16_t length = ReadLe16(bytes, 0);
    const std::uint16_t valueLength = ReadLe16(bytes, 2);
    if (length < kFixedOffset + kFixedBytes || length > bytes.size() || valueLength < kFixedBytes) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kKey.size(); ++i) {
        if (ReadLe16(bytes, kHeaderBytes + 2 * i) != kKey[i]) {
            return std::nullopt;
        }
    }
    if (ReadLe32(bytes, kFixedOffset) != kSignature) {
        return std::nullopt;
    }
    // dwFileVersionMS holds major and minor, dwFileVersionLS revision and build.
    const std::uint32_t high = ReadLe32(bytes, kFixedOffset + 8);
    const std::uint32_t low = ReadLe32(bytes, kFixedOffset + 12);
    AppVersion version;
    version.Major = static_cast<std::uint16_t>(high >> 16);
    version.Minor = static_cast<std::uint16_t>(high & 0xFFFF);
    version.Revision = static_cast<std::uint16_t>(low >> 16);
    return version;
}

std::string VersionText(const AppVersion& version) {
    return "Version " + std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
           std::to_string(version.Revision);
}

}  // namespace murmurex
