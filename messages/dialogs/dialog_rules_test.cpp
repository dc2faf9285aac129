#include "dialog_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace murmurex::dialogs {
namespace {

using namespace std::string_literals;

TEST(FontFlags, SettingsWindowPathReadsBack0x41) {
    EXPECT_EQ(AdjustFontFlags(1, false, 0, 0, 0), 0x41);
    EXPECT_EQ(FontRecordFlags(0x41, false), 0x41);
    EXPECT_EQ(FontRecordFlags(0x41, true), 0x49);
}

TEST(FontFlags, ScreenFontsAddedOnlyWithoutPrinterFonts) {
    EXPECT_EQ(AdjustFontFlags(0, false, 0, 0, 0), 0x41);
    EXPECT_EQ(AdjustFontFlags(2, false, 0, 0, 0), 0x42);
    // A given printer context means printer fonts.
    EXPECT_EQ(AdjustFontFlags(0, true, 0, 0, 0), 0x42);
    EXPECT_TRUE(NeedsRuntimePrinter(2, false));
    EXPECT_FALSE(NeedsRuntimePrinter(2, true));
    EXPECT_FALSE(NeedsRuntimePrinter(1, false));
}

TEST(FontFlags, ColourAndLimitsAddTheirControls) {
    EXPECT_EQ(AdjustFontFlags(1, false, 0x0000FF, 0, 0), 0x141);
    EXPECT_EQ(AdjustFontFlags(1, false, 0, 8, 0), 0x2041);
    EXPECT_EQ(AdjustFontFlags(1, false, 0, 0, 72), 0x2041);
}

TEST(FontFlags, ApplyTemplateAndHookAreAlwaysRemoved) {
    EXPECT_EQ(AdjustFontFlags(1 | 0x200 | 0x10 | 0x8, false, 0, 0, 0), 0x41);
    // Unrelated bits the caller set stay.
    EXPECT_EQ(AdjustFontFlags(1 | 0x10000, false, 0, 0, 0), 0x10041);
}

TEST(FontDescription, HeightAndTenthsRoundHalfToEven) {
    // 10 points at 15 twips per pixel: 13.33 pixels.
    EXPECT_EQ(FontHeightForPoints(10, 15), -13);
    EXPECT_EQ(FontHeightForPoints(12, 15), -16);
    // 9 points at 24 twips per pixel is exactly 7.5 pixels: the even neighbour.
    EXPECT_EQ(FontHeightForPoints(9, 24), -8);
    EXPECT_EQ(FontHeightForPoints(10, 0), 0);
    EXPECT_EQ(TenthsOfPoint(10), 100);
    EXPECT_EQ(TenthsOfPoint(10.5), 105);
    EXPECT_EQ(WholePoints(10.5), 10);
    EXPECT_EQ(WholePoints(11.5), 12);
    EXPECT_EQ(WholePoints(12), 12);
}

TEST(DialogFailure, CancelRaisesNothing) {
    EXPECT_EQ(ClassifyDialogResult(0, 0), DialogOutcome::Cancelled);
    EXPECT_FALSE(DialogFailure(0, 0, "Messages").has_value());
    EXPECT_EQ(ClassifyDialogResult(1, 0), DialogOutcome::Chosen);
    EXPECT_FALSE(DialogFailure(1, 0, "Messages").has_value());
}

TEST(DialogFailure, ExtendedErrorIsOredWith0x348A) {
    const auto error = DialogFailure(2, 0x0002, "Messages");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number, 0x348A);
    EXPECT_EQ(error->source, "Messages.cCommonDialog");
    EXPECT_EQ(DialogFailure(2, 0x3001, "M")->number, 0x3001 | 0x348A);
    EXPECT_EQ(DialogFailure(2, 0x2, "M")->number, 0x348A);
    EXPECT_EQ(DialogFailure(2, 0x1, "M")->number, 0x348B);
}

TEST(DialogFailure, ADialogThatCouldNotOpenIsNotACancel) {
    EXPECT_EQ(ClassifyDialogResult(0, 0x0002), DialogOutcome::Failed);
    EXPECT_EQ(DialogFailure(0, 0x0002, "M")->number, 0x348A);
}

TEST(FileDialog, FilterSeparatorsBecomeNulAndTwoNulsEndIt) {
    EXPECT_EQ(FilterForRecord("Text (*.txt)|*.txt|All|*.*"), "Text (*.txt)\0*.txt\0All\0*.*\0\0"s);
    EXPECT_EQ(FilterForRecord("Lists:*.lst"), "Lists\0*.lst\0\0"s);
    EXPECT_EQ(FilterForRecord(""), "\0\0"s);
}

TEST(FileDialog, RecordFlagsFollowHookSelectionAndTemplate) {
    using namespace file_flags;
    EXPECT_EQ(OpenFileRecordFlags(kEnableHook, false, 0), 0);
    EXPECT_EQ(OpenFileRecordFlags(0, true, 0), kExplorer | kEnableHook);
    EXPECT_EQ(OpenFileRecordFlags(kMultipleSelection, false, 0), kMultipleSelection | kExplorer);
    EXPECT_EQ(OpenFileRecordFlags(kEnableTemplate, false, 0), 0);
    EXPECT_EQ(OpenFileRecordFlags(kEnableTemplate, false, 0x400000), kEnableTemplate);
    EXPECT_EQ(ShowFileFlags(kEnableTemplate | kReadOnly, 0), kReadOnly);
    EXPECT_EQ(ShowFileFlags(kEnableTemplate, 1), kEnableTemplate);
}

TEST(FileDialog, NameBufferIsPaddedToItsSize) {
    const std::string single = FileNameBuffer("C:\\caf\xE9.txt", false);
    EXPECT_EQ(single.size(), 260u);
    EXPECT_EQ(single.substr(0, 12), "C:\\caf\xE9.txt\0"s);
    EXPECT_EQ(FileNameBuffer("", true), std::string(8192, '\0'));
    const std::string tooLong = FileNameBuffer(std::string(300, 'x'), false);
    EXPECT_EQ(tooLong.size(), 260u);
    EXPECT_EQ(tooLong.back(), '\0');
}

TEST(FileDialog, ReturnedNameIsCutUnlessSeveralWereChosen) {
    const std::string buffer = "C:\\Lists\0a.lst\0b c.lst\0\0\0\0"s;
    EXPECT_EQ(ReturnedFileName(buffer, false), "C:\\Lists");
    EXPECT_EQ(ReturnedFileName(buffer, true), "C:\\Lists\0a.lst\0b c.lst"s);
}

TEST(ParseMultiFileName, FolderThenNames) {
    const MultiFileName parsed = ParseMultiFileName("C:\\My Lists\0a.lst\0Caf\xE9.lst\0\0"s);
    EXPECT_EQ(parsed.folder, "C:\\My Lists");
    EXPECT_EQ(parsed.names, (std::vector<std::string>{"a.lst", "Caf\xE9.lst"}));
    EXPECT_EQ(parsed.count, 2);
}

TEST(ParseMultiFileName, OneChosenFileIsAFullPath) {
    const MultiFileName parsed = ParseMultiFileName("C:\\My Lists\\a.lst"s);
    EXPECT_EQ(parsed.folder, "C:\\My Lists");
    EXPECT_EQ(parsed.names, (std::vector<std::string>{"a.lst"}));
    EXPECT_EQ(parsed.count, 1);
}

TEST(ParseMultiFileName, EmptyGivesNothing) {
    EXPECT_EQ(ParseMultiFileName("").count, 0);
    EXPECT_EQ(ParseMultiFileName("\0\0"s).count, 0);
}

TEST(ShowHelp, Commands513And515AreRefused) {
    for (const std::int64_t command : {513, 515}) {
        const auto error = RefuseHelpCommand(command, "Messages");
        ASSERT_TRUE(error.has_value()) << command;
        EXPECT_EQ(error->number, 13705);
        EXPECT_EQ(error->description, "Invalid WinHelp Command Passed to ShowHelp function.");
        EXPECT_EQ(error->source, "Messages.cCommonDialog");
    }
    EXPECT_FALSE(RefuseHelpCommand(514, "Messages").has_value());
    EXPECT_FALSE(RefuseHelpCommand(3, "Messages").has_value());
}

TEST(CentreDialog, CentresInTheReferenceWithIntegerHalves) {
    const auto p = CentredPosition({0, 0, 1280, 770}, 401, 301);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->x, 439);
    EXPECT_EQ(p->y, 234);
    const auto q = CentredPosition({100, 50, 300, 250}, 100, 100);
    EXPECT_EQ(q->x, 150);
    EXPECT_EQ(q->y, 100);
    // A dialog larger than the reference goes up and left; truncation towards zero.
    const auto r = CentredPosition({0, 0, 100, 100}, 301, 301);
    EXPECT_EQ(r->x, -100);
    EXPECT_FALSE(CentredPosition({0, 0, 0, 600}, 10, 10).has_value());
    EXPECT_FALSE(CentredPosition({0, 0, 800, 0}, 10, 10).has_value());
}

}  // namespace
}  // namespace murmurex::dialogs
