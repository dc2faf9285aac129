// Runs controls-demo.exe on the X screen and checks what it shows and logs: the tab strip, the
// three style-10 looks (normal grey, hot blue under the pointer, pressed darker blue for a
// set check button) at known pixels, and the events of a click and an access key.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "button_icon.h"
#include "button_paint_shades.h"
#include "controls_demo_win_gallery.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool WaitFor(const std::filesystem::path& logPath, const std::string& line, double milliseconds) {
    const double end = test_support::NowMs() + milliseconds;
    while (ReadAll(logPath).find(line + "\n") == std::string::npos) {
        if (test_support::NowMs() >= end) {
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

// The cursor is placed directly: from another process, an absolute SendInput move was seen
// to snap back to the X pointer's old place under Wine.
void MoveTo(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    ::Sleep(150);
}

void Mouse(DWORD flags) {
    win::test::SendMouseInput(flags);
    ::Sleep(150);
}

void Key(WORD key, bool up) {
    win::test::SendKeyInput(key, up);
    ::Sleep(150);
}

// The whole screen as COLORREF values (red in the low byte).
class ScreenShot {
  public:
    COLORREF At(POINT p) const {
        const std::uint32_t rgb = capture_.At(p.x, p.y);
        if (rgb == win::test::kNoPixel) {
            return CLR_INVALID;
        }
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }

  private:
    win::test::ScreenCapture capture_ = win::test::CaptureScreen();
};

POINT At(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    return point;
}

class DemoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        logPath = logFolder / "controls-demo-test.log";
        started = win::test::StartProcess(
            win::test::Quoted((win::test::ThisProgramFolder() / L"controls-demo.exe").wstring()) +
            L" --log " + win::test::Quoted(logPath.wstring()));
        ASSERT_TRUE(started);
        ASSERT_TRUE(WaitFor(logPath, "Ready", 20000)) << ReadAll(logPath);
        demo = ::FindWindowA("MurmurexControlsDemo", "Murmurex controls demo");
        ASSERT_NE(demo, nullptr);
        // On a fresh display Wine takes the pointer back to where the X pointer was until a
        // move over one of its windows has stuck; place it on the demo's background first.
        const POINT background = At(demo, 300, 140);
        for (int tries = 0; tries < 20; ++tries) {
            MoveTo(background);
            ::Sleep(250);
            POINT now{};
            ::GetCursorPos(&now);
            if (now.x == background.x && now.y == background.y) {
                break;
            }
        }
    }

    void TearDown() override { win::test::EndProcess(started.process.get(), demo, 5000); }

    HWND Button(const char* caption) const {
        return ::FindWindowExA(demo, nullptr, "StyledButton", caption);
    }

    test_support::TestFolder logFolder{"controls-demo-test"};
    std::filesystem::path logPath;
    win::test::StartedProcess started;
    HWND demo = nullptr;
};

TEST_F(DemoTest, ShowsTheTabStripAndTheThreeLooksAndLogsClicks) {
    const HWND start = Button("&Start");
    const HWND add = Button("Add");
    const HWND ticked = Button("Ticked");
    ASSERT_NE(start, nullptr);
    ASSERT_NE(add, nullptr);
    ASSERT_NE(ticked, nullptr);

    MoveTo(At(start, 50, 15));  // the pointer makes "&Start" hot
    ASSERT_TRUE(WaitFor(logPath, "MouseEnter &Start", 3000)) << ReadAll(logPath);
    ::Sleep(300);
    const ScreenShot shot;

    // Left of each caption (x 20), in the centre block, and the top outline row.
    EXPECT_EQ(shot.At(At(add, 20, 15)), RGB(232, 231, 234));
    EXPECT_EQ(shot.At(At(add, 50, 0)), RGB(106, 105, 103));
    EXPECT_EQ(shot.At(At(add, 50, 28)), RGB(84, 84, 84));
    EXPECT_EQ(shot.At(At(start, 20, 15)), RGB(106, 166, 226));
    EXPECT_EQ(shot.At(At(start, 50, 0)), RGB(8, 6, 69));
    EXPECT_EQ(shot.At(At(ticked, 20, 15)), RGB(106, 155, 204));
    EXPECT_EQ(shot.At(At(ticked, 50, 0)), RGB(10, 9, 60));
    // The window's rounded corner lets the demo's background through.
    EXPECT_EQ(shot.At(At(add, 0, 0)), ::GetSysColor(COLOR_BTNFACE));

    const HWND tabs = ::FindWindowExA(demo, nullptr, "MurmurexTabMenu", nullptr);
    ASSERT_NE(tabs, nullptr);
    EXPECT_TRUE(::IsWindowVisible(tabs));
    RECT strip{};
    ::GetClientRect(tabs, &strip);
    EXPECT_GT(strip.bottom, 20);
    // Painted pictures, not an empty band: many colours across the first tab.
    std::vector<COLORREF> colours;
    for (int x = 0; x < 70; ++x) {
        for (int y = 0; y < strip.bottom; y += 3) {
            const COLORREF c = shot.At(At(tabs, x, y));
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) {
                colours.push_back(c);
            }
        }
    }
    EXPECT_GT(colours.size(), 8u);

    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitFor(logPath, "Click &Start", 3000)) << ReadAll(logPath);

    // Alt+X clicks "E&xit", which ends the demo.
    Key(VK_MENU, false);
    Key('X', false);
    Key('X', true);
    Key(VK_MENU, true);
    EXPECT_TRUE(WaitFor(logPath, "Click E&xit", 3000)) << ReadAll(logPath);
    EXPECT_EQ(::WaitForSingleObject(started.process.get(), 5000), WAIT_OBJECT_0);
}

// The gallery: every style in its four states, read back at fixed points, and a
// screenshot saved beside the test for people to look at.
TEST_F(DemoTest, GalleryShowsEveryStyleInEachStateAndTheIcons) {
    const HWND gallery = ::FindWindowExA(demo, nullptr, "MurmurexButtonGallery", nullptr);
    ASSERT_NE(gallery, nullptr);
    MoveTo(At(demo, 300, 140));
    ::Sleep(300);
    const win::test::ScreenCapture capture = win::test::CaptureScreen();
    const std::filesystem::path file = win::test::ThisProgramFolder() / "controls-demo-gallery.bmp";
    EXPECT_TRUE(win::test::SaveBitmapFile(capture, file)) << file;
    std::printf("gallery screenshot: %s\n", file.string().c_str());
    const auto pixel = [&](RECT cell, int x, int y) -> Colour {
        POINT p{cell.left + x, cell.top + y};
        ::ClientToScreen(gallery, &p);
        const std::uint32_t rgb = capture.At(p.x, p.y);
        return Rgb(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                   static_cast<int>(rgb & 0xFF));
    };
    const Colour face = ::GetSysColor(COLOR_BTNFACE);
    const Colour highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const int middle = gallery::kCellHeight / 2;

    // Style 10 in its three variants; disabled without focus shows the normal one.
    const Colour style10[] = {Rgb(232, 231, 234), Rgb(106, 166, 226), Rgb(106, 155, 204),
                              Rgb(232, 231, 234)};
    for (int state = 1; state <= 4; ++state) {
        // Column 15 of the left cap already has the centre colour, clear of any caption.
        EXPECT_EQ(pixel(gallery::StyleCell(10, state - 1), 15, middle), style10[state - 1])
            << state;
        // The rounded corner shows the gallery's background.
        EXPECT_EQ(pixel(gallery::StyleCell(10, state - 1), 0, 0), face) << state;
    }
    // Style 9 left of its caption: base shades, then accent shades when hot or pressed, in
    // both colour sets.
    for (int column = 0; column < gallery::kColumns; ++column) {
        const int state = column % 4 + 1;
        const bool custom = column >= 4;
        const Style9Shades s = Style9ShadesFor(state, custom ? gallery::kCustomBack : face,
                                               custom ? gallery::kCustomHighlight : highlight);
        const RECT cell = gallery::StyleCell(9, column);
        EXPECT_EQ(pixel(cell, 8, middle), s.centre) << column;
        EXPECT_EQ(pixel(cell, 40, 0), s.border) << column;
        EXPECT_EQ(pixel(cell, 0, 0), face) << column;
    }
    // Styles 7 and 8 keep the system colours even in the custom columns.
    for (int column = 0; column < gallery::kColumns; ++column) {
        const int state = column % 4 + 1;
        EXPECT_EQ(pixel(gallery::StyleCell(7, column), 40, 0),
                  Style7ShadesFor(state, false, face, highlight).border)
            << column;
        EXPECT_EQ(pixel(gallery::StyleCell(8, column), 8, middle),
                  Style8ShadesFor(state, face).centre)
            << column;
    }

    // The icon row: the left-aligned icon in colour, the disabled one in grey, the mask
    // colour's band left out.
    const IconImage picture = gallery::Picture();
    const int iconTop = (gallery::kIconCellHeight - 16) / 2;
    const RECT left = gallery::IconCell(1);
    const RECT disabled = gallery::IconCell(5);
    const RECT masked = gallery::IconCell(6);
    int checked = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (picture.AlphaAt(x, y) == 0) {
                continue;
            }
            const Colour colour = picture.ColourAt(x, y);
            EXPECT_EQ(pixel(left, 7 + x, iconTop + y), colour) << x << "," << y;
            EXPECT_EQ(pixel(disabled, 7 + x, iconTop + y), GreyIconPixel(colour)) << x << "," << y;
            if (colour == gallery::kMaskColour) {
                EXPECT_NE(pixel(masked, 7 + x, iconTop + y), gallery::kMaskColour);
            } else {
                EXPECT_EQ(pixel(masked, 7 + x, iconTop + y), colour);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 150);
}

}  // namespace
}  // namespace murmurex
