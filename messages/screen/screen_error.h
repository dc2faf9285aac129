#pragma once
// How the screen object reports failures without exceptions: a numbered error with a
// source text and a description, carried back beside the member's answer.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace murmurex {

/// A raised error: number 0 means nothing was raised.
struct ScreenError {
    std::int32_t number = 0;
    std::string source;
    std::string description;
};

/// A member's answer plus the error it raised. When an error is raised the value is the
/// member's default answer (False, 0, empty), except for a drawing member whose shape was
/// drawn although a helper step (a pen, a font) failed: it answers True with that error.
template <typename T>
struct ScreenResult {
    T value{};
    ScreenError error;

    /// True when the member raised an error.
    bool raised() const noexcept { return error.number != 0; }
};

/// Records an error in `target` unless `number` is 0, which raises nothing.
/// Answers whether something was raised.
inline bool RaiseScreenError(ScreenError& target, std::string_view source, std::int32_t number,
                             std::string_view description) {
    if (number == 0) {
        return false;
    }
    target.number = number;
    target.source.assign(source);
    target.description.assign(description);
    return true;
}

}  // namespace murmurex
