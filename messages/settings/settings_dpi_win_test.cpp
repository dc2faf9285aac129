// Messages.exe at the DPI its Wine prefix reports (96 in the usual prefix; 144 and 192 in
// copies of it, see CMakeLists.txt): started from its own folder for a first run, its settings
// window must have every control at its design place scaled by that DPI, every label's text
// inside its label. A WM_DPICHANGED, the one way to move the window to another DPI here, must
// lay it out again, fonts included.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frm_settings_parts_win.h"
#include "program_test_support_win.h"
#include "settings_layout.h"
#include "testing/test_folder.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using namespace murmurex;
using namespace murmurex::program_test;
using namespace murmurex::settings_layout;
using namespace murmurex::settings_window;

// Arial 28 bold, 300 ms on screen, a phrase every second: the widest duration label of the
// design's examples.
constexpr char kSettings[] = "Arial\r\n28\r\nTrue\r\nFalse\r\n255\r\n300\r\n1";
constexpr char kCalm[] = "1I am calm";

struct DesignControl {
    int id;
    TwipsRect place;
};
// cmdStop sits at the bottom edge, practically out of sight: it reaches below the client area.
const DesignControl kControls[] = {{kTabMenuId, TwipsRect{0, 0, kClientWidth, kTabStripHeight}},
                                   {kLabel1Id, kLabel1},
                                   {kCategoriesId, kCategories},
                                   {kEditCatId, kEditCat},
                                   {kAddCatId, kAddCat},
                                   {kEditCatButtonId, kEditCatButton},
                                   {kDeleteCatId, kDeleteCat},
                                   {kLabel2Id, kLabel2},
                                   {kPhrasesId, kPhrases},
                                   {kEditWordId, kEditWord},
                                   {kAddId, kAdd},
                                   {kEditId, kEdit},
                                   {kDeleteId, kDelete},
                                   {kDurationLabelId, kDurationLabel},
                                   {kDurationWheelId, kDurationWheel},
                                   {kFrequencyLabelId, kFrequencyLabel},
                                   {kFrequencyWheelId, kFrequencyWheel},
                                   {kEditFontId, kEditFont},
                                   {kColourPickerId, kColourPicker},
                                   {kPicture1Id, kPicture1},
                                   {kStartId, kStart},
                                   {kCloseId, kClose},
                                   {kVersionId, kVersion},
                                   {kStopId, kStop}};
const int kLabels[] = {kLabel1Id, kLabel2Id, kDurationLabelId, kFrequencyLabelId, kVersionId};

// The DPI this run was started at (the prefix's LogPixels), as ctest says.
int ExpectedDpi() {
    const char* value = std::getenv("MURMUREX_EXPECTED_DPI");
    return value != nullptr ? std::atoi(value) : 96;
}

int ScreenDpi() {
    const auto screen = win::GetWindowDcOwned(nullptr);
    return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

double Scaled(int twips, int dpi) {
    return twips * dpi / 1440.0;
}

RECT PlaceInClient(HWND parent, HWND control) {
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The box around what differs clearly from the colour at the top left of `area` (screen
// pixels).
RECT InkIn(const win::test::ScreenCapture& screen, RECT area) {
    const std::uint32_t background = screen.At(area.left, area.top);
    RECT ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t pixel = screen.At(x, y);
            const auto differs = [&](int shift) {
                return std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                                static_cast<int>((background >> shift) & 0xFF)) > 64;
            };
            if (differs(0) || differs(8) || differs(16)) {
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                           std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
            }
        }
    }
    return ink;
}

class SettingsDpiTest : public ::testing::Test {
  protected:
    // As a user starts it: by its path, from its folder, for a first run; the hint answered.
    void SetUp() override {
        InstallProgram(folder_.path(), MESSAGES_EXE_PATH);
        WriteFileBytes(folder_ / "Lists" / "Calm.lst", kCalm);
        WriteFileBytes(folder_ / "_._", "1Calm");
        WriteFileBytes(folder_ / "__.__", kSettings);
        fs::create_directories(shots_);
        win::test::StartedProcess started = StartProgram(folder_.path(), L"firstrun");
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        HWND hint = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
                settings_ = FindTopWindow(started.id, kSettingsClass);
                hint = FindShownDialog(started.id);
                return settings_ != nullptr && hint != nullptr;
            },
            20000))
            << "no settings window with its first-run hint";
        ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hint) || !::IsWindowVisible(hint); }, 5000));
    }

    void TearDown() override { win::test::EndProcess(process_.get(), settings_, 5000); }

    HWND Control(int id) const { return ::GetDlgItem(settings_, id); }

    // Every control at its design place scaled by `dpi`, within the pixel or two that
    // rounding may cost, and inside the client area.
    void ExpectLaidOutAt(int dpi) const {
        RECT client{};
        ::GetClientRect(settings_, &client);
        for (const DesignControl& control : kControls) {
            const HWND window = Control(control.id);
            ASSERT_NE(window, nullptr) << "control " << control.id;
            const RECT place = PlaceInClient(settings_, window);
            EXPECT_NEAR(place.left, Scaled(control.place.left, dpi), 2.0) << control.id;
            EXPECT_NEAR(place.top, Scaled(control.place.top, dpi), 2.0) << control.id;
            EXPECT_NEAR(place.right, Scaled(control.place.right, dpi), 2.0) << control.id;
            EXPECT_NEAR(place.bottom, Scaled(control.place.bottom, dpi), 2.0) << control.id;
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                        (place.bottom <= client.bottom || control.id == kStopId))
                << control.id;
        }
    }

    // Each label's text fits inside it on one line, in the design's Arial 9.75 points at `dpi`.
    // A font belongs to its process, so the label's own cannot be measured from here: its text
    // is measured in the design font in a DC of the label, and the ink of the label's first
    // line on the screen must be as wide (a wrong size or a wrapped line is narrower).
    void ExpectLabelsFitAt(int dpi) const {
        LOGFONTW design{};
        design.lfHeight = -static_cast<LONG>(std::lround(9.75 * dpi / 72.0));
        design.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(design.lfFaceName, L"Arial", LF_FACESIZE);
        const win::UniqueFont font(::CreateFontIndirectW(&design));
        const auto screen = win::test::CaptureScreen();
        for (int id : kLabels) {
            const HWND label = Control(id);
            ASSERT_NE(label, nullptr) << id;
            const std::wstring text = TextOf(label);
            const std::string name(text.begin(), text.end());
            const auto dc = win::GetWindowDcOwned(label);
            win::SelectGuard selected(dc.get(), font.get());
            SIZE extent{};
            ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            RECT inside{};
            ::GetClientRect(label, &inside);
            EXPECT_LE(extent.cx, inside.right) << "\"" << name << "\" is wider than its label";
            EXPECT_LE(extent.cy, inside.bottom) << "\"" << name << "\" is higher than its label";
            if (!::IsWindowVisible(label)) {
                continue;
            }
            // The first line only: the timing labels reach over their wheels below it.
            RECT line{};
            ::GetWindowRect(label, &line);
            line.bottom = line.top + extent.cy;
            const RECT ink = InkIn(screen, line);
            EXPECT_LE(ink.right - ink.left, extent.cx) << "\"" << name << "\" drawn wider";
            EXPECT_GE(ink.right - ink.left, extent.cx * 9 / 10 - 2)
                << "\"" << name << "\" drawn narrower";
        }
    }

    void SaveScreen(const std::string& name) const {
        win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / name);
    }

    const test_support::TestFolder folder_{ProgramFolderLabel(
        L"dpi \u00e9t\u00e9", ::testing::UnitTest::GetInstance()->current_test_info()->name())};
    const fs::path shots_{MESSAGES_SCREENSHOT_DIR};
    win::UniqueKernelHandle process_;
    HWND settings_ = nullptr;
};

TEST_F(SettingsDpiTest, EveryControlSitsAtItsDesignPlaceAndEveryLabelFitsAtTheScreensDpi) {
    const int dpi = ExpectedDpi();
    ASSERT_EQ(ScreenDpi(), dpi) << "the prefix is not at the DPI this run asked for";
    RECT client{};
    ::GetClientRect(settings_, &client);
    EXPECT_NEAR(client.right, Scaled(kClientWidth, dpi), 2.0);
    EXPECT_NEAR(client.bottom, Scaled(kClientHeight, dpi), 2.0);
    ExpectLaidOutAt(dpi);
    EXPECT_EQ(TextOf(Control(kDurationLabelId)), L"Duration: 300 Millisecond(s)");
    ExpectLabelsFitAt(dpi);
    SaveScreen("settings-dpi-" + std::to_string(dpi) + ".bmp");
}

TEST_F(SettingsDpiTest, DpiChangeTakesTheSuggestedPlaceAndLaysOutControlsAndFontsAgain) {
    const int dpi = ExpectedDpi() * 3 / 2;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(settings_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(settings_, GWL_EXSTYLE));
    RECT before{};
    ::GetWindowRect(settings_, &before);
    // What the system suggests for the window's new monitor: the client scaled, the frame as
    // that DPI draws it, the corner where it was.
    RECT suggested{0, 0, static_cast<LONG>(Scaled(kClientWidth, dpi)),
                   static_cast<LONG>(Scaled(kClientHeight, dpi))};
    ASSERT_TRUE(::AdjustWindowRectExForDpi(&suggested, style, FALSE, exStyle, dpi));
    ::OffsetRect(&suggested, before.left - suggested.left, before.top - suggested.top);

    // The rectangle is read in the program's own memory, as the system's message would be.
    void* remote = ::VirtualAllocEx(process_.get(), nullptr, sizeof suggested,
                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    SIZE_T written = 0;
    ASSERT_TRUE(
        ::WriteProcessMemory(process_.get(), remote, &suggested, sizeof suggested, &written));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(settings_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                      reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000,
                                      &answer));
    ::VirtualFreeEx(process_.get(), remote, 0, MEM_RELEASE);
    PumpMessages(300);

    RECT after{};
    ::GetWindowRect(settings_, &after);
    EXPECT_TRUE(::EqualRect(&after, &suggested))
        << after.left << "," << after.top << " " << after.right - after.left << "x"
        << after.bottom - after.top;
    ExpectLaidOutAt(dpi);
    ExpectLabelsFitAt(dpi);
    SaveScreen("settings-dpi-changed-to-" + std::to_string(dpi) + ".bmp");
}

}  // namespace
