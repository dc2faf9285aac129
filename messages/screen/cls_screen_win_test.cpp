#include "cls_screen.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

TEST(ClsScreen, MeasuresTheScreenAtConstruction) {
    ScreenError raised;
    auto screen = clsScreen::Create(&raised);
    ASSERT_NE(screen, nullptr) << raised.source << ": " << raised.description;
    EXPECT_EQ(screen->Width(), static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(screen->Height(), static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)));
}

}  // namespace
}  // namespace murmurex
