#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cls_screen.h"
#include "resolution_results_test.h"
#include "screen_rules.h"
#include "testing/test_folder.h"
#include "win/api_error_text.h"

namespace murmurex {
namespace {

// Every error source starts with this test program's own name.
constexpr const char* kExe = "screen_win_test";

struct ShownMessage {
    std::string text;
    std::string title;
    UINT icon = 0;
};

struct ModeCall {
    DEVMODEA mode{};
    DWORD flags = 0;
};

// Services that record message boxes and answer mode changes with a set result, so no test
// ever shows a box or changes the real display.
struct Recorder {
    std::vector<ShownMessage> shown;
    std::vector<ModeCall> modeCalls;
    LONG modeResult = 0;

    ScreenServices Services() {
        ScreenServices services;
        services.messageBox = [this](std::string_view text, std::string_view title, UINT icon) {
            shown.push_back({std::string(text), std::string(title), icon});
        };
        services.changeDisplaySettings = [this](DEVMODEA& mode, DWORD flags) {
            modeCalls.push_back({mode, flags});
            return modeResult;
        };
        return services;
    }
};

std::unique_ptr<clsScreen> MakeScreen(Recorder& recorder) {
    ScreenError raised;
    auto screen = clsScreen::Create(&raised, recorder.Services());
    EXPECT_NE(screen, nullptr) << raised.source << ": " << raised.description;
    return screen;
}

// A 32 x 32 monochrome cursor file with its hot spot at (5, 7): directory, one entry, then
// the bitmap header, a two-colour palette, the colour rows and the (all opaque) mask rows.
void WriteCursorFile(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes = {0,  0,    2, 0, 1,  0,  32, 32, 2, 0,  5, 0, 7,
                                       0,  0x30, 1, 0, 0,  22, 0,  0,  0, 40, 0, 0, 0,
                                       32, 0,    0, 0, 64, 0,  0,  0,  1, 0,  1, 0};
    bytes.resize(bytes.size() + 24 + 4, 0);
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0});
    bytes.resize(bytes.size() + 64, 0xFF);
    bytes.resize(bytes.size() + 64 + 128, 0);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A registered window class with a given cursor, and one window of it.
class CursorWindow {
  public:
    CursorWindow(const char* className, HCURSOR cursor) : className_(className) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = cursor;
        wc.lpszClassName = className;
        ::RegisterClassA(&wc);
        window_ = win::UniqueWindow(::CreateWindowExA(0, className, "cursor test",
                                                      WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                                      nullptr, wc.hInstance, nullptr));
    }
    ~CursorWindow() {
        window_.reset();
        ::UnregisterClassA(className_, ::GetModuleHandleA(nullptr));
    }
    HWND get() const { return window_.get(); }

  private:
    const char* className_;
    win::UniqueWindow window_;
};

HCURSOR SystemCursor(int id) {
    return ::LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

std::string Source(const char* member) {
    return std::string(kExe) + ".cScreen." + member;
}

TEST(ScreenMeasures, FiguresMatchThePlatform) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->hwnd(), ::GetDesktopWindow());
    EXPECT_EQ(screen->Width(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(screen->Height(), static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)));

    auto dc = win::GetWindowDcOwned(nullptr);
    ASSERT_TRUE(dc);
    EXPECT_EQ(screen->BitsPerPixel(), MapBitsPerPixel(::GetDeviceCaps(dc.get(), BITSPIXEL)));
    EXPECT_EQ(screen->TwipsPerPixelX(),
              static_cast<float>(56.7 * ::GetDeviceCaps(dc.get(), HORZSIZE) /
                                 ::GetDeviceCaps(dc.get(), HORZRES)));
    EXPECT_EQ(screen->TwipsPerPixelY(),
              static_cast<float>(56.7 * ::GetDeviceCaps(dc.get(), VERTSIZE) /
                                 ::GetDeviceCaps(dc.get(), VERTRES)));
    EXPECT_GT(screen->TwipsPerPixelX(), 0.0f);
    EXPECT_TRUE(recorder.shown.empty());

    auto own = screen->hDC();
    EXPECT_FALSE(own.raised());
    EXPECT_EQ(::GetDeviceCaps(own.value.get(), HORZRES), ::GetSystemMetrics(SM_CXSCREEN));
}

TEST(ScreenMeasures, DisplayDevicesMatchTheEnumerationAndRefuseOutsideIndices) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);

    std::vector<DISPLAY_DEVICEA> devices;
    for (DWORD i = 0;; ++i) {
        DISPLAY_DEVICEA device{};
        device.cb = sizeof(device);
        if (!::EnumDisplayDevicesA(nullptr, i, &device, 0)) {
            break;
        }
        devices.push_back(device);
    }
    ASSERT_FALSE(devices.empty());
    ASSERT_EQ(screen->DisplayDevice_Count(), static_cast<std::int32_t>(devices.size()));
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto index = static_cast<std::int32_t>(i);
        EXPECT_EQ(screen->DisplayDevice_Name(index).value, devices[i].DeviceName);
        EXPECT_EQ(screen->DisplayDevice_Description(index).value, devices[i].DeviceString);
        EXPECT_FALSE(screen->DisplayDevice_Name(index).raised());
    }

    const auto past = screen->DisplayDevice_Name(screen->DisplayDevice_Count());
    EXPECT_EQ(past.error.number, 9);
    EXPECT_EQ(past.error.description, "Subscript out of range");
    EXPECT_EQ(past.error.source, Source("DisplayDevice_Name"));
    EXPECT_TRUE(past.value.empty());
    EXPECT_EQ(screen->DisplayDevice_Description(-1).error.number, 9);
}

TEST(ScreenFonts, SharedListIsRebuiltNotAppended) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);
    const std::int32_t count = screen->FontsCount();
    ASSERT_GT(count, 0);
    EXPECT_FALSE(screen->Fonts(0).value.empty());

    EXPECT_TRUE(screen->RefreshDisplayInfo().value);
    EXPECT_TRUE(screen->RefreshDisplayInfo().value);
    EXPECT_EQ(screen->FontsCount(), count);

    // A second object refreshes the same list: both see one count.
    auto other = MakeScreen(recorder);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->FontsCount(), count);
    EXPECT_EQ(screen->FontsCount(), count);
    EXPECT_EQ(screen->Fonts(count - 1).value, other->Fonts(count - 1).value);

    const auto outside = screen->Fonts(count);
    EXPECT_EQ(outside.error.number, 9);
    EXPECT_EQ(outside.error.source, Source("Fonts"));
}

TEST(ScreenConstruction, MissingDesktopWindowShowsTheCriticalBoxAndFails) {
    Recorder recorder;
    ScreenServices services = recorder.Services();
    services.desktopWindow = [] {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return HWND{};
    };
    ScreenError raised;
    EXPECT_EQ(clsScreen::Create(&raised, services), nullptr);
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text,
              "Could not get the handle to the screen (hWnd).  This information is critical and "
              "this module can not function propertly without it.");
    EXPECT_EQ(recorder.shown[0].title, "  Could Not Get Screen hWnd");
    EXPECT_EQ(recorder.shown[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(raised.number, ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(raised.source, Source("RefreshDisplayInfo(WindowFromDC)"));
    EXPECT_EQ(raised.description, win::GetApiErrorText(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(raised.description.empty());

    // With no error code left by the platform the object is still refused, not half made.
    services.desktopWindow = [] {
        ::SetLastError(0);
        return HWND{};
    };
    raised = {};
    EXPECT_EQ(clsScreen::Create(&raised, services), nullptr);
    EXPECT_EQ(raised.number, -1);
    EXPECT_EQ(recorder.shown.size(), 2u);
}

TEST(ScreenConstruction, MissingScreenContext) {
    Recorder recorder;
    auto calls = std::make_shared<int>(0);
    ScreenServices services = recorder.Services();
    // The first context (construction's own) is real; later ones fail.
    services.screenDc = [calls] {
        if ((*calls)++ == 0) {
            return win::GetWindowDcOwned(nullptr);
        }
        ::SetLastError(ERROR_INVALID_HANDLE);
        return win::UniqueWindowDc{};
    };
    ScreenError raised;
    auto screen = clsScreen::Create(&raised, services);
    ASSERT_NE(screen, nullptr) << raised.description;
    EXPECT_TRUE(recorder.shown.empty());

    const auto refreshed = screen->RefreshDisplayInfo();
    EXPECT_FALSE(refreshed.value);
    EXPECT_EQ(refreshed.error.number, ERROR_INVALID_HANDLE);
    EXPECT_EQ(refreshed.error.source, Source("RefreshDisplayInfo(GetWindowDC)"));
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text,
              "Could not get the handle to the screen's Device Context (DC).  This information "
              "is critical and this module can not function propertly without it.");
    EXPECT_EQ(recorder.shown[0].title, "  Could Not Get Screen hDC");
    EXPECT_EQ(recorder.shown[0].icon, static_cast<UINT>(MB_ICONERROR));

    const auto dc = screen->hDC();
    EXPECT_FALSE(dc.value);
    EXPECT_EQ(dc.error.source, Source("hDC(GetDC)"));

    // When construction's own context fails, construction fails with that error.
    services.screenDc = [] {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return win::UniqueWindowDc{};
    };
    raised = {};
    EXPECT_EQ(clsScreen::Create(&raised, services), nullptr);
    EXPECT_EQ(raised.number, ERROR_INVALID_HANDLE);
    EXPECT_EQ(raised.source, Source("hDC(GetDC)"));
}

class ScreenResolution : public ::testing::Test {
  protected:
    void SetUp() override {
        screen_ = MakeScreen(recorder_);
        ASSERT_NE(screen_, nullptr);
    }
    Recorder recorder_;
    std::unique_ptr<clsScreen> screen_;
};

TEST_F(ScreenResolution, SendsTheRecordWithTestOrUpdateFlags) {
    bool restart = true;
    auto answer = screen_->ChangeResolution(2, 16, restart, true);
    EXPECT_TRUE(answer.value);
    EXPECT_FALSE(answer.raised());
    EXPECT_FALSE(restart);
    ASSERT_EQ(recorder_.modeCalls.size(), 1u);
    const ModeCall& test = recorder_.modeCalls[0];
    EXPECT_EQ(test.flags, 2u);
    EXPECT_EQ(test.mode.dmSize, 148u);
    EXPECT_EQ(test.mode.dmFields, 0x1C0000u);
    EXPECT_EQ(test.mode.dmPelsWidth, 800u);
    EXPECT_EQ(test.mode.dmPelsHeight, 600u);
    EXPECT_EQ(test.mode.dmBitsPerPel, 16u);

    answer = screen_->ChangeResolution(3, 0, restart, false);
    ASSERT_EQ(recorder_.modeCalls.size(), 2u);
    EXPECT_EQ(recorder_.modeCalls[1].flags, 0x40000001u);
    EXPECT_EQ(recorder_.modeCalls[1].mode.dmFields, 0x180000u);
    EXPECT_EQ(recorder_.modeCalls[1].mode.dmBitsPerPel, 0u);

    answer = screen_->ChangeResolution(9, 0, restart, true);
    ASSERT_EQ(recorder_.modeCalls.size(), 3u);
    EXPECT_EQ(recorder_.modeCalls[2].mode.dmPelsWidth, 0u);
    EXPECT_EQ(recorder_.modeCalls[2].mode.dmPelsHeight, 0u);
    // The metrics are read again from the real (unchanged) screen after a success.
    EXPECT_EQ(screen_->Width(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)));
}

TEST_F(ScreenResolution, RestartNeededAndRefusals) {
    bool restart = false;
    recorder_.modeResult = 1;
    auto answer = screen_->ChangeResolution(1, 0, restart, true);
    EXPECT_TRUE(answer.value);
    EXPECT_TRUE(restart);

    for (const auto& row : test::kResolutionRefusals) {
        recorder_.modeResult = row.result;
        restart = true;
        answer = screen_->ChangeResolution(1, 0, restart, true);
        EXPECT_FALSE(answer.value) << row.result;
        EXPECT_FALSE(restart) << row.result;
        EXPECT_EQ(answer.error.number, row.number) << row.result;
        EXPECT_EQ(answer.error.description, row.message) << row.result;
        EXPECT_EQ(answer.error.source,
                  std::string(kExe) + "cScreen.ChangeResolution(ChangeDisplaySettings)");
    }
}

class ScreenCursors : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteCursorFile(folder_ / "pointer.cur");
        std::ofstream(folder_ / "picture.bmp", std::ios::binary) << "BM not really a bitmap";
        screen_ = MakeScreen(recorder_);
        ASSERT_NE(screen_, nullptr);
    }
    std::string PathOf(const char* name) const { return (folder_ / name).string(); }

    test_support::TestFolder folder_{"screen_win_test"};
    Recorder recorder_;
    std::unique_ptr<clsScreen> screen_;
};

TEST_F(ScreenCursors, MousePointerNamesSystemAndFileCursors) {
    CursorWindow arrow("ScreenTestArrow", SystemCursor(32512));
    EXPECT_EQ(screen_->MousePointer(arrow.get()).value, 32512);
    CursorWindow beam("ScreenTestBeam", SystemCursor(32513));
    EXPECT_EQ(screen_->MousePointer(beam.get()).value, 32513);

    win::UniqueCursor fromFile(static_cast<HCURSOR>(
        ::LoadImageA(nullptr, PathOf("pointer.cur").c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE)));
    ASSERT_TRUE(fromFile);
    {
        CursorWindow custom("ScreenTestFile", fromFile.get());
        const auto answer = screen_->MousePointer(custom.get());
        EXPECT_EQ(answer.value, 1);
        EXPECT_FALSE(answer.raised());
    }

    // A class without a cursor is not a custom cursor.
    CursorWindow none("ScreenTestNone", nullptr);
    EXPECT_EQ(screen_->MousePointer(none.get()).value, 0);

    HWND gone = nullptr;
    {
        CursorWindow temporary("ScreenTestGone", SystemCursor(32512));
        gone = temporary.get();
    }
    const auto failed = screen_->MousePointer(gone);
    EXPECT_EQ(failed.value, 0);
    EXPECT_EQ(failed.error.number, ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(failed.error.source, Source("MousePointer(GetClassLong)"));
}

TEST_F(ScreenCursors, MouseIconRefusesOtherFileTypes) {
    screen_->MouseIcon(PathOf("pointer.cur"));
    EXPECT_EQ(screen_->MouseIcon(), PathOf("pointer.cur"));
    EXPECT_TRUE(recorder_.shown.empty());

    screen_->MouseIcon(PathOf("picture.bmp"));
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text,
              "Invalid mouse icon file.  File must be an .ICO, .CUR, or .ANI file.");
    EXPECT_EQ(recorder_.shown[0].title, "  Invalid File Type");
    EXPECT_EQ(recorder_.shown[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(screen_->MouseIcon(), PathOf("pointer.cur"));

    // A file that cannot be opened is passed over without a word.
    screen_->MouseIcon(PathOf("missing.ico"));
    screen_->MouseIcon(std::string("pointer.cur\0.ico", 16));
    EXPECT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(screen_->MouseIcon(), PathOf("pointer.cur"));

    // Case does not matter.
    std::filesystem::copy_file(folder_ / "pointer.cur", folder_ / "upper.Ico");
    screen_->MouseIcon(PathOf("upper.Ico"));
    EXPECT_EQ(screen_->MouseIcon(), PathOf("upper.Ico"));
    EXPECT_EQ(recorder_.shown.size(), 1u);
}

TEST_F(ScreenCursors, MousePointerSetsClassCursors) {
    CursorWindow window("ScreenTestSet", SystemCursor(32512));
    EXPECT_EQ(screen_->MousePointer(window.get(), 32515).number, 0);
    EXPECT_EQ(screen_->MousePointer(window.get()).value, 32515);
    // Ids that are no cursor, or no resource number at all, change nothing.
    EXPECT_EQ(screen_->MousePointer(window.get(), 0x12345).number, 0);
    EXPECT_EQ(screen_->MousePointer(window.get(), 7).number, 0);
    EXPECT_EQ(screen_->MousePointer(window.get()).value, 32515);

    // No custom file yet: loading fails and says where.
    const ScreenError noFile = screen_->MousePointer(window.get(), 1);
    EXPECT_NE(noFile.number, 0);
    EXPECT_EQ(noFile.source, Source("MousePointer(LoadImageSTR)"));
    EXPECT_EQ(screen_->MousePointer(window.get()).value, 32515);

    screen_->MouseIcon(PathOf("pointer.cur"));
    EXPECT_EQ(screen_->MousePointer(window.get(), 1).number, 0);
    EXPECT_EQ(screen_->MousePointer(window.get()).value, 1);
    // The class cursor must still be a live cursor, hot spot kept from the file.
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(
        reinterpret_cast<HICON>(::GetClassLongPtrA(window.get(), GCLP_HCURSOR)), &info));
    win::UniqueBitmap mask(info.hbmMask);
    win::UniqueBitmap colour(info.hbmColor);
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 7u);

    // Replacing our cursor frees it; the replacement is a live system cursor.
    const HCURSOR ours = reinterpret_cast<HCURSOR>(::GetClassLongPtrA(window.get(), GCLP_HCURSOR));
    EXPECT_EQ(screen_->MousePointer(window.get(), 32513).number, 0);
    ICONINFO freed{};
    EXPECT_FALSE(::GetIconInfo(ours, &freed));
    EXPECT_EQ(screen_->MousePointer(window.get(), 1).number, 0);

    // Once the object goes, the class falls back to the arrow rather than a dead cursor.
    screen_.reset();
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrA(window.get(), GCLP_HCURSOR)),
              SystemCursor(32512));
}

// A form of this program, as the windows register themselves.
class TestForm : public ScreenForm {
  public:
    TestForm() {
        window_ = win::UniqueWindow(::CreateWindowExA(0, "STATIC", "form", WS_OVERLAPPEDWINDOW, 0,
                                                      0, 200, 100, nullptr, nullptr,
                                                      ::GetModuleHandleA(nullptr), nullptr));
        control_ = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20,
                                     window_.get(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    HWND FormWindow() const override { return window_.get(); }
    HWND ActiveControl() const override { return control_; }
    HWND Control() const { return control_; }

  private:
    win::UniqueWindow window_;
    HWND control_ = nullptr;
};

TEST(ScreenActive, NamesTheRegisteredActiveFormAndItsControl) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);
    TestForm form;
    ::ShowWindow(form.FormWindow(), SW_SHOW);
    ::SetForegroundWindow(form.FormWindow());
    ::SetActiveWindow(form.FormWindow());
    ::SetFocus(form.Control());
    ASSERT_EQ(::GetActiveWindow(), form.FormWindow());

    EXPECT_EQ(screen->ActiveForm(), nullptr) << "not registered yet";
    EXPECT_EQ(screen->ActiveControl(), nullptr);
    {
        FormRegistration registration(form);
        EXPECT_EQ(screen->ActiveForm(), &form);
        EXPECT_EQ(screen->ActiveControl(), form.Control());
    }
    EXPECT_EQ(screen->ActiveForm(), nullptr);
    EXPECT_TRUE(LoadedForms().empty());

    const auto foreground = screen->ActiveWindow();
    EXPECT_EQ(foreground.value, form.FormWindow());
    EXPECT_FALSE(foreground.raised());
    EXPECT_EQ(screen->ActiveObject().value, form.Control());
}

// A form with a focused control, owned by another thread that keeps pumping its messages.
class ForeignForm {
  public:
    ForeignForm() {
        thread_ = std::thread([this] {
            TestForm form;
            ::ShowWindow(form.FormWindow(), SW_SHOW);
            ::SetForegroundWindow(form.FormWindow());
            ::SetFocus(form.Control());
            {
                std::lock_guard lock(mutex_);
                window_ = form.FormWindow();
                control_ = form.Control();
                threadId_ = ::GetCurrentThreadId();
            }
            ready_.notify_all();
            MSG message;
            while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        });
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return window_ != nullptr; });
    }
    ~ForeignForm() {
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND Window() const { return window_; }
    HWND Control() const { return control_; }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    HWND window_ = nullptr;
    HWND control_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

TEST(ScreenActive, ReadsFocusAndSetsCursorsAcrossThreads) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);
    ForeignForm foreign;
    ASSERT_EQ(::GetForegroundWindow(), foreign.Window());
    const auto focused = screen->ActiveObject();
    EXPECT_FALSE(focused.raised());
    EXPECT_EQ(focused.value, foreign.Control());
    // Our own thread's input stays our own afterwards.
    EXPECT_EQ(::GetFocus(), nullptr);

    test_support::TestFolder folder("screen_win_test");
    WriteCursorFile(folder / "pointer.cur");
    screen->MouseIcon((folder / "pointer.cur").string());
    EXPECT_EQ(screen->MousePointer(foreign.Window(), 1).number, 0);
    EXPECT_EQ(screen->MousePointer(foreign.Window()).value, 1);
    EXPECT_EQ(screen->MousePointer(foreign.Window(), 32512).number, 0);
}

TEST(ScreenClear, RepaintsAndKeepsAPendingQuitForTheRealLoop) {
    Recorder recorder;
    auto screen = MakeScreen(recorder);
    ASSERT_NE(screen, nullptr);
    ::PostQuitMessage(3);
    EXPECT_TRUE(screen->Clear(false).value);
    MSG message{};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
}  // namespace murmurex
