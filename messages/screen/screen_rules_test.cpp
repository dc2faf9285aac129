#include "screen_rules.h"

#include <gtest/gtest.h>

#include "resolution_results_test.h"
#include "screen_texts.h"

namespace murmurex {
namespace {

TEST(ScreenMetrics, TwipsPerPixelAndDepth) {
    EXPECT_EQ(TwipsPerPixel(508, 1920), static_cast<float>(56.7 * 508 / 1920));
    EXPECT_EQ(TwipsPerPixel(286, 1080), static_cast<float>(56.7 * 286 / 1080));
    // A device reporting no pixels leaves the caller's figure alone instead of dividing by 0.
    EXPECT_FALSE(TwipsPerPixel(508, 0).has_value());

    const std::pair<int, int> depths[] = {{32, 32}, {24, 24}, {16, 16}, {8, 8}, {4, 4},
                                          {1, 2},   {2, 2},   {15, 0},  {0, 0}, {-32, 0}};
    for (const auto& [device, reported] : depths) {
        EXPECT_EQ(MapBitsPerPixel(device), reported) << device;
    }
}

TEST(ResolutionChange, TableCoversIndicesZeroToSixOnly) {
    EXPECT_EQ(ResolutionForIndex(0)->width, 320);
    EXPECT_EQ(ResolutionForIndex(4)->height, 864);
    EXPECT_EQ(ResolutionForIndex(6)->width, 1600);
    EXPECT_FALSE(ResolutionForIndex(7).has_value());
    EXPECT_FALSE(ResolutionForIndex(-1).has_value());
}

TEST(ResolutionChange, SameModeNeedsNoPlatformCall) {
    const CurrentMode svga{800, 600, 32};
    EXPECT_TRUE(PlanResolutionChange(2, 0, false, svga).alreadyCurrent);
    EXPECT_TRUE(PlanResolutionChange(2, 32, false, svga).alreadyCurrent);
    EXPECT_FALSE(PlanResolutionChange(2, 0, false, CurrentMode{800, 768, 32}).alreadyCurrent);
    // Same size but another depth goes to the platform, with the depth in the record.
    const ResolutionPlan deeper = PlanResolutionChange(2, 16, false, svga);
    EXPECT_FALSE(deeper.alreadyCurrent);
    EXPECT_EQ(deeper.fields, 0x1C0000u);
    EXPECT_EQ(deeper.width, 800);
    EXPECT_EQ(deeper.height, 600);
    EXPECT_EQ(deeper.bitsPerPixel, 16);
}

TEST(ResolutionChange, RecordAndFlags) {
    const CurrentMode wide{1920, 1080, 32};
    const ResolutionPlan keepDepth = PlanResolutionChange(3, 0, false, wide);
    EXPECT_EQ(keepDepth.fields, 0x180000u);
    EXPECT_EQ(keepDepth.width, 1024);
    EXPECT_EQ(keepDepth.height, 768);
    EXPECT_EQ(keepDepth.flags, 0x40000001u);
    EXPECT_EQ(PlanResolutionChange(3, 0, true, wide).flags, 2u);

    // An index outside the table skips the comparison and asks for 0 x 0.
    const ResolutionPlan outside = PlanResolutionChange(9, 0, true, CurrentMode{0, 0, 0});
    EXPECT_FALSE(outside.alreadyCurrent);
    EXPECT_EQ(outside.width, 0);
    EXPECT_EQ(outside.height, 0);
    EXPECT_EQ(PlanResolutionChange(9, 16, false, wide).fields, 0x1C0000u);
}

TEST(ResolutionChange, PlatformResultsReadAsAnswersAndErrors) {
    const ResolutionOutcome done = InterpretResolutionResult(0);
    EXPECT_TRUE(done.answer);
    EXPECT_FALSE(done.restartNeeded);
    EXPECT_EQ(ResolutionError("Messages", done).number, 0);
    const ResolutionOutcome restart = InterpretResolutionResult(1);
    EXPECT_TRUE(restart.answer);
    EXPECT_TRUE(restart.restartNeeded);

    for (const auto& row : test::kResolutionRefusals) {
        const ResolutionOutcome outcome = InterpretResolutionResult(row.result);
        EXPECT_FALSE(outcome.answer) << row.result;
        EXPECT_FALSE(outcome.restartNeeded) << row.result;
        const ScreenError error = ResolutionError("Messages", outcome);
        EXPECT_EQ(error.number, row.number) << row.result;
        EXPECT_EQ(error.description, row.message) << row.result;
        EXPECT_EQ(error.source, "MessagescScreen.ChangeResolution(ChangeDisplaySettings)");
    }
}

TEST(ScreenErrors, NumberZeroRaisesNothing) {
    ScreenError error{5, "earlier", "kept"};
    EXPECT_FALSE(RaiseScreenError(error, "Messages.cScreen.hDC(GetDC)", 0, "ignored"));
    EXPECT_EQ(error.number, 5);
    EXPECT_EQ(error.source, "earlier");

    EXPECT_TRUE(RaiseScreenError(error, screen_texts::Source("Messages", "hDC(GetDC)"), 6,
                                 "The handle is invalid."));
    EXPECT_EQ(error.number, 6);
    EXPECT_EQ(error.source, "Messages.cScreen.hDC(GetDC)");
    EXPECT_EQ(error.description, "The handle is invalid.");
}

TEST(ScreenErrors, ExecutableNameFromItsPath) {
    EXPECT_EQ(ExecutableNameFromPath("C:\\Program Files\\Murmurex\\Messages.exe"), "Messages");
    EXPECT_EQ(ExecutableNameFromPath("C:\\tools.v2\\Messages"), "Messages");
    EXPECT_EQ(ExecutableNameFromPath("/opt/app/archive.tar.gz"), "archive.tar");
}

TEST(MouseIconFiles, ExtensionCheckIgnoresCase) {
    EXPECT_TRUE(IsMouseIconFile("C:\\cursors\\hand.Ico"));
    EXPECT_TRUE(IsMouseIconFile("pointer.cur"));
    EXPECT_TRUE(IsMouseIconFile("BUSY.ANI"));
    EXPECT_FALSE(IsMouseIconFile("picture.bmp"));
    EXPECT_FALSE(IsMouseIconFile("pointer.icon"));
    EXPECT_FALSE(IsMouseIconFile("ico"));
    EXPECT_TRUE(IsCursorFile("a.Cur"));
    EXPECT_FALSE(IsCursorFile("a.ico"));
}

}  // namespace
}  // namespace murmurex
