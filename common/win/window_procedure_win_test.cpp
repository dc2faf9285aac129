#include "win/window_procedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr char kClass[] = "MurmurexWindowProcedureTest";
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

struct Recorder {
    std::vector<UINT> messages;
    HWND createdAs = nullptr;
    bool sawNcDestroy = false;
    bool objectStillStoredAtNcDestroy = true;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        messages.push_back(message);
        switch (message) {
            case WM_NCCREATE:
                createdAs = window;
                break;
            case WM_NCDESTROY:
                sawNcDestroy = true;
                objectStillStoredAtNcDestroy = win::WindowObject<Recorder>(window) != nullptr;
                break;
            case kThrow:
                throw std::runtime_error("a handler failed");
            case kAnswer:
                return 42;
            default:
                break;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    LRESULT HandleOther(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kAnswer) {
            return 7;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

HWND CreateFor(const char* className, Recorder& recorder) {
    return ::CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), &recorder);
}

TEST(WindowProcedure, TheObjectIsKnownFromTheFirstMessageUntilTheLast) {
    ASSERT_TRUE(win::RegisterWindowClass(kClass, win::WindowProcedure<Recorder>));
    Recorder recorder;
    const HWND window = CreateFor(kClass, recorder);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(recorder.createdAs, window);
    ASSERT_FALSE(recorder.messages.empty());
    EXPECT_EQ(recorder.messages.front(), WM_NCCREATE);
    EXPECT_EQ(win::WindowObject<Recorder>(window), &recorder);
    EXPECT_EQ(::SendMessageA(window, kAnswer, 0, 0), 42);

    ASSERT_TRUE(::DestroyWindow(window));
    EXPECT_TRUE(recorder.sawNcDestroy);
    EXPECT_FALSE(recorder.objectStillStoredAtNcDestroy);
    EXPECT_EQ(recorder.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(WindowProcedure, AnExceptionStopsAtTheBoundaryAndTheWindowLivesOn) {
    ASSERT_TRUE(win::RegisterWindowClass(kClass, win::WindowProcedure<Recorder>));
    Recorder recorder;
    const HWND window = CreateFor(kClass, recorder);
    ASSERT_NE(window, nullptr);
    // The default handling answers 0 for a private message.
    EXPECT_EQ(::SendMessageA(window, kThrow, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(window, kAnswer, 0, 0), 42);
    EXPECT_TRUE(::DestroyWindow(window));
}

TEST(WindowProcedure, AChosenMemberHandlesAnotherClass) {
    constexpr char kOtherClass[] = "MurmurexWindowProcedureOther";
    ASSERT_TRUE(win::RegisterWindowClass(kOtherClass,
                                         win::WindowProcedure<Recorder, &Recorder::HandleOther>));
    Recorder recorder;
    const HWND window = CreateFor(kOtherClass, recorder);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::SendMessageA(window, kAnswer, 0, 0), 7);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(::DestroyWindow(window));
}

// What an owned window heard, kept outside the object so it can be read after the object.
struct OwnerLog {
    std::vector<UINT> messages;
    HWND atNcCreate = nullptr;
    HWND atCreate = nullptr;
    HWND atNcDestroy = nullptr;
    bool objectGone = false;
    int heardWhenGone = 0;
};

class Owner : public win::OwnedWindow {
  public:
    Owner(OwnerLog& log, bool destroysItsWindow)
        : log_(log), destroysItsWindow_(destroysItsWindow) {}
    ~Owner() {
        if (destroysItsWindow_) {
            DestroyOwnedWindow();
        }
        log_.objectGone = true;
    }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (log_.objectGone) {
            ++log_.heardWhenGone;
        }
        log_.messages.push_back(message);
        if (message == WM_NCCREATE) {
            log_.atNcCreate = hWnd();
        } else if (message == WM_CREATE) {
            log_.atCreate = hWnd();
        } else if (message == WM_NCDESTROY) {
            log_.atNcDestroy = hWnd();
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

  private:
    OwnerLog& log_;
    bool destroysItsWindow_;
};

constexpr char kOwnerClass[] = "MurmurexOwnedWindowTest";

HWND CreateOwned(Owner& owner) {
    EXPECT_TRUE(win::RegisterWindowClass(kOwnerClass, win::WindowProcedure<Owner>));
    return ::CreateWindowExA(0, kOwnerClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), &owner);
}

bool Heard(const OwnerLog& log, UINT message) {
    return std::find(log.messages.begin(), log.messages.end(), message) != log.messages.end();
}

TEST(OwnedWindow, HoldsItsWindowFromTheFirstMessageUntilTheWindowIsDestroyed) {
    OwnerLog log;
    auto owner = std::make_unique<Owner>(log, false);
    const HWND window = CreateOwned(*owner);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(log.atNcCreate, window);
    EXPECT_EQ(log.atCreate, window);
    EXPECT_EQ(owner->hWnd(), window);

    // Destroyed from outside, as a child goes with its parent: the object lets go of it.
    ASSERT_TRUE(::DestroyWindow(window));
    EXPECT_TRUE(Heard(log, WM_NCDESTROY));
    EXPECT_EQ(log.atNcDestroy, nullptr);
    EXPECT_EQ(owner->hWnd(), nullptr);
    const std::size_t heard = log.messages.size();
    owner.reset();
    EXPECT_EQ(log.messages.size(), heard);
}

TEST(OwnedWindow, AnObjectThatGoesFirstTakesItsWindowWithoutHearingTheTeardown) {
    OwnerLog log;
    auto owner = std::make_unique<Owner>(log, false);
    const HWND window = CreateOwned(*owner);
    ASSERT_NE(window, nullptr);
    owner.reset();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(log.heardWhenGone, 0);
    EXPECT_FALSE(Heard(log, WM_DESTROY));
}

TEST(OwnedWindow, AnObjectThatDestroysItsWindowItselfHearsTheTeardownWhileWhole) {
    OwnerLog log;
    auto owner = std::make_unique<Owner>(log, true);
    const HWND window = CreateOwned(*owner);
    ASSERT_NE(window, nullptr);
    owner.reset();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(Heard(log, WM_DESTROY));
    EXPECT_EQ(log.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(log.heardWhenGone, 0);
}

TEST(RegisterWindowClass, ASecondRegistrationKeepsTheFirstClass) {
    constexpr char kTwiceClass[] = "MurmurexRegisteredTwice";
    win::WindowClassOptions options;
    options.style = CS_DBLCLKS;
    ASSERT_TRUE(win::RegisterWindowClass(kTwiceClass, win::WindowProcedure<Recorder>, options));
    EXPECT_TRUE(win::RegisterWindowClass(kTwiceClass, ::DefWindowProcA));
    WNDCLASSEXA found{};
    found.cbSize = sizeof found;
    ASSERT_TRUE(::GetClassInfoExA(::GetModuleHandleA(nullptr), kTwiceClass, &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_DBLCLKS));
    EXPECT_EQ(found.lpfnWndProc, &win::WindowProcedure<Recorder>);
    EXPECT_NE(found.hCursor, nullptr);
}

}  // namespace
