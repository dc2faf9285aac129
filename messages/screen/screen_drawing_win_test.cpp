// clsScreen drawing on the real (Xvfb) screen under Wine, read back through a screen capture.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cls_screen.h"
#include "testing/test_folder.h"
#include "win/ui_test_support_win.h"

namespace murmurex {
namespace {

constexpr const char* kExe = "screen_drawing_win_test";

// Colours as the screen object takes them (0x00BBGGRR) and as a capture reads them (0x00RRGGBB).
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kYellow = 0x00FFFF;
constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kCapturedRed = 0xFF0000;
constexpr std::uint32_t kCapturedGreen = 0x00FF00;
constexpr std::uint32_t kCapturedBlue = 0x0000FF;
constexpr std::uint32_t kCapturedYellow = 0xFFFF00;
constexpr std::uint32_t kCapturedMagenta = 0xFF00FF;
constexpr std::uint32_t kCapturedWhite = 0xFFFFFF;

std::unique_ptr<clsScreen> MakeScreen() {
    ScreenServices services;
    services.executableName = kExe;
    services.messageBox = [](std::string_view, std::string_view, UINT) {};
    ScreenError raised;
    auto screen = clsScreen::Create(&raised, std::move(services));
    EXPECT_NE(screen, nullptr) << raised.source << ": " << raised.description;
    return screen;
}

// Pixels of one rectangle of the screen that hold `colour`.
int CountColour(const win::test::ScreenCapture& capture, int left, int top, int right, int bottom,
                std::uint32_t colour) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            count += capture.At(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

// A white ground under what a test draws, so the pixels it expects cannot come from elsewhere.
void WhiteGround(clsScreen& screen, int left, int top, int right, int bottom) {
    const std::uint32_t back = screen.BackColor_Scr();
    ASSERT_EQ(screen.BackColor_Scr(kWhite).number, 0);
    ASSERT_TRUE(screen.DrawRectangle(left, top, right, bottom, true, false).value);
    ASSERT_EQ(screen.BackColor_Scr(back).number, 0);
}

// A 24-bit .bmp file of one colour (0x00RRGGBB), written byte by byte.
void WriteBitmapFile(const std::string& path, int width, int height, std::uint32_t rgb) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes * height);
    std::vector<std::uint8_t> bytes(54, 0);
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageBytes);
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<std::uint8_t>(rgb);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(rgb >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(ScreenDrawingOnScreen, RedRectangleLineAndText) {
    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    WhiteGround(*screen, 80, 80, 700, 200);

    // A red fill framed in green.
    ASSERT_EQ(screen->BackColor_Scr(kRed).number, 0);
    ASSERT_EQ(screen->ForeColor_Scr(kGreen).number, 0);
    ASSERT_TRUE(screen->DrawRectangle(100, 100, 160, 140, true, true).value);
    // A blue line, from a start the fresh context is not at.
    ASSERT_EQ(screen->ForeColor_Scr(kBlue).number, 0);
    ASSERT_TRUE(screen->DrawLine(200, 120, 260, 120).value);
    // Black text on yellow.
    ASSERT_EQ(screen->BackColor_Txt(kYellow).number, 0);
    ASSERT_TRUE(screen->drawText("Murmurex Été", 300, 100, false).value);

    const auto capture = win::test::CaptureScreen();
    ASSERT_TRUE(capture.ok());
    EXPECT_EQ(capture.At(130, 120), kCapturedRed);
    EXPECT_EQ(capture.At(101, 101), kCapturedRed);
    EXPECT_EQ(capture.At(100, 100), kCapturedGreen);
    EXPECT_EQ(capture.At(159, 139), kCapturedGreen);
    EXPECT_EQ(capture.At(160, 140), kCapturedWhite);  // right and bottom are outside

    EXPECT_EQ(capture.At(200, 120), kCapturedBlue);
    EXPECT_EQ(capture.At(230, 120), kCapturedBlue);
    EXPECT_EQ(capture.At(230, 121), kCapturedWhite);
    EXPECT_EQ(capture.At(261, 120), kCapturedWhite);

    // The text's cell is yellow with black strokes, starting at (300, 100).
    EXPECT_GT(CountColour(capture, 300, 100, 420, 130, kCapturedYellow), 100);
    EXPECT_GT(CountColour(capture, 300, 100, 420, 130, 0x000000), 20);
    EXPECT_EQ(CountColour(capture, 280, 100, 300, 130, kCapturedYellow), 0);
    EXPECT_EQ(capture.At(300, 100), kCapturedYellow);
}

// A string of the ANSI code page the program's paths use, and back.
std::wstring FromAnsi(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                             wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::string ToAnsi(const std::wstring& wide) {
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                          length, nullptr, nullptr);
    return text;
}

// A bitmap of one colour (0x00BBGGRR) that fits the screen.
win::UniqueBitmap SolidBitmap(int width, int height, COLORREF colour) {
    const auto screenDc = win::GetWindowDcOwned(nullptr);
    win::UniqueBitmap bitmap(::CreateCompatibleBitmap(screenDc.get(), width, height));
    win::UniqueOwnedDc memory(::CreateCompatibleDC(screenDc.get()));
    win::SelectGuard selected(memory.get(), bitmap.get());
    win::UniqueBrush brush(::CreateSolidBrush(colour));
    const RECT all{0, 0, width, height};
    ::FillRect(memory.get(), &all, brush.get());
    return bitmap;
}

// A file that is not a picture, one that is missing and a folder are refused, each with the
// loader's own source or the fixed text.
void ExpectNoPictureFrom(clsScreen& screen, const std::string& folder) {
    const std::string notPicture = folder + "\\notes.bmp";
    std::ofstream(notPicture) << "not a picture";
    const auto refused = screen.DrawPicture(500, 250, notPicture, nullptr, nullptr, 0, 0, false);
    EXPECT_FALSE(refused.value);
    EXPECT_EQ(refused.error.source, std::string(kExe) + ".cScreen.DrawPicture(LoadPicture)");
    const auto missing =
        screen.DrawPicture(500, 250, folder + "\\missing.bmp", nullptr, nullptr, 0, 0, false);
    EXPECT_EQ(missing.error.description, "Specified picture could not be found.");
    EXPECT_EQ(screen.DrawPicture(500, 250, folder, nullptr, nullptr, 0, 0, false).error.description,
              "Specified picture could not be found.");
}

TEST(ScreenDrawingOnScreen, PicturesFromAFileAHandleAndAnObject) {
    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    WhiteGround(*screen, 480, 200, 700, 300);

    // A file in a folder whose name has a space and an accent, in the ANSI code page the
    // program's paths use.
    const test_support::TestFolder folder(FromAnsi("screen drawing \xC9t\xE9"));
    const std::string folderPath = ToAnsi(folder.path().wstring());
    const std::string path = folderPath + "\\Picture One.BMP";
    WriteBitmapFile(path, 20, 10, kCapturedMagenta);
    const auto fromFile = screen->DrawPicture(500, 210, path, nullptr, nullptr, 0, 0, false);
    ASSERT_TRUE(fromFile.value) << fromFile.error.source << ": " << fromFile.error.number << " "
                                << fromFile.error.description;
    ASSERT_TRUE(screen->DrawPicture(540, 210, path, nullptr, nullptr, 40, 20, true).value);

    // A bitmap handle the test keeps: drawing it must not take it away.
    const win::UniqueBitmap bitmap = SolidBitmap(8, 6, 0xFFFF00);
    ASSERT_TRUE(screen->DrawPicture(600, 210, "", nullptr, bitmap.get(), 0, 0, false).value);
    BITMAP kept{};
    EXPECT_EQ(::GetObjectA(bitmap.get(), sizeof kept, &kept), static_cast<int>(sizeof kept));

    // A picture object made from a handle of its own.
    const PictureObject picture =
        screen->PictureFromHandle(SolidBitmap(5, 5, kRed).release(), nullptr);
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(screen->DrawPicture(640, 210, "", picture, nullptr, 0, 0, false).value);

    const auto capture = win::test::CaptureScreen();
    ASSERT_TRUE(capture.ok());
    // The file at its own size, 20 x 10.
    EXPECT_EQ(capture.At(500, 210), kCapturedMagenta);
    EXPECT_EQ(capture.At(519, 219), kCapturedMagenta);
    EXPECT_EQ(capture.At(520, 210), kCapturedWhite);
    EXPECT_EQ(capture.At(500, 220), kCapturedWhite);
    // Stretched to 40 x 20.
    EXPECT_EQ(capture.At(579, 229), kCapturedMagenta);
    EXPECT_EQ(capture.At(580, 229), kCapturedWhite);
    // The handle's copy, 8 x 6, cyan.
    EXPECT_EQ(capture.At(607, 215), 0x00FFFF);
    EXPECT_EQ(capture.At(608, 215), kCapturedWhite);
    // The object, 5 x 5, red.
    EXPECT_EQ(capture.At(644, 214), kCapturedRed);
    EXPECT_EQ(capture.At(645, 214), kCapturedWhite);

    ExpectNoPictureFrom(*screen, folderPath);
}

// An application window that paints itself white whenever it is asked to.
LRESULT CALLBACK WhiteWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        win::PaintGuard paint(window);
        RECT client{};
        ::GetClientRect(window, &client);
        ::FillRect(paint.dc(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

TEST(ScreenDrawingOnScreen, RefreshDrawsTheListAgainAfterClearFalse) {
    ASSERT_TRUE(win::test::RegisterWindowClass("ScreenDrawingWhite", WhiteWindowProcedure));
    win::UniqueWindow window(::CreateWindowExA(WS_EX_TOPMOST, "ScreenDrawingWhite", "white",
                                               WS_POPUP | WS_VISIBLE, 280, 380, 120, 120, nullptr,
                                               nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    win::test::PumpMessages(300);
    ASSERT_EQ(win::test::CaptureScreen().At(330, 420), kCapturedWhite);

    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    screen->EnableRefresh(true);
    ASSERT_EQ(screen->BackColor_Scr(kRed).number, 0);
    ASSERT_EQ(screen->ForeColor_Scr(kRed).number, 0);
    ASSERT_TRUE(screen->DrawRectangle(300, 400, 360, 440, true, true).value);
    ASSERT_EQ(screen->ForeColor_Scr(kBlue).number, 0);
    ASSERT_TRUE(screen->DrawLine(300, 460, 360, 460).value);
    ASSERT_EQ(screen->BackColor_Scr(kWhite).number, 0);
    ASSERT_EQ(screen->ForeColor_Scr(kGreen).number, 0);
    ASSERT_EQ(screen->DisplayListRecords().Size(), 2u);

    auto capture = win::test::CaptureScreen();
    ASSERT_EQ(capture.At(330, 420), kCapturedRed);
    ASSERT_EQ(capture.At(330, 460), kCapturedBlue);

    // The window paints over the drawing. Clear(False) asks every window to do that and keeps
    // the list; Wine does not pass a desktop invalidation on to the top-level windows, so the
    // window is made to repaint as well.
    ASSERT_TRUE(screen->Clear(false).value);
    ::RedrawWindow(window.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    win::test::PumpMessages(200);
    capture = win::test::CaptureScreen();
    EXPECT_EQ(capture.At(330, 420), kCapturedWhite);
    EXPECT_EQ(capture.At(330, 460), kCapturedWhite);
    EXPECT_EQ(screen->DisplayListRecords().Size(), 2u);

    const auto refreshed = screen->Refresh();
    EXPECT_TRUE(refreshed.value);
    EXPECT_FALSE(refreshed.raised());
    capture = win::test::CaptureScreen();
    EXPECT_EQ(capture.At(330, 420), kCapturedRed);
    EXPECT_EQ(capture.At(330, 460), kCapturedBlue);
    // The colours in force before the replay are back.
    EXPECT_EQ(screen->BackColor_Scr(), kWhite);
    EXPECT_EQ(screen->ForeColor_Scr(), kGreen);

    // Clear(True) drops the list: the next Refresh draws nothing.
    ASSERT_TRUE(screen->Clear(true).value);
    ::RedrawWindow(window.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    win::test::PumpMessages(200);
    EXPECT_EQ(screen->DisplayListRecords().Size(), 0u);
    EXPECT_TRUE(screen->Refresh().value);
    capture = win::test::CaptureScreen();
    EXPECT_EQ(capture.At(330, 420), kCapturedWhite);
}

TEST(ScreenDrawingOnScreen, CurrentPositionOfAContext) {
    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    const auto dc = win::GetWindowDcOwned(nullptr);
    ASSERT_TRUE(screen->SetCurrentXY(dc.get(), 30, 40).value);
    std::int32_t x = -1;
    std::int32_t y = -1;
    ASSERT_TRUE(screen->GetCurrentXY(dc.get(), x, y).value);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    // Reading does not move it.
    POINT now{};
    ASSERT_TRUE(::GetCurrentPositionEx(dc.get(), &now));
    EXPECT_EQ(now.x, 30);
    EXPECT_EQ(now.y, 40);

    const auto invalid = screen->GetCurrentXY(nullptr, x, y);
    EXPECT_EQ(invalid.error.number, -1);
    EXPECT_EQ(invalid.error.description, "Invalid DC Specified");
    EXPECT_EQ(invalid.error.source, std::string(kExe) + ".cScreen.SetDisplayFont");
    EXPECT_EQ(screen->SetCurrentXY(nullptr, 1, 2).error.description, "Invalid DC Specified");
}

TEST(ScreenDrawingOnScreen, ColoursAreCheckedByThePlatform) {
    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(screen->ForeColor_Scr(kBlue).number, 0);
    const ScreenError refused = screen->ForeColor_Scr(0x12345678);
    EXPECT_EQ(refused.number, -1);
    EXPECT_EQ(refused.description, "Invalid Color Specified");
    EXPECT_EQ(refused.source, std::string(kExe) + ".cScreen.Let_ForeColor_Scr(TranslateColor)");
    EXPECT_EQ(screen->ForeColor_Scr(), kBlue);
    // COLOR_BTNFACE as a system colour: stored as given.
    EXPECT_EQ(screen->BackColor_Txt(0x8000000F).number, 0);
    EXPECT_EQ(screen->BackColor_Txt(), 0x8000000Fu);
    // And drawn in the colour it stands for.
    ASSERT_EQ(screen->BackColor_Scr(0x8000000F).number, 0);
    ASSERT_TRUE(screen->DrawRectangle(700, 400, 720, 420, true, false).value);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const std::uint32_t capturedFace =
        (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    EXPECT_EQ(win::test::CaptureScreen().At(710, 410), capturedFace);
}

// Live GDI objects of this process. GetGuiResources where it counts; Wine answers it with 0,
// so there the handle table is probed instead (it takes a handle's index alone).
DWORD LiveGdiObjects(bool probeTable) {
    if (!probeTable) {
        return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    }
    DWORD live = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        live += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return live;
}

// Which counter sees 50 new pens: the answer is proven to move before it is trusted.
bool CounterSeesNewObjects(bool probeTable) {
    const DWORD before = LiveGdiObjects(probeTable);
    std::vector<win::UniquePen> probes;
    for (int i = 0; i < 50; ++i) {
        probes.emplace_back(::CreatePen(PS_SOLID, 1, static_cast<COLORREF>(i)));
    }
    const DWORD during = LiveGdiObjects(probeTable);
    probes.clear();
    return during >= before + 50 && LiveGdiObjects(probeTable) == before;
}

TEST(ScreenDrawingResources, TenThousandCallsHoldNoMoreGdiObjectsThanOne) {
    auto screen = MakeScreen();
    ASSERT_NE(screen, nullptr);
    const bool probeTable = !CounterSeesNewObjects(false);
    ASSERT_TRUE(CounterSeesNewObjects(probeTable)) << "no way to count GDI objects here";

    ASSERT_TRUE(screen->DrawEllipse(10, 500, 40, 530).value);
    ASSERT_TRUE(screen->drawText("one", 50, 500, false).value);
    ASSERT_TRUE(screen->DrawRectangle(60, 520, 90, 540, true, true).value);
    const DWORD afterOne = LiveGdiObjects(probeTable);
    for (int i = 0; i < 10'000; ++i) {
        ASSERT_TRUE(screen->DrawEllipse(10, 500, 40, 530).value) << i;
        if (i % 1000 == 0) {
            ASSERT_TRUE(screen->drawText("many", 50, 500, false).value) << i;
            ASSERT_TRUE(screen->DrawRectangle(60, 520, 90, 540, true, true).value) << i;
        }
    }
    EXPECT_LE(LiveGdiObjects(probeTable), afterOne);
}

// The context each call borrows gets its own pen, brush and font back before it is released.
TEST(ScreenDrawingResources, TheBorrowedContextKeepsItsOwnObjects) {
    const auto screenDc = win::GetWindowDcOwned(nullptr);
    win::UniqueOwnedDc memory(::CreateCompatibleDC(screenDc.get()));
    win::UniqueBitmap canvas(::CreateCompatibleBitmap(screenDc.get(), 64, 64));
    win::SelectGuard selected(memory.get(), canvas.get());
    const HGDIOBJ ownPen = ::GetCurrentObject(memory.get(), OBJ_PEN);
    const HGDIOBJ ownBrush = ::GetCurrentObject(memory.get(), OBJ_BRUSH);
    const HGDIOBJ ownFont = ::GetCurrentObject(memory.get(), OBJ_FONT);

    ScreenServices services;
    services.executableName = kExe;
    // Every drawing call gets this memory context; releasing it as a window context leaves
    // it alive, so the test can look at it afterwards.
    services.screenDc = [&] { return win::UniqueWindowDc(memory.get(), win::WindowDcTraits{}); };
    auto screen = clsScreen::Create(nullptr, std::move(services));
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(screen->ForeColor_Scr(kRed).number, 0);
    ASSERT_TRUE(screen->DrawLine(0, 10, 63, 10).value);
    ASSERT_TRUE(screen->drawText("x", 0, 20, false).value);
    ASSERT_TRUE(screen->DrawEllipse(0, 30, 20, 50).value);

    EXPECT_EQ(::GetPixel(memory.get(), 30, 10), static_cast<COLORREF>(kRed));
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_PEN), ownPen);
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_BRUSH), ownBrush);
    EXPECT_EQ(::GetCurrentObject(memory.get(), OBJ_FONT), ownFont);
}

}  // namespace
}  // namespace murmurex
