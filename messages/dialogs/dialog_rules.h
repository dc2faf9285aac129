#pragma once
// The portable rules of the common dialog wrapper: how request flags are adjusted, how a
// dialog's answer becomes success, cancel or a raised error, how the open-file texts are
// laid out and read back, and which help commands are refused. Flag values are the dialog
// library's own bit numbers, named here so the core speaks its own vocabulary.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "helper_error.h"

namespace murmurex::dialogs {

/// Font-dialog request flags.
namespace font_flags {
inline constexpr std::int32_t kScreenFonts = 0x1;
inline constexpr std::int32_t kPrinterFonts = 0x2;
inline constexpr std::int32_t kEnableHook = 0x8;
inline constexpr std::int32_t kEnableTemplate = 0x10;
inline constexpr std::int32_t kInitFromDescription = 0x40;
inline constexpr std::int32_t kEffects = 0x100;
inline constexpr std::int32_t kApply = 0x200;
inline constexpr std::int32_t kLimitSize = 0x2000;
/// Returned font type: the chosen face is bold.
inline constexpr std::int32_t kBoldFontType = 0x100;
}  // namespace font_flags

/// File-dialog request flags.
namespace file_flags {
inline constexpr std::int32_t kReadOnly = 0x1;
inline constexpr std::int32_t kEnableHook = 0x20;
inline constexpr std::int32_t kEnableTemplate = 0x40;
inline constexpr std::int32_t kMultipleSelection = 0x200;
inline constexpr std::int32_t kExplorer = 0x80000;
}  // namespace file_flags

/// The font dialog's flags as the caller reads them back (the record adds the hook bit).
/// `printerContextGiven` is False when the caller passed -1 ("none").
std::int32_t AdjustFontFlags(std::int32_t flags, bool printerContextGiven, std::int32_t colour,
                             std::int32_t minimum, std::int32_t maximum);

/// The flags placed in the font request record.
std::int32_t FontRecordFlags(std::int32_t adjustedFlags, bool hookRequested);

/// Whether the printer context must come from the run-time printer object.
bool NeedsRuntimePrinter(std::int32_t flags, bool printerContextGiven);

/// A font's height in the font description: minus the size in pixels, rounded half to even.
std::int32_t FontHeightForPoints(double points, double twipsPerPixelY);

/// The request record's point size, in tenths of a point.
std::int32_t TenthsOfPoint(double points);

/// The size the font member reads back: a whole number of points.
std::int32_t WholePoints(double points);

/// What a dialog call came to.
enum class DialogOutcome { Chosen, Cancelled, Failed };

/// `apiReturn` is the dialog call's result (1 chosen), `extendedError` the library's
/// extended error read after a result other than 1.
DialogOutcome ClassifyDialogResult(std::int64_t apiReturn, std::int64_t extendedError);

/// The error a show member raises when its worker answered False, or nothing on a cancel.
std::optional<HelperError> DialogFailure(std::int64_t apiReturn, std::int64_t extendedError,
                                         std::string_view executableName);

/// The filter as the open-file record takes it: "|" and ":" become NUL separators and two
/// NULs end the text.
std::string FilterForRecord(std::string_view filter);

/// The flags of the open-file record.
std::int32_t OpenFileRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance);

/// The flags `ShowOpen` and `ShowSave` hand on: the template flag goes when no instance is set.
std::int32_t ShowFileFlags(std::int32_t flags, std::intptr_t instance);

/// The file-name buffer: the current value padded with NULs to 8192 characters with multiple
/// selection, else 260 (a longer value is cut to leave one NUL).
std::string FileNameBuffer(std::string_view current, bool multipleSelection);

/// The returned file name: cut at the first NUL, or (multiple selection) the whole list up to
/// its terminating double NUL.
std::string ReturnedFileName(std::string_view buffer, bool multipleSelection);

/// A multiple selection split into its folder and names.
struct MultiFileName {
    std::string folder;
    std::vector<std::string> names;
    std::int32_t count = 0;
};
MultiFileName ParseMultiFileName(std::string_view fileName);

/// `ShowHelp`'s check: 513 and 515 are refused with error 13705.
std::optional<HelperError> RefuseHelpCommand(std::int64_t command, std::string_view executableName);

/// The help command that positions the help window, which only `SetHelpPosition` sends.
inline constexpr std::int64_t kHelpSetWindowPosition = 515;

/// A rectangle in screen pixels.
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

/// Where `CentreDialog` moves a window of the given size, or nothing when the reference
/// rectangle is unusable (right or bottom below 1).
struct Point {
    std::int32_t x = 0, y = 0;
};
std::optional<Point> CentredPosition(const Rect& reference, std::int32_t width,
                                     std::int32_t height);

}  // namespace murmurex::dialogs
