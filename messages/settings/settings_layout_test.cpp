#include "settings_layout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace murmurex {
namespace {

using namespace settings_layout;

bool Inside(TwipsRect inner, TwipsRect outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(TwipsRect a, TwipsRect b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

const TwipsRect kClient{0, 0, kClientWidth, kClientHeight};

// The Messages page's own controls and the buttons below it, each at its place.
const std::vector<std::pair<const char*, TwipsRect>> kMessagesPage = {
    {"Label1", kLabel1},
    {"lstMessageCategories", kCategories},
    {"txtEditCat", kEditCat},
    {"cmdAddCat", kAddCat},
    {"cmdEditCat", kEditCatButton},
    {"cmdDeleteCat", kDeleteCat},
    {"Label2", kLabel2},
    {"lstPhrases", kPhrases},
    {"txtEditWord", kEditWord},
    {"cmdAdd", kAdd},
    {"cmdEdit", kEdit},
    {"cmdDelete", kDelete},
    {"fraTimesAndDuration", kFrameTimes},
    {"fraFont", kFrameFont},
    {"cmdStart", kStart},
    {"cmdClose", kClose},
};

TEST(SettingsLayout, EveryPageControlLiesInTheClientAreaBelowTheTabsWithoutOverlap) {
    for (std::size_t i = 0; i < kMessagesPage.size(); ++i) {
        const auto& [name, place] = kMessagesPage[i];
        EXPECT_TRUE(Inside(place, kClient)) << name;
        EXPECT_GE(place.top, kTabStripHeight) << name;
        EXPECT_GT(place.Width(), 0) << name;
        EXPECT_GT(place.Height(), 0) << name;
        for (std::size_t j = i + 1; j < kMessagesPage.size(); ++j) {
            EXPECT_FALSE(Overlap(place, kMessagesPage[j].second))
                << name << " overlaps " << kMessagesPage[j].first;
        }
    }
}

TEST(SettingsLayout, FrameContentsKeepTheirDesignOffsetsInsideTheirFrames) {
    for (TwipsRect inner : {kDurationLabel, kDurationWheel, kFrequencyLabel, kFrequencyWheel}) {
        EXPECT_TRUE(Inside(inner, kFrameTimes));
    }
    for (TwipsRect inner : {kEditFont, kColourPicker, kPicture1}) {
        EXPECT_TRUE(Inside(inner, kFrameFont));
    }
    EXPECT_EQ(kDurationWheel.left - kFrameTimes.left, 120);
    EXPECT_EQ(kFrequencyWheel.top - kFrameTimes.top, 1260);
    EXPECT_EQ(kPicture1.left - kFrameFont.left, 240);
    EXPECT_EQ(kPicture1.Width(), 2715);
    // The preview straddles the white and the black half.
    EXPECT_LT(kPreviewLabel.left, kShape2Left);
    EXPECT_GT(kPreviewLabel.right, kShape1Width);
}

// Every DPI a Windows display offers in its first steps, and one between them.
constexpr int kDpis[] = {96, 120, 144, 168, 192, 216};

TEST(SettingsLayout, PlacesScaleWithTheDpiWithoutNewOverlapsOrLeavingTheClient) {
    for (int dpi : kDpis) {
        const PixelPlace client = PlaceInPixels(kClient, dpi, dpi);
        for (std::size_t i = 0; i < kMessagesPage.size(); ++i) {
            const auto& [name, twips] = kMessagesPage[i];
            const PixelPlace place = PlaceInPixels(twips, dpi, dpi);
            EXPECT_GE(place.left, client.left) << name << " at " << dpi;
            EXPECT_LE(place.right, client.right) << name << " at " << dpi;
            EXPECT_LE(place.bottom, client.bottom) << name << " at " << dpi;
            // Within the one pixel that rounding each edge can cost.
            EXPECT_NEAR(place.Width(), twips.Width() * dpi / 1440.0, 1.0) << name << " at " << dpi;
            EXPECT_NEAR(place.Height(), twips.Height() * dpi / 1440.0, 1.0)
                << name << " at " << dpi;
            for (std::size_t j = i + 1; j < kMessagesPage.size(); ++j) {
                const PixelPlace other = PlaceInPixels(kMessagesPage[j].second, dpi, dpi);
                const bool overlap = place.left < other.right && other.left < place.right &&
                                     place.top < other.bottom && other.top < place.bottom;
                EXPECT_FALSE(overlap)
                    << name << " overlaps " << kMessagesPage[j].first << " at " << dpi;
            }
        }
        // The design lets each wheel's label reach over its wheel; that stays so.
        EXPECT_GT(PlaceInPixels(kDurationLabel, dpi, dpi).bottom,
                  PlaceInPixels(kDurationWheel, dpi, dpi).top);
        // The page background starts where the tab strip ends.
        EXPECT_EQ(PlaceInPixels(kPicture2, dpi, dpi).top, TwipsToPixels(kTabStripHeight, dpi));
    }
}

TEST(SettingsLayout, StopButtonSitsAtTheBottomEdgePracticallyOutOfSight) {
    EXPECT_EQ(kStop.left, 2700);
    EXPECT_EQ(kStop.top, 6240);
    EXPECT_EQ(kStop.Width(), 1395);
    EXPECT_LT(kClientHeight - kStop.top, 30);
}

}  // namespace
}  // namespace murmurex
