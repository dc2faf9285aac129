#include "screen_rules.h"

#include "screen_texts.h"

namespace murmurex {
namespace {

// Twips per inch over 25.4 mm per inch, to the one decimal the screen's measure is defined by.
constexpr double kTwipsPerMillimetre = 56.7;

constexpr std::array<ScreenSize, 7> kResolutions = {{
    {320, 240},
    {640, 480},
    {800, 600},
    {1024, 768},
    {1152, 864},
    {1280, 1024},
    {1600, 1200},
}};

char UpperAscii(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The last four characters upper-cased; the whole text when it is shorter.
std::string LastFourUpper(std::string_view path) {
    const std::string_view tail = path.size() > 4 ? path.substr(path.size() - 4) : path;
    std::string upper;
    for (char c : tail) {
        upper += UpperAscii(c);
    }
    return upper;
}

}  // namespace

std::int32_t MapBitsPerPixel(std::int32_t deviceBits) noexcept {
    switch (deviceBits) {
        case 1:
        case 2:
            return 2;
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            return deviceBits;
        default:
            return 0;
    }
}

std::optional<float> TwipsPerPixel(std::int32_t millimetres, std::int32_t pixels) noexcept {
    if (pixels <= 0) {
        return std::nullopt;
    }
    return static_cast<float>(kTwipsPerMillimetre * millimetres / pixels);
}

std::optional<ScreenSize> ResolutionForIndex(std::int32_t index) noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= kResolutions.size()) {
        return std::nullopt;
    }
    return kResolutions[static_cast<std::size_t>(index)];
}

ResolutionPlan PlanResolutionChange(std::int32_t index, std::int32_t bits, bool testOnly,
                                    const CurrentMode& current) noexcept {
    ResolutionPlan plan;
    plan.fields = bits == 0 ? kFieldsWidthHeight : kFieldsWidthHeightBits;
    if (const auto size = ResolutionForIndex(index)) {
        const bool sameSize = current.width == static_cast<float>(size->width) &&
                              current.height == static_cast<float>(size->height);
        if (sameSize && (bits == 0 || current.bitsPerPixel == bits)) {
            plan.alreadyCurrent = true;
            return plan;
        }
        plan.width = size->width;
        plan.height = size->height;
    }
    plan.bitsPerPixel = bits;
    plan.flags = testOnly ? kChangeTestOnly : kChangeUpdateAndReset;
    return plan;
}

ResolutionOutcome InterpretResolutionResult(std::int32_t platformResult) noexcept {
    namespace t = screen_texts;
    switch (platformResult) {
        case 0:
            return {true, false, 0, {}};
        case 1:
            return {true, true, 0, {}};
        case -5:
            return {false, false, -5, t::kResolutionInvalidParameter};
        case -4:
            return {false, false, -4, t::kResolutionInvalidFlags};
        case -3:
            return {false, false, -3, t::kResolutionRegistry};
        case -2:
            return {false, false, -2, t::kResolutionBadMode};
        case -1:
            return {false, false, -1, t::kResolutionFailed};
        default:
            return {false, false, -1, t::kResolutionUnknown};
    }
}

ScreenError ResolutionError(std::string_view executableName, const ResolutionOutcome& outcome) {
    ScreenError error;
    RaiseScreenError(error, screen_texts::ChangeResolutionSource(executableName),
                     outcome.errorNumber, outcome.message);
    return error;
}

bool IsMouseIconFile(std::string_view path) noexcept {
    const std::string tail = LastFourUpper(path);
    return tail == ".ICO" || tail == ".CUR" || tail == ".ANI";
}

bool IsCursorFile(std::string_view path) noexcept {
    const std::string tail = LastFourUpper(path);
    return tail == ".CUR" || tail == ".ANI";
}

std::string ExecutableNameFromPath(std::string_view modulePath) {
    const auto slash = modulePath.find_last_of("\\/");
    std::string_view name =
        slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos && dot != 0) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

}  // namespace murmurex
