#include "win/window_procedure.h"

#include <gtest/gtest.h>

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
