#pragma once
// The execution level a program's manifest asks for (requestedExecutionLevel in trustInfo),
// edited in place: every other byte of the manifest stays as it was, prefixes and namespaces
// included. The elements are found by namespace, whatever prefix a manifest gives them.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace resmelder {

enum class ExecutionLevel { kAsInvoker, kHighestAvailable, kRequireAdministrator };

/// "asInvoker", "highestAvailable" or "requireAdministrator", exactly.
std::optional<ExecutionLevel> ParseExecutionLevel(std::string_view text);
const char* ExecutionLevelName(ExecutionLevel level);

struct ExecutionRequest {
    ExecutionLevel level = ExecutionLevel::kAsInvoker;
    bool uiAccess = false;
    bool operator==(const ExecutionRequest&) const = default;
};

/// The manifest with its requestedExecutionLevel set to `request`: the element's level and
/// uiAccess are replaced (or added), a trustInfo without the element gets it, and a manifest
/// without trustInfo gets one before the end of its assembly. Nothing, with `problem`, for a
/// manifest that is not well-formed enough to edit safely or that asks twice.
std::optional<std::vector<std::uint8_t>> SetExecutionLevel(std::span<const std::uint8_t> manifest,
                                                           const ExecutionRequest& request,
                                                           std::string& problem);

/// What a manifest asks for, as read back.
struct ExecutionLevelRead {
    /// False, with `problem`, when the manifest cannot be read safely, asks twice, or asks
    /// for a level that is not one of the three.
    bool readable = false;
    /// None when the manifest asks for no level.
    std::optional<ExecutionRequest> request;
    std::string problem;
};
ExecutionLevelRead ReadExecutionLevel(std::span<const std::uint8_t> manifest);

/// A minimal application manifest that asks for `request` and nothing else.
std::vector<std::uint8_t> MinimalManifest(const ExecutionRequest& request);

}  // namespace resmelder
