#include "dialog_rules.h"

#include <algorithm>

#include "dialog_texts.h"
#include "portable/round_half_even.h"

namespace murmurex::dialogs {
namespace {

constexpr std::size_t kSingleFileBuffer = 260;
constexpr std::size_t kMultipleFileBuffer = 8192;

std::string SourceFor(std::string_view executableName) {
    return std::string(executableName) + std::string(dialog_texts::kSourceSuffix);
}

}  // namespace

std::int32_t AdjustFontFlags(std::int32_t flags, bool printerContextGiven, std::int32_t colour,
                             std::int32_t minimum, std::int32_t maximum) {
    using namespace font_flags;
    if (printerContextGiven) {
        flags |= kPrinterFonts;
    }
    if ((flags & kPrinterFonts) == 0) {
        flags |= kScreenFonts;
    }
    if (colour != 0) {
        flags |= kEffects;
    }
    if (minimum != 0 || maximum != 0) {
        flags |= kLimitSize;
    }
    // Apply button, template and hook are the worker's business, never the caller's.
    flags &= ~(kApply | kEnableTemplate | kEnableHook);
    return flags | kInitFromDescription;
}

std::int32_t FontRecordFlags(std::int32_t adjustedFlags, bool hookRequested) {
    return hookRequested ? adjustedFlags | font_flags::kEnableHook : adjustedFlags;
}

bool NeedsRuntimePrinter(std::int32_t flags, bool printerContextGiven) {
    return !printerContextGiven && (flags & font_flags::kPrinterFonts) != 0;
}

std::int32_t FontHeightForPoints(double points, double twipsPerPixelY) {
    if (twipsPerPixelY <= 0) {
        return 0;  // no measure of the screen: let the dialog pick the height
    }
    return static_cast<std::int32_t>(-RoundHalfEven(points * 20.0 / twipsPerPixelY));
}

std::int32_t TenthsOfPoint(double points) {
    return static_cast<std::int32_t>(RoundHalfEven(points * 10.0));
}

std::int32_t WholePoints(double points) {
    return static_cast<std::int32_t>(RoundHalfEven(points));
}

DialogOutcome ClassifyDialogResult(std::int64_t apiReturn, std::int64_t extendedError) {
    if (apiReturn == 1) {
        return DialogOutcome::Chosen;
    }
    // A dialog that could not open answers 0 as a cancel does; only the extended error tells.
    if (apiReturn == 0 && extendedError == 0) {
        return DialogOutcome::Cancelled;
    }
    return DialogOutcome::Failed;
}

std::optional<HelperError> DialogFailure(std::int64_t apiReturn, std::int64_t extendedError,
                                         std::string_view executableName) {
    if (ClassifyDialogResult(apiReturn, extendedError) != DialogOutcome::Failed) {
        return std::nullopt;
    }
    HelperError error;
    error.Raise(extendedError | dialog_texts::kDialogErrorBits, SourceFor(executableName), "");
    return error;
}

std::string FilterForRecord(std::string_view filter) {
    std::string text(filter);
    std::replace(text.begin(), text.end(), '|', '\0');
    std::replace(text.begin(), text.end(), ':', '\0');
    text.append(2, '\0');
    return text;
}

std::int32_t OpenFileRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance) {
    using namespace file_flags;
    flags &= ~kEnableHook;
    if (hookRequested) {
        flags |= kExplorer | kEnableHook;
    }
    if (flags & kMultipleSelection) {
        flags |= kExplorer;
    }
    if (instance <= 0) {
        flags &= ~kEnableTemplate;
    }
    return flags;
}

std::int32_t ShowFileFlags(std::int32_t flags, std::intptr_t instance) {
    if ((flags & file_flags::kEnableTemplate) && instance < 1) {
        flags &= ~file_flags::kEnableTemplate;
    }
    return flags;
}

std::string FileNameBuffer(std::string_view current, bool multipleSelection) {
    const std::size_t size = multipleSelection ? kMultipleFileBuffer : kSingleFileBuffer;
    std::string buffer(current.substr(0, size - 1));
    buffer.resize(size, '\0');
    return buffer;
}

std::string ReturnedFileName(std::string_view buffer, bool multipleSelection) {
    if (!multipleSelection) {
        return std::string(buffer.substr(0, buffer.find('\0')));
    }
    const std::size_t end = buffer.find(std::string_view("\0\0", 2));
    return std::string(buffer.substr(0, end));
}

MultiFileName ParseMultiFileName(std::string_view fileName) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < fileName.size()) {
        const std::size_t end = std::min(fileName.find('\0', start), fileName.size());
        if (end == start) {
            break;  // the double NUL ends the list
        }
        pieces.emplace_back(fileName.substr(start, end - start));
        start = end + 1;
    }
    MultiFileName result;
    if (pieces.empty()) {
        return result;
    }
    if (pieces.size() == 1) {
        // One chosen file comes back as a single full path.
        const std::string& path = pieces.front();
        const std::size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos) {
            result.names.push_back(path);
        } else {
            result.folder = path.substr(0, slash);
            result.names.push_back(path.substr(slash + 1));
        }
    } else {
        result.folder = std::move(pieces.front());
        result.names.assign(std::make_move_iterator(pieces.begin() + 1),
                            std::make_move_iterator(pieces.end()));
    }
    result.count = static_cast<std::int32_t>(result.names.size());
    return result;
}

std::optional<HelperError> RefuseHelpCommand(std::int64_t command,
                                             std::string_view executableName) {
    constexpr std::int64_t kHelpSetPopupPosition = 513;
    if (command != kHelpSetPopupPosition && command != kHelpSetWindowPosition) {
        return std::nullopt;
    }
    HelperError error;
    error.Raise(dialog_texts::kInvalidHelpCommandNumber, SourceFor(executableName),
                dialog_texts::kInvalidHelpCommand);
    return error;
}

std::optional<Point> CentredPosition(const Rect& reference, std::int32_t width,
                                     std::int32_t height) {
    if (reference.right < 1 || reference.bottom < 1) {
        return std::nullopt;
    }
    const std::int32_t referenceWidth = reference.right - reference.left;
    const std::int32_t referenceHeight = reference.bottom - reference.top;
    return Point{reference.left + (referenceWidth - width) / 2,
                 reference.top + (referenceHeight - height) / 2};
}

}  // namespace murmurex::dialogs
