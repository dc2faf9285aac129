#include "print_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "portable/little_endian.h"

namespace murmurex::dialogs {
namespace {

TEST(PrintFlags, HookBitsAreTheWorkersOwn) {
    // A caller's hook bits never reach the record without a hook of the worker behind them.
    EXPECT_EQ(PrintRecordFlags(0x1000 | 0x2000 | 0x2, false, 0), 0x2);
    EXPECT_EQ(PrintRecordFlags(0x2, true, 0), 0x1002);
    // The setup dialog has a hook of its own.
    EXPECT_EQ(PrintRecordFlags(0x40, true, 0), 0x2040);
}

TEST(PrintFlags, TemplatesStayOnlyWithAnInstance) {
    EXPECT_EQ(PrintRecordFlags(0x4000 | 0x8000, false, 0), 0);
    EXPECT_EQ(PrintRecordFlags(0x4000 | 0x8000, false, -1), 0);
    EXPECT_EQ(PrintRecordFlags(0x4000 | 0x8000, false, 0x400000), 0xC000);
    // A template given as a memory handle is never passed: the wrapper names templates.
    EXPECT_EQ(PrintRecordFlags(0x10000 | 0x20000, false, 0x400000), 0);
}

TEST(PrintFlags, NoDeviceContextIsAskedFor) {
    EXPECT_EQ(PrintRecordFlags(0x100 | 0x200 | 0x400, false, 0), 0x400);
}

TEST(PageSetupFlags, HookPaintHookAndTemplate) {
    EXPECT_EQ(PageSetupRecordFlags(0x2000 | 0x40000 | 0x2, false, 0), 0x2);
    EXPECT_EQ(PageSetupRecordFlags(0x2, true, 0), 0x2002);
    EXPECT_EQ(PageSetupRecordFlags(0x8000, false, 0), 0);
    EXPECT_EQ(PageSetupRecordFlags(0x8000, false, 1), 0x8000);
}

TEST(ColourFlags, ColourAlwaysInitialisesAndTemplateNeedsAnInstance) {
    EXPECT_EQ(ColourRecordFlags(0, false, 0), 0x1);
    EXPECT_EQ(ColourRecordFlags(0x2 | 0x10, false, 0), 0x3);
    EXPECT_EQ(ColourRecordFlags(0x2, true, 0), 0x13);
    EXPECT_EQ(ColourRecordFlags(0x20 | 0x40, false, 0), 0x1);
    EXPECT_EQ(ColourRecordFlags(0x20 | 0x40, false, 7), 0x21);
}

TEST(RecordFlags, ReadBackWithoutTheWorkersHook) {
    EXPECT_EQ(WithoutWorkerHook(0x1002, 0x1000, true), 0x2);
    // Without a hook request the bit was not the worker's, so it is reported as it came.
    EXPECT_EQ(WithoutWorkerHook(0x1002, 0x1000, false), 0x1002);
}

TEST(PrintPages, WrapperNumbersFitTheRecordsWords) {
    EXPECT_EQ(RecordPageNumber(0), 0);
    EXPECT_EQ(RecordPageNumber(12), 12);
    EXPECT_EQ(RecordPageNumber(65535), 65535);
    // 70,000 would wrap to 4,464 if simply cut to 16 bits.
    EXPECT_EQ(RecordPageNumber(70000), 65535);
    EXPECT_EQ(RecordPageNumber(-3), 0);
    EXPECT_EQ(RecordCopies(0), 1);
    EXPECT_EQ(RecordCopies(-5), 1);
    EXPECT_EQ(RecordCopies(3), 3);
    EXPECT_EQ(RecordCopies(100000), 65535);
}

std::vector<std::uint8_t> DeviceNamesBlock(std::uint16_t driver, std::uint16_t device,
                                           std::uint16_t port, const std::string& texts) {
    std::vector<std::uint8_t> block;
    for (std::uint16_t word : {driver, device, port, std::uint16_t{1}}) {
        common::AppendLe16(block, word);
    }
    block.insert(block.end(), texts.begin(), texts.end());
    return block;
}

TEST(DeviceNames, ReadsDriverPrinterAndPort) {
    using namespace std::string_literals;
    const auto block = DeviceNamesBlock(8, 17, 38, "winspool\0Caf\xE9 Laser 2nd Floor\0LPT1:\0"s);
    const DeviceNames names = ReadDeviceNames(block);
    EXPECT_EQ(names.driver, "winspool");
    EXPECT_EQ(names.device, "Caf\xE9 Laser 2nd Floor");
    EXPECT_EQ(names.outputPort, "LPT1:");
}

TEST(DeviceNames, OffsetsOutsideTheBlockGiveEmptyTexts) {
    using namespace std::string_literals;
    // The port's offset lies past the end; the device's points into the header.
    const auto block = DeviceNamesBlock(8, 2, 0xFFFF, "winspool\0"s);
    const DeviceNames names = ReadDeviceNames(block);
    EXPECT_EQ(names.driver, "winspool");
    EXPECT_EQ(names.device, "");
    EXPECT_EQ(names.outputPort, "");
    EXPECT_EQ(ReadDeviceNames(std::span<const std::uint8_t>(block.data(), 5)).driver, "");
}

TEST(DeviceNames, ATextWithoutItsNulEndsAtTheBlock) {
    const std::string texts = "winspool";
    const auto block = DeviceNamesBlock(8, 8, 8, texts);
    EXPECT_EQ(ReadDeviceNames(block).device, "winspool");
}

}  // namespace
}  // namespace murmurex::dialogs
