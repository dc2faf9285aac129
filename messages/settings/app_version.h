#pragma once
// The program's version: read from its own version resource (App.Major, App.Minor,
// App.Revision) and shown as "Version 1.0.12" on the Help and About pages.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace murmurex {

struct AppVersion {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Revision = 0;

    friend bool operator==(const AppVersion&, const AppVersion&) = default;
};

/// The numbers of a version resource's fixed part (file version major.minor.revision.build;
/// the build number is not shown). Nothing when the bytes are not a version resource.
std::optional<AppVersion> ParseVersionResource(std::span<const std::uint8_t> bytes);

/// "Version " and the three numbers in plain decimal joined by dots: "Version 1.0.12".
std::string VersionText(const AppVersion& version);

}  // namespace murmurex
