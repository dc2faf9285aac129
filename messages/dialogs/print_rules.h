#pragma once
// The portable rules of the print, page-setup and colour dialogs: which request flags reach
// the platform's record, how the wrapper's 32-bit page numbers fit the record's 16-bit ones,
// and how the printer's driver, name and port are read from the device-names block the print
// dialog hands back. Flag values are the dialog library's own bit numbers, named here.

#include <cstdint>
#include <span>
#include <string>

namespace murmurex::dialogs {

/// Print-dialog request flags.
namespace print_flags {
inline constexpr std::int32_t kPageNumbers = 0x2;
inline constexpr std::int32_t kPrintSetup = 0x40;
inline constexpr std::int32_t kReturnDc = 0x100;
inline constexpr std::int32_t kReturnIc = 0x200;
inline constexpr std::int32_t kReturnDefault = 0x400;
inline constexpr std::int32_t kEnablePrintHook = 0x1000;
inline constexpr std::int32_t kEnableSetupHook = 0x2000;
inline constexpr std::int32_t kEnablePrintTemplate = 0x4000;
inline constexpr std::int32_t kEnableSetupTemplate = 0x8000;
inline constexpr std::int32_t kEnablePrintTemplateHandle = 0x10000;
inline constexpr std::int32_t kEnableSetupTemplateHandle = 0x20000;
}  // namespace print_flags

/// Page-setup request flags.
namespace page_setup_flags {
inline constexpr std::int32_t kEnableHook = 0x2000;
inline constexpr std::int32_t kEnableTemplate = 0x8000;
inline constexpr std::int32_t kEnableTemplateHandle = 0x20000;
inline constexpr std::int32_t kEnablePaintHook = 0x40000;
}  // namespace page_setup_flags

/// Colour-dialog request flags.
namespace colour_flags {
inline constexpr std::int32_t kRgbInit = 0x1;
inline constexpr std::int32_t kEnableHook = 0x10;
inline constexpr std::int32_t kEnableTemplate = 0x20;
inline constexpr std::int32_t kEnableTemplateHandle = 0x40;
}  // namespace colour_flags

/// `templateFlag` stays only with a module instance above 0: without one the dialog library
/// has nowhere to load the template from and refuses the whole dialog.
std::int32_t KeepTemplateOnlyWithInstance(std::int32_t flags, std::int32_t templateFlag,
                                          std::intptr_t instance);

/// The flags of the print record. The caller's hook and template-handle bits never pass (the
/// worker installs its own hook; a template comes by name from a module); a hook request adds
/// the print hook (the setup hook for the setup dialog); the template flags stay only with an
/// instance above 0. The device context is never asked for: nothing here draws on the printer, and
/// a context would leak.
std::int32_t PrintRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance);

/// The flags of the page-setup record, by the same rules as the print record.
std::int32_t PageSetupRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance);

/// The flags of the colour record: the colour always initialises the dialog.
std::int32_t ColourRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance);

/// The flags the caller reads back: the record's flags without the bits the worker added for
/// its own hook.
std::int32_t WithoutWorkerHook(std::int32_t recordFlags, std::int32_t hookFlag, bool hookRequested);

/// A page number or limit as the print record holds it: 0 to 65535.
std::uint16_t RecordPageNumber(std::int32_t value) noexcept;

/// The copies the print record asks for: at least 1, at most 65535.
std::uint16_t RecordCopies(std::int32_t copies) noexcept;

/// The printer as the print dialog's device-names block names it.
struct DeviceNames {
    std::string driver;
    std::string device;
    std::string outputPort;
};

/// Reads a device-names block: four 16-bit offsets (in characters from the block's start) of
/// the driver, the device and the output port, then a default flag; each text runs to its NUL
/// or the block's end. An offset outside the block gives an empty text.
DeviceNames ReadDeviceNames(std::span<const std::uint8_t> block);

}  // namespace murmurex::dialogs
