#include "message_window_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ink_test_support_win.h"
#include "testing/stopwatch.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

using test_support::NowMs;
using win::test::PumpMessages;

int Pixels(float twips) {
    return static_cast<int>(twips / 15.0f + 0.5f);
}

// The label's rectangle on the screen, in pixels.
RECT LabelOnScreen(const frmMessage& form) {
    RECT window{};
    ::GetWindowRect(form.hWnd(), &window);
    const int left = window.left + Pixels(form.lblMessage.Left());
    const int top = window.top + Pixels(form.lblMessage.Top());
    return RECT{left, top, left + Pixels(form.lblMessage.Width()),
                top + Pixels(form.lblMessage.Height())};
}

// An ordinary application window the user is typing in: it has the focus and must keep it.
class MessageWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win::test::RegisterWindowClass("MurmurexEditorStandIn", ::DefWindowProcA,
                                       static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        editor.reset(::CreateWindowExA(0, "MurmurexEditorStandIn", "Editor", WS_OVERLAPPEDWINDOW,
                                       100, 100, 400, 300, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(editor);
        ::ShowWindow(editor.get(), SW_SHOW);
        ::SetForegroundWindow(editor.get());
        ::SetFocus(editor.get());
        PumpMessages(100);
        ASSERT_EQ(::GetForegroundWindow(), editor.get());

        form = frmMessage::Create();
        ASSERT_NE(form, nullptr);
        events.clear();
        form->lblMessage.SetVisibilityListener([this](bool shown) {
            events.push_back({shown, NowMs()});
        });
    }

    struct Event {
        bool shown;
        double at;
    };

    win::UniqueWindow editor;
    std::unique_ptr<frmMessage> form;
    std::vector<Event> events;
};

TEST_F(MessageWindowTest, LoadsHiddenKeyedOutAndTopmostWithTheLoadList) {
    HWND window = form->hWnd();
    const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 255, 255));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));

    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->lblMessage.Visible());
    EXPECT_EQ(form->lblMessage.Caption(), "I want to buy this program");
    EXPECT_EQ(form->Phrases().Items(), MessageCycle::LoadList());
    EXPECT_EQ(form->lblMessage.ForeColor(), 0x00C0C0C0u);
    EXPECT_EQ(form->lblMessage.Font().Name, "Arial");

    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 6);  // 90 twips
    EXPECT_EQ(client.bottom, 6);
    EXPECT_EQ(form->Cycle().ScreenWidth(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(form->Cycle().ScreenHeight(), ::GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(MessageWindowTest, ShowingAndFlashingNeverTakesTheFocus) {
    form->Phrases() = PhrasePool::FromList({"one", "two", "three"});
    form->TimerDisplayLength.SetInterval(1000);
    form->Paused() = false;
    form->Show();
    form->Begin();
    PumpMessages(50);
    for (int i = 0; i < 5; ++i) {
        form->Cycle().TimerFrequency_Timer();
        PumpMessages(30);
        EXPECT_TRUE(form->lblMessage.Visible());
        form->Cycle().TimerDisplayLength_Timer();
        PumpMessages(10);
    }
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(::GetForegroundWindow(), editor.get());
    EXPECT_EQ(::GetActiveWindow(), editor.get());
    EXPECT_EQ(::GetFocus(), editor.get());
    // A click on the text must not activate it either.
    EXPECT_EQ(::SendMessageA(form->hWnd(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(form->hWnd()),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
}

TEST_F(MessageWindowTest, LabelStaysOnTheScreenAndTheWindowFitsIt) {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    form->Phrases() = PhrasePool::FromList(
        {"a", "a middling phrase", std::string(70, 'W'), "I love the subliminal program."});
    form->lblMessage.SetFont({"Arial", 20.0f, true, false});
    form->Paused() = false;
    form->Show();
    for (int i = 0; i < 200; ++i) {
        form->Cycle().TimerFrequency_Timer();
        const RECT label = LabelOnScreen(*form);
        const int width = label.right - label.left;
        if (width <= screenWidth) {
            EXPECT_GE(label.left, 0) << i;
            EXPECT_LE(label.right, screenWidth) << i;
        } else {
            // Wider than the screen: between the negative offset and 0.
            EXPECT_LE(label.left, 0) << i;
            EXPECT_GE(label.left, screenWidth - width) << i;
        }
        EXPECT_GE(label.top, 0) << i;
        EXPECT_LE(label.bottom, screenHeight) << i;

        RECT window{};
        ::GetWindowRect(form->hWnd(), &window);
        EXPECT_EQ(window.bottom - window.top, label.bottom - label.top + 10);  // + 150 twips
        EXPECT_EQ(window.right - window.left, width + 4);  // to the label's right edge
        form->Cycle().TimerDisplayLength_Timer();
    }
}

TEST_F(MessageWindowTest, AnItalicBoldLastLetterKeepsEveryColumnOfItsInk) {
    // Bold italic Times New Roman (or its metric twin): the final "f" reaches past its advance.
    form->lblMessage.SetFont({"Times New Roman", 48.0f, true, true});
    form->lblMessage.SetForeColor(0x000000FF);
    form->Phrases() = PhrasePool::FromList({"Half-life of fluff"});
    form->TimerDisplayLength.SetInterval(1000);
    form->Paused() = false;
    form->Show();
    form->Cycle().TimerFrequency_Timer();
    PumpMessages(100);

    // The window shows every pixel of ink a rendering with room to spare has.
    RECT window{};
    ::GetWindowRect(form->hWnd(), &window);
    const auto shown = ink_test::RedInkIn(win::test::CaptureScreen(), window);
    const auto whole =
        ink_test::RenderedInk(L"Times New Roman", 48, true, true, L"Half-life of fluff");
    ASSERT_FALSE(whole.pixels.empty());
    EXPECT_EQ(shown.pixels, whole.pixels);
    EXPECT_LT(shown.right, window.right);
}

TEST_F(MessageWindowTest, TimersAlternateForReal) {
    form->Phrases() = PhrasePool::FromList({"one", "two"});
    form->TimerFrequency.SetInterval(1);
    form->TimerDisplayLength.SetInterval(50);
    form->Paused() = false;
    form->Show();
    bool bothOn = false;
    form->Begin();
    const double start = NowMs();
    PumpMessages(2300, [&] {
        bothOn = bothOn || (form->TimerFrequency.Enabled() && form->TimerDisplayLength.Enabled());
    });
    EXPECT_FALSE(bothOn);
    ASSERT_GE(events.size(), 4u);
    EXPECT_NEAR(events[0].at - start, 1000.0, 30.0);
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].shown, i % 2 == 0) << i;
        if (i > 0) {
            const double expected = events[i].shown ? 1000.0 : 50.0;
            EXPECT_NEAR(events[i].at - events[i - 1].at, expected, 20.0) << i;
        }
    }
}

TEST_F(MessageWindowTest, PausedFreezesBothTimersUntilReleased) {
    form->Phrases() = PhrasePool::FromList({"one", "two", "three"});
    form->TimerFrequency.SetInterval(1);
    form->TimerDisplayLength.SetInterval(100);
    form->Paused() = false;
    form->Show();
    form->Begin();
    PumpMessages(1050);  // now showing
    ASSERT_EQ(events.size(), 1u);
    ASSERT_TRUE(form->lblMessage.Visible());

    form->Paused() = true;
    const auto index = form->Cycle().PhraseIndex();
    form->Begin();
    PumpMessages(1300);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(form->lblMessage.Visible());
    EXPECT_EQ(form->Cycle().PhraseIndex(), index);

    // The timers kept running: released, the cycle goes on without a new Begin.
    form->Paused() = false;
    PumpMessages(400);  // the next repeat of the display timer hides it
    ASSERT_GE(events.size(), 2u);
    EXPECT_FALSE(events[1].shown);
}

TEST_F(MessageWindowTest, FontAndColourChangeAtRunTime) {
    const float smallHeight = form->lblMessage.Height();
    const float smallWidth = form->lblMessage.Width();
    form->lblMessage.SetFont({"Arial", 36.0f, true, true});
    EXPECT_GT(form->lblMessage.Height(), 2.5f * smallHeight);
    EXPECT_GT(form->lblMessage.Width(), 2.5f * smallWidth);
    EXPECT_TRUE(form->lblMessage.Font().Bold);
    EXPECT_TRUE(form->lblMessage.Font().Italic);
    form->lblMessage.SetForeColor(0x000000FF);
    EXPECT_EQ(form->lblMessage.ForeColor(), 0x000000FFu);

    // Nonsense sizes are kept within what a font can be.
    form->lblMessage.SetFont({"Arial", -4.0f, false, false});
    EXPECT_GT(form->lblMessage.Height(), 0.0f);
    EXPECT_LT(form->lblMessage.Height(), smallHeight);
}

}  // namespace
}  // namespace murmurex
