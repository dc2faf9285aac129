#include "print_rules.h"

#include <algorithm>
#include <cstring>

namespace murmurex::dialogs {
namespace {

constexpr std::size_t kDeviceNamesHeader = 8;  // four 16-bit words

std::uint16_t ReadWord(std::span<const std::uint8_t> block, std::size_t at) {
    return static_cast<std::uint16_t>(block[at] | (block[at + 1] << 8));
}

std::string TextAt(std::span<const std::uint8_t> block, std::size_t offset) {
    if (offset < kDeviceNamesHeader || offset >= block.size()) {
        return {};
    }
    const auto start = block.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(start, block.end(), std::uint8_t{0});
    return std::string(start, end);
}

}  // namespace

std::int32_t KeepTemplateOnlyWithInstance(std::int32_t flags, std::int32_t templateFlag,
                                          std::intptr_t instance) {
    return instance > 0 ? flags : flags & ~templateFlag;
}

std::int32_t PrintRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance) {
    using namespace print_flags;
    flags &= ~(kEnablePrintHook | kEnableSetupHook | kEnablePrintTemplateHandle |
               kEnableSetupTemplateHandle | kReturnDc | kReturnIc);
    if (hookRequested) {
        // The setup dialog calls its own hook.
        flags |= (flags & kPrintSetup) ? kEnableSetupHook : kEnablePrintHook;
    }
    flags = KeepTemplateOnlyWithInstance(flags, kEnablePrintTemplate, instance);
    return KeepTemplateOnlyWithInstance(flags, kEnableSetupTemplate, instance);
}

std::int32_t PageSetupRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance) {
    using namespace page_setup_flags;
    flags &= ~(kEnableHook | kEnablePaintHook | kEnableTemplateHandle);
    if (hookRequested) {
        flags |= kEnableHook;
    }
    return KeepTemplateOnlyWithInstance(flags, kEnableTemplate, instance);
}

std::int32_t ColourRecordFlags(std::int32_t flags, bool hookRequested, std::intptr_t instance) {
    using namespace colour_flags;
    flags &= ~(kEnableHook | kEnableTemplateHandle);
    flags |= kRgbInit;
    if (hookRequested) {
        flags |= kEnableHook;
    }
    return KeepTemplateOnlyWithInstance(flags, kEnableTemplate, instance);
}

std::int32_t WithoutWorkerHook(std::int32_t recordFlags, std::int32_t hookFlag,
                               bool hookRequested) {
    return hookRequested ? recordFlags & ~hookFlag : recordFlags;
}

std::uint16_t RecordPageNumber(std::int32_t value) noexcept {
    return static_cast<std::uint16_t>(std::clamp<std::int32_t>(value, 0, 0xFFFF));
}

std::uint16_t RecordCopies(std::int32_t copies) noexcept {
    return static_cast<std::uint16_t>(std::clamp<std::int32_t>(copies, 1, 0xFFFF));
}

DeviceNames ReadDeviceNames(std::span<const std::uint8_t> block) {
    if (block.size() < kDeviceNamesHeader) {
        return {};
    }
    return {TextAt(block, ReadWord(block, 0)), TextAt(block, ReadWord(block, 2)),
            TextAt(block, ReadWord(block, 4))};
}

}  // namespace murmurex::dialogs
