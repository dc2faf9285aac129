#include "screen_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fake_screen_surface_test.h"

namespace murmurex {
namespace {

constexpr const char* kExe = "Messages";

std::string Source(const char* member) {
    return std::string(kExe) + ".cScreen." + member;
}

using test::FakePicture;
using test::FakeScreen;

class Drawing : public ::testing::Test {
  protected:
    FakeScreen screen;
    ScreenDrawing drawing{screen, kExe};
};

TEST_F(Drawing, ColoursRefuseWhatIsNeitherRgbNorASystemColourAndKeepTheOldOne) {
    ASSERT_EQ(drawing.ForeColor_Scr(0x0000FF).number, 0);
    const ScreenError refused = drawing.ForeColor_Scr(0x12345678);
    EXPECT_EQ(refused.number, -1);
    EXPECT_EQ(refused.description, "Invalid Color Specified");
    EXPECT_EQ(refused.source, Source("Let_ForeColor_Scr(TranslateColor)"));
    EXPECT_EQ(drawing.ForeColor_Scr(), 0x0000FFu);

    // A system colour is stored as given, not as the RGB it stands for.
    EXPECT_EQ(drawing.BackColor_Txt(0x8000000F).number, 0);
    EXPECT_EQ(drawing.BackColor_Txt(), 0x8000000Fu);

    EXPECT_EQ(drawing.BackColor_Scr(0x01000000).source,
              Source("Let_BackColor_Scr(TranslateColor)"));
    EXPECT_EQ(drawing.BackColor_Txt(0xFF000000).source,
              Source("Let_BackColor_Txt(TranslateColor)"));
    EXPECT_EQ(drawing.ForeColor_Txt(0x80FFFFFF).source,
              Source("Let_ForeColor_Txt(TranslateColor)"));
    EXPECT_EQ(drawing.BackColor_Scr(), 0xFFFFFFu);
    EXPECT_EQ(drawing.ForeColor_Txt(), 0u);
}

TEST_F(Drawing, ArcWithoutARadiusDrawsAndRecordsNothing) {
    drawing.EnableRefresh(true);
    const auto answer = drawing.DrawArc(50, 50, 0, 10, 10, 0, 90);
    EXPECT_FALSE(answer.value);
    EXPECT_FALSE(answer.raised());
    EXPECT_EQ(screen.opened, 0);
    EXPECT_EQ(drawing.List().Size(), 0u);

    ASSERT_TRUE(drawing.DrawArc(50, 50, 20, 10, 10, 30, 90).value);
    EXPECT_EQ(screen.Calls("move"), std::vector<std::string>{"move 10,10"});
    EXPECT_EQ(screen.Calls("arc"), std::vector<std::string>{"arc 50,50 r20 30+90"});
    ASSERT_EQ(drawing.List().arcs.size(), 1u);
    EXPECT_EQ(drawing.List().arcs[0].sweepAngle, 90.0f);
}

TEST_F(Drawing, ArcIsNotDrawnWhenTheMoveToItsLineStartFails) {
    screen.failures["move"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 87, "The parameter is incorrect.");
    const auto answer = drawing.DrawArc(50, 50, 20, 10, 10, 0, 90);
    EXPECT_FALSE(answer.value);
    EXPECT_EQ(answer.error.number, 87);
    EXPECT_EQ(answer.error.source, Source("SetCurrentXY(DRAW_MoveCurrentXY)"));
    EXPECT_TRUE(screen.Calls("arc").empty());
}

// Three lines and one rectangle, each in colours of its own, are replayed lines first (the
// rectangle was drawn first), each in the colours it was drawn with.
TEST_F(Drawing, RefreshReplaysInListOrderUnderTheRecordedColoursAndRestoresTheCurrentOnes) {
    drawing.EnableRefresh(true);
    ASSERT_EQ(drawing.BackColor_Scr(0x00FF00).number, 0);
    ASSERT_EQ(drawing.ForeColor_Scr(0x0000FF).number, 0);
    ASSERT_TRUE(drawing.DrawRectangle(10, 10, 50, 50, true, true).value);
    const std::uint32_t lineColours[] = {0x111111, 0x222222, 0x333333};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(drawing.ForeColor_Scr(lineColours[i]).number, 0);
        ASSERT_TRUE(drawing.DrawLine(0, i * 10, 100, i * 10).value);
    }
    ASSERT_EQ(drawing.ForeColor_Scr(0xABCDEF).number, 0);
    ASSERT_EQ(drawing.ForeColor_Txt(0x123456).number, 0);
    ASSERT_EQ(drawing.List().Size(), 4u);

    ASSERT_TRUE(drawing.Clear(false).value);
    EXPECT_EQ(drawing.List().Size(), 4u);
    screen.log.clear();

    const auto answer = drawing.Refresh();
    EXPECT_TRUE(answer.value);
    EXPECT_FALSE(answer.raised());
    const std::vector<std::string> opens = screen.Calls("open");
    ASSERT_EQ(opens.size(), 4u);
    EXPECT_EQ(opens[0], "open back 00FF00 fore 111111 text 000000 on FFFFFF");
    EXPECT_EQ(opens[1], "open back 00FF00 fore 222222 text 000000 on FFFFFF");
    EXPECT_EQ(opens[2], "open back 00FF00 fore 333333 text 000000 on FFFFFF");
    EXPECT_EQ(opens[3], "open back 00FF00 fore 0000FF text 000000 on FFFFFF");
    EXPECT_EQ(screen.Calls("line"),
              (std::vector<std::string>{"line 0,0 -> 100,0", "line 0,10 -> 100,10",
                                        "line 0,20 -> 100,20"}));
    EXPECT_EQ(screen.Calls("fill"), std::vector<std::string>{"fill 10,10,50,50 00FF00"});
    EXPECT_EQ(screen.Calls("frame"), std::vector<std::string>{"frame 10,10,50,50 0000FF"});
    // Lines come before the rectangle in the replay.
    EXPECT_EQ(screen.log.back(), "release");
    EXPECT_EQ(screen.log[screen.log.size() - 3], "fill 10,10,50,50 00FF00");

    EXPECT_EQ(drawing.ForeColor_Scr(), 0xABCDEFu);
    EXPECT_EQ(drawing.ForeColor_Txt(), 0x123456u);
    EXPECT_EQ(drawing.BackColor_Scr(), 0x00FF00u);
    // Replayed calls are not recorded again.
    EXPECT_EQ(drawing.List().Size(), 4u);
    EXPECT_FALSE(drawing.Refreshing());
}

TEST_F(Drawing, NothingIsRecordedWithoutEnableRefreshAndRefreshThenDrawsNothing) {
    ASSERT_TRUE(drawing.DrawEllipse(1, 2, 3, 4).value);
    ASSERT_TRUE(drawing.drawText("hello", 5, 5, false).value);
    EXPECT_EQ(drawing.List().Size(), 0u);
    screen.log.clear();
    const auto answer = drawing.Refresh();
    EXPECT_TRUE(answer.value);
    EXPECT_TRUE(screen.log.empty());
}

TEST_F(Drawing, ClearTrueDropsTheListClearFalseKeepsIt) {
    drawing.EnableRefresh(true);
    ASSERT_TRUE(drawing.DrawEllipse(1, 2, 3, 4).value);
    ASSERT_TRUE(drawing.Clear(false).value);
    EXPECT_EQ(drawing.List().ellipses.size(), 1u);
    EXPECT_EQ(screen.messageRuns, 1);

    // A refused repaint keeps the list and answers False.
    screen.repaintWorks = false;
    EXPECT_FALSE(drawing.Clear(true).value);
    EXPECT_EQ(drawing.List().ellipses.size(), 1u);
    EXPECT_EQ(screen.messageRuns, 1);

    screen.repaintWorks = true;
    ASSERT_TRUE(drawing.Clear(true).value);
    EXPECT_EQ(drawing.List().Size(), 0u);
    screen.log.clear();
    EXPECT_TRUE(drawing.Refresh().value);
    EXPECT_TRUE(screen.log.empty());
}

TEST_F(Drawing, RefreshStopsAtTheFirstReplayedCallThatFailsAndAnswersFalse) {
    drawing.EnableRefresh(true);
    ASSERT_TRUE(drawing.DrawEllipse(1, 1, 9, 9).value);
    ASSERT_TRUE(drawing.DrawEllipse(2, 2, 8, 8).value);
    ASSERT_TRUE(drawing.DrawLine(0, 0, 5, 5).value);
    ASSERT_EQ(drawing.ForeColor_Scr(0x654321).number, 0);
    screen.failures["ellipse"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    screen.log.clear();

    const auto answer = drawing.Refresh();
    EXPECT_FALSE(answer.value);
    EXPECT_EQ(answer.error.number, 6);
    EXPECT_EQ(answer.error.source, Source("DrawEllipse(DRAW_Ellipse)"));
    EXPECT_EQ(screen.Calls("ellipse").size(), 1u);
    EXPECT_TRUE(screen.Calls("line").empty());
    EXPECT_EQ(drawing.ForeColor_Scr(), 0x654321u);
    EXPECT_FALSE(drawing.Refreshing());
}

TEST_F(Drawing, LineMovesToItsStartUnlessTheContextIsAlreadyThere) {
    screen.startPosition = {10, 0};
    ASSERT_TRUE(drawing.DrawLine(10, 20, 50, 60).value);
    EXPECT_EQ(screen.Calls("move"), std::vector<std::string>{"move 10,20"});
    EXPECT_EQ(screen.Calls("line"), std::vector<std::string>{"line 10,20 -> 50,60"});

    screen.log.clear();
    screen.startPosition = {10, 20};
    ASSERT_TRUE(drawing.DrawLine(10, 20, 50, 60).value);
    EXPECT_TRUE(screen.Calls("move").empty());
}

TEST_F(Drawing, LineIsNotDrawnWhenThePositionCannotBeRead) {
    drawing.EnableRefresh(true);
    screen.failures["position"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    const auto answer = drawing.DrawLine(1, 2, 3, 4);
    EXPECT_FALSE(answer.value);
    EXPECT_EQ(answer.error.source, Source("GetCurrentXY(DRAW_MoveCurrentXY)"));
    EXPECT_TRUE(screen.Calls("line").empty());
    EXPECT_EQ(drawing.List().Size(), 0u);
}

TEST_F(Drawing, AFailedCallRaisesWithItsSourceIsNotRecordedAndReleasesItsContext) {
    drawing.EnableRefresh(true);
    screen.failures["pie"] = SurfaceOutcome::Failure(SurfaceStep::Draw, 8, "Not enough memory.");
    const auto answer = drawing.DrawPie(0, 0, 90, 90, 45, false, 0, 0, 0, 0);
    EXPECT_FALSE(answer.value);
    EXPECT_EQ(answer.error.number, 8);
    EXPECT_EQ(answer.error.description, "Not enough memory.");
    EXPECT_EQ(answer.error.source, Source("DrawPie(DRAW_Pie)"));
    EXPECT_EQ(screen.log.back(), "release");
    EXPECT_EQ(drawing.List().Size(), 0u);

    // A failure without an error code raises nothing, but the answer is still False.
    screen.failures["chord"] = SurfaceOutcome::Failure(SurfaceStep::Draw, 0, "");
    const auto silent = drawing.DrawHalfCircle(0, 0, 10, 10, 0, 5, 10, 5);
    EXPECT_FALSE(silent.value);
    EXPECT_FALSE(silent.raised());
}

TEST_F(Drawing, NoContextMeansNothingDrawnAndTheContextErrorRaised) {
    screen.failures["open"] =
        SurfaceOutcome::Failure(SurfaceStep::GetDc, 1400, "Invalid window handle.");
    const auto answer = drawing.DrawEllipse(0, 0, 5, 5);
    EXPECT_FALSE(answer.value);
    EXPECT_EQ(answer.error.source, Source("hDC(GetDC)"));
    EXPECT_TRUE(screen.Calls("ellipse").empty());
}

TEST_F(Drawing, AFailedStyleStepIsRaisedButTheShapeIsStillDrawn) {
    screen.failures["open"] =
        SurfaceOutcome::Failure(SurfaceStep::CreatePen, 87, "The parameter is incorrect.");
    const auto answer = drawing.DrawEllipse(0, 0, 5, 5);
    EXPECT_TRUE(answer.value);
    EXPECT_EQ(answer.error.source, Source("GetPen(CreatePen)"));
    EXPECT_EQ(screen.Calls("ellipse").size(), 1u);
}

TEST_F(Drawing, RectangleNeedsFillOrOutlineAndFillsBeforeItFrames) {
    const auto refused = drawing.DrawRectangle(0, 0, 5, 5, false, false);
    EXPECT_FALSE(refused.value);
    EXPECT_EQ(refused.error.number, -1);
    EXPECT_EQ(refused.error.description, "Invalid Parameters Specified");
    EXPECT_EQ(refused.error.source, Source("DrawRectangle"));
    EXPECT_EQ(screen.opened, 0);

    ASSERT_EQ(drawing.BackColor_Scr(0x0000FF).number, 0);
    ASSERT_EQ(drawing.ForeColor_Scr(0x00FF00).number, 0);
    ASSERT_TRUE(drawing.DrawRectangle(1, 2, 30, 40, true, true).value);
    EXPECT_EQ(screen.Calls("fill"), std::vector<std::string>{"fill 1,2,30,40 0000FF"});
    EXPECT_EQ(screen.Calls("frame"), std::vector<std::string>{"frame 1,2,30,40 00FF00"});
    EXPECT_LT(std::find(screen.log.begin(), screen.log.end(), "fill 1,2,30,40 0000FF"),
              std::find(screen.log.begin(), screen.log.end(), "frame 1,2,30,40 00FF00"));

    screen.log.clear();
    screen.failures["fill"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    const auto failed = drawing.DrawRectangle(1, 2, 30, 40, true, false);
    EXPECT_FALSE(failed.value);
    EXPECT_EQ(failed.error.source, Source("DrawRectangle(DRAW_RectangleFilled)"));
    screen.failures.clear();
    screen.failures["frame"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    EXPECT_EQ(drawing.DrawRectangle(1, 2, 30, 40, false, true).error.source,
              Source("DrawRectangle(DRAW_RectangleOutline)"));
}

TEST_F(Drawing, PolygonAndPolylineCheckTheirCountAndPairThePoints) {
    const std::int32_t xs[] = {10, 20, 30};
    const std::int32_t ys[] = {11, 21, 31};
    const auto none = drawing.DrawPolygon(xs, ys, 0);
    EXPECT_EQ(none.error.number, -1);
    EXPECT_EQ(none.error.description, "Invalid POINT Count Specified");
    EXPECT_EQ(none.error.source, Source("DrawPolygon"));
    EXPECT_EQ(drawing.DrawPolyline(0, 0, xs, ys, 0).error.source, Source("DrawPolyline"));
    EXPECT_EQ(drawing.DrawPolygon(xs, ys, -2).error.description, "Invalid POINT Count Specified");
    // More points than the arrays hold is refused rather than read past their ends.
    const auto beyond = drawing.DrawPolygon(xs, ys, 4);
    EXPECT_FALSE(beyond.value);
    EXPECT_EQ(beyond.error.number, 9);
    EXPECT_EQ(screen.opened, 0);

    drawing.EnableRefresh(true);
    ASSERT_TRUE(drawing.DrawPolygon(xs, ys, 2).value);
    EXPECT_EQ(screen.Calls("polygon"), std::vector<std::string>{"polygon 10,11 20,21"});
    ASSERT_TRUE(drawing.DrawPolyline(5, 6, xs, ys, 3).value);
    EXPECT_EQ(screen.Calls("polyline"),
              std::vector<std::string>{"polyline 5,6 -> 10,11 20,21 30,31"});
    ASSERT_EQ(drawing.List().polylines.size(), 1u);
    EXPECT_EQ(drawing.List().polylines[0].ys, (std::vector<std::int32_t>{11, 21, 31}));
    EXPECT_EQ(drawing.List().polygons[0].count, 2);

    screen.failures["move"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    const auto unmoved = drawing.DrawPolyline(5, 6, xs, ys, 3);
    EXPECT_EQ(unmoved.error.source, Source("DrawPolyline(DRAW_MoveCurrentXY)"));
    EXPECT_EQ(screen.Calls("polyline").size(), 1u);
}

TEST_F(Drawing, TextIsMeasuredThenDrawnSingleLineOrWrapped) {
    drawing.EnableRefresh(true);
    const auto empty = drawing.drawText("", 5, 5, false);
    EXPECT_FALSE(empty.value);
    EXPECT_EQ(screen.opened, 0);
    EXPECT_EQ(drawing.List().Size(), 0u);

    ASSERT_TRUE(drawing.drawText("Héllo wörld", 200, 40, false).value);
    EXPECT_EQ(screen.Calls("font"), std::vector<std::string>{"font Arial 10"});
    // The layout starts with its right edge at 100 and takes the measured height.
    EXPECT_EQ(screen.Calls("measure"),
              std::vector<std::string>{"measure Héllo wörld 200,40,100,0"});
    EXPECT_EQ(screen.Calls("text"),
              std::vector<std::string>{"text Héllo wörld 200,40,304,56 flags96"});
    ASSERT_TRUE(drawing.drawText("two words", 0, 0, true).value);
    EXPECT_EQ(screen.Calls("text").back(), "text two words 0,0,72,16 flags80");
    ASSERT_EQ(drawing.List().texts.size(), 2u);
    EXPECT_TRUE(drawing.List().texts[1].wordWrap);
}

TEST_F(Drawing, TextWithAnInvalidFontRaisesButIsDrawnInTheContextFont) {
    ScreenFontObject font = drawing.Font();
    font.name.clear();
    drawing.Font(font);
    const auto unnamed = drawing.drawText("x", 0, 0, false);
    EXPECT_TRUE(unnamed.value);
    EXPECT_EQ(unnamed.error.description, "Invalid Font Name Specified");
    EXPECT_EQ(unnamed.error.source, Source("GetFont"));
    EXPECT_TRUE(screen.Calls("font").empty());

    font.name = "Courier New";
    font.size = 0.4;  // rounds to 0 points
    drawing.Font(font);
    EXPECT_EQ(drawing.drawText("x", 0, 0, false).error.description, "Invalid Font Size Specified");

    font.size = 12;
    drawing.Font(font);
    screen.failures["font"] =
        SurfaceOutcome::Failure(SurfaceStep::CreateFont, 87, "The parameter is incorrect.");
    const auto uncreated = drawing.drawText("x", 0, 0, false);
    EXPECT_EQ(uncreated.error.source, Source("GetFont(CreateFont)"));
    EXPECT_EQ(screen.Calls("text").size(), 3u);
}

TEST_F(Drawing, FontReadAndWrite) {
    const ScreenFontObject initial = drawing.Font();
    EXPECT_EQ(initial.name, "Arial");
    EXPECT_EQ(initial.size, 10);
    EXPECT_EQ(initial.weight, 400);
    EXPECT_EQ(initial.charset, 0);
    EXPECT_FALSE(initial.bold || initial.italic || initial.underline || initial.strikethrough);

    ScreenFontObject font;
    font.name = "Times New Roman";
    font.size = 10.5;  // whole points, halves to even
    font.bold = true;
    font.strikethrough = true;
    drawing.Font(font);
    EXPECT_EQ(drawing.FontSettings().size, 10);
    const ScreenFontObject read = drawing.Font();
    EXPECT_EQ(read.name, "Times New Roman");
    EXPECT_EQ(read.weight, 700);
    EXPECT_TRUE(read.strikethrough);
    font.size = 11.5;
    drawing.Font(font);
    EXPECT_EQ(drawing.FontSettings().size, 12);
}

TEST_F(Drawing, PieClampsItsAngleAndWalksTheBoxUnlessGivenPoints) {
    drawing.EnableRefresh(true);
    ASSERT_TRUE(drawing.DrawPie(100, 50, 280, 230, -30, false, 1, 2, 3, 4).value);
    ASSERT_TRUE(drawing.DrawPie(100, 50, 280, 230, 400, false, 1, 2, 3, 4).value);
    ASSERT_TRUE(drawing.DrawPie(100, 50, 280, 230, 90, true, 1, 2, 3, 4).value);
    EXPECT_EQ(screen.Calls("pie"), (std::vector<std::string>{"pie 100,50,280,230 190,50 190,50",
                                                             "pie 100,50,280,230 190,50 189,50",
                                                             "pie 100,50,280,230 1,2 3,4"}));
    ASSERT_EQ(drawing.List().pies.size(), 3u);
    EXPECT_EQ(drawing.List().pies[0].angle, 0);
    EXPECT_EQ(drawing.List().pies[1].angle, 360);
    EXPECT_EQ(drawing.List().pies[2].x2, 3);
}

TEST_F(Drawing, PictureNeedsASourceThatExistsAndHoldsAnImage) {
    const auto none = drawing.DrawPicture(0, 0, "", nullptr, 0, 0, 0, false);
    EXPECT_EQ(none.error.number, -1);
    EXPECT_EQ(none.error.description, "No picture specified to draw.");
    EXPECT_EQ(none.error.source, Source("DrawPicture"));

    const auto missing =
        drawing.DrawPicture(0, 0, "C:\\Pictures\\Été 2026.bmp", nullptr, 0, 0, 0, false);
    EXPECT_EQ(missing.error.description, "Specified picture could not be found.");
    EXPECT_EQ(missing.error.source, Source("DrawPicture"));

    const PictureObject empty = std::make_shared<FakePicture>(false, 100, 100);
    const auto invalid = drawing.DrawPicture(0, 0, "", empty, 0, 0, 0, false);
    EXPECT_EQ(invalid.error.description, "Invalid picture variable specified.");
    EXPECT_EQ(screen.opened, 0);

    screen.files.insert("C:\\Pictures\\Été 2026.bmp");
    screen.failures["load"] =
        SurfaceOutcome::Failure(SurfaceStep::LoadPicture, 13, "The data is invalid.");
    const auto unreadable =
        drawing.DrawPicture(0, 0, "C:\\Pictures\\Été 2026.bmp", nullptr, 0, 0, 0, false);
    EXPECT_EQ(unreadable.error.number, 13);
    EXPECT_EQ(unreadable.error.source, Source("DrawPicture(LoadPicture)"));
}

TEST_F(Drawing, PictureFromAFileTakesItsOwnSizeAndIsRecordedWithItsPath) {
    drawing.EnableRefresh(true);
    screen.files.insert("C:\\Pictures\\Été 2026.bmp");
    ASSERT_TRUE(
        drawing.DrawPicture(7, 8, "C:\\Pictures\\Été 2026.bmp", nullptr, 0, 0, 0, false).value);
    EXPECT_EQ(screen.Calls("picture"), std::vector<std::string>{"picture 7,8 100x50"});
    ASSERT_TRUE(
        drawing.DrawPicture(7, 8, "C:\\Pictures\\Été 2026.bmp", nullptr, 0, 300, 0, true).value);
    EXPECT_EQ(screen.Calls("picture").back(), "picture 7,8 300x50 stretch");
    ASSERT_EQ(drawing.List().pictures.size(), 2u);
    const PictureRecord& record = drawing.List().pictures[1];
    EXPECT_EQ(record.path, "C:\\Pictures\\Été 2026.bmp");
    EXPECT_EQ(record.width, 300);
    EXPECT_EQ(record.height, 50);
    EXPECT_TRUE(record.stretch);
    ASSERT_NE(record.picture, nullptr);

    // A bitmap handle is wrapped; the record keeps the wrapper and no handle.
    ASSERT_TRUE(drawing.DrawPicture(0, 0, "", nullptr, 0x1234, 0, 0, false).value);
    EXPECT_EQ(screen.Calls("wrap"), std::vector<std::string>{"wrap 4660"});
    EXPECT_EQ(screen.Calls("picture").back(), "picture 0,0 20x10");
    EXPECT_EQ(drawing.List().pictures[2].bitmap, 0u);
    EXPECT_TRUE(drawing.List().pictures[2].path.empty());
    ASSERT_NE(drawing.List().pictures[2].picture, nullptr);

    // The replay draws the recorded picture again without loading or wrapping anything new.
    ASSERT_TRUE(drawing.Clear(false).value);
    screen.log.clear();
    ASSERT_TRUE(drawing.Refresh().value);
    EXPECT_EQ(screen.Calls("picture").size(), 3u);
    EXPECT_TRUE(screen.Calls("wrap").empty());
    EXPECT_EQ(screen.Calls("load").size(), 2u);
}

TEST_F(Drawing, PictureDrawFailureNamesTheCopyOrTheStretch) {
    const PictureObject picture = std::make_shared<FakePicture>(true, 254, 254);
    screen.failures["picture"] =
        SurfaceOutcome::Failure(SurfaceStep::Draw, 6, "The handle is invalid.");
    EXPECT_EQ(drawing.DrawPicture(0, 0, "", picture, 0, 0, 0, false).error.source,
              Source("DrawPicture(DRAW_Picture)"));
    EXPECT_EQ(drawing.DrawPicture(0, 0, "", picture, 0, 0, 0, true).error.source,
              Source("DrawPicture(DRAW_PictureStretch)"));
    screen.failures["picture"] =
        SurfaceOutcome::Failure(SurfaceStep::CreateMemoryDc, 8, "Not enough memory.");
    EXPECT_EQ(drawing.DrawPicture(0, 0, "", picture, 0, 0, 0, true).error.source,
              Source("DrawPicture(CreateCompatibleDC)"));
}

}  // namespace
}  // namespace murmurex
