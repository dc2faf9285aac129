#include "win/unique_handle.h"

#include <gtest/gtest.h>

namespace {

TEST(UniqueHandle, ClosesOnScopeExitAndMovesOwnership) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        win::UniqueKernelHandle first(raw);
        win::UniqueKernelHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
    }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "handle should have been closed";
}

TEST(UniqueHandle, WindowDcIsReleasedToItsOwnWindow) {
    auto dc = win::GetWindowDcOwned(nullptr);
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc.traits().window, nullptr);
    EXPECT_GT(::GetDeviceCaps(dc.get(), HORZRES), 0);
}

TEST(SelectGuard, RestoresThePreviousObject) {
    win::UniqueOwnedDc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ before = ::GetCurrentObject(dc.get(), OBJ_FONT);
    win::UniqueFont font(::CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                       L"Arial"));
    ASSERT_TRUE(font);
    {
        win::SelectGuard guard(dc.get(), font.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), font.get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), before);
}

}  // namespace
