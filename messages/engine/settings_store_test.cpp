#include "settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_access.h"
#include "phrase_test_files.h"

namespace murmurex {
namespace {

using test_support::TestFolder;
using testing::ReadBytes;
using testing::WriteBytes;

// The settings window's stand-in: records every call in order and, like the real wheels
// and picker, runs the change handlers when the program sets a value.
class FakeControls : public SettingsControls {
  public:
    SettingsStore* store = nullptr;
    std::vector<std::string> calls;
    std::string previewName = "MS Sans Serif";  // the design font
    std::int32_t previewSize = 8;
    bool previewBold = true;
    bool previewItalic = true;
    std::uint32_t previewColour = 0xC0C0C0;
    std::uint32_t pickerColour = 0;
    std::uint32_t messageColour = 0;
    std::string messageFont;
    std::int32_t durationWheel = 1;
    std::int32_t frequencyWheel = 1;
    std::int32_t durationInterval = 0;
    std::int32_t frequencyInterval = 0;

    bool SetPreviewFontName(const std::string& name) override {
        calls.push_back("name " + name);
        previewName = name;
        return true;
    }
    bool SetPreviewFontSize(std::int32_t points) override {
        calls.push_back("size " + std::to_string(points));
        previewSize = points;
        return true;
    }
    void SetPreviewBold(bool bold) override {
        calls.push_back(bold ? "bold on" : "bold off");
        previewBold = bold;
    }
    void SetPreviewItalic(bool italic) override {
        calls.push_back(italic ? "italic on" : "italic off");
        previewItalic = italic;
    }
    void SetPreviewColour(std::uint32_t colour) override {
        calls.push_back("preview colour " + std::to_string(colour));
        previewColour = colour;
    }
    void SetPickerColour(std::uint32_t colour) override {
        calls.push_back("picker " + std::to_string(colour));
        pickerColour = colour;
        store->ColourChanged(colour);
    }
    void SetMessageColour(std::uint32_t colour) override {
        calls.push_back("message colour " + std::to_string(colour));
        messageColour = colour;
    }
    void GiveMessageThePreviewFont() override {
        calls.push_back("message font");
        messageFont = previewName + " " + std::to_string(previewSize) +
                      (previewBold ? " bold" : "") + (previewItalic ? " italic" : "");
    }
    void SetDurationWheel(std::int32_t milliseconds) override {
        calls.push_back("duration wheel " + std::to_string(milliseconds));
        durationWheel = milliseconds;
        DurationLabel = "Duration: " + std::to_string(milliseconds) + " Millisecond(s)";
        durationInterval = milliseconds;
        store->DurationChanged(milliseconds);
    }
    void SetDisplayLengthInterval(std::int32_t milliseconds) override {
        calls.push_back("duration timer " + std::to_string(milliseconds));
        durationInterval = milliseconds;
    }
    void SetFrequencyWheel(std::int32_t seconds) override {
        calls.push_back("frequency wheel " + std::to_string(seconds));
        frequencyWheel = seconds;
        FrequencyLabel = "Frequency: " + std::to_string(seconds) + " Second(s)";
        frequencyInterval = seconds;
        store->FrequencyChanged(seconds);
    }
    void SetFrequencyInterval(std::int32_t seconds) override {
        calls.push_back("frequency timer " + std::to_string(seconds));
        frequencyInterval = seconds;
    }

    std::string DurationLabel;
    std::string FrequencyLabel;
};

// A platform that knows system colour 5 (the window colour) and no index above 30.
std::optional<std::uint32_t> FakeSystemColours(std::uint32_t index) {
    if (index == 5) {
        return 0x00F0E0D0;
    }
    if (index == 8) {
        return 0x00FFFFFF;  // a system colour can be the key too
    }
    return std::nullopt;
}

class SettingsStoreTest : public ::testing::Test {
  protected:
    SettingsStoreTest() { controls.store = &store; }

    void Load(std::string_view bytes) {
        WriteBytes(folder.path() / "__.__", bytes);
        store.LoadSettings();
    }

    FileWriter CountingWriter() {
        return [this](const std::filesystem::path& path, std::string_view bytes) {
            ++writes;
            return WriteWholeFile(path, bytes);
        };
    }

    TestFolder folder;
    FakeControls controls;
    int writes = 0;
    SettingsStore store{folder.path(), controls, FakeSystemColours, CountingWriter()};
};

TEST_F(SettingsStoreTest, TheVerdanaFileReachesPreviewMessageWheelsAndTimers) {
    Load("Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    const std::vector<std::string> expected{"name Verdana",
                                            "size 14",
                                            "bold on",
                                            "italic off",
                                            "preview colour 255",
                                            "picker 255",
                                            "message colour 255",
                                            "message font",
                                            "duration wheel 40",
                                            "duration timer 40",
                                            "frequency wheel 5",
                                            "frequency timer 5"};
    EXPECT_EQ(controls.calls, expected);
    EXPECT_EQ(controls.messageFont, "Verdana 14 bold");
    EXPECT_EQ(controls.messageColour, 255u);
    EXPECT_EQ(controls.DurationLabel, "Duration: 40 Millisecond(s)");
    EXPECT_EQ(controls.FrequencyLabel, "Frequency: 5 Second(s)");
    EXPECT_EQ(controls.durationInterval, 40);
    EXPECT_EQ(controls.frequencyInterval, 5);
    EXPECT_FALSE(store.Loading());
    EXPECT_EQ(writes, 0) << "applying the file must not write it back";
}

TEST_F(SettingsStoreTest, ZeroTimingsGiveTwo) {
    Load("Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n0\r\n0");
    EXPECT_EQ(controls.durationWheel, 2);
    EXPECT_EQ(controls.durationInterval, 2);
    EXPECT_EQ(controls.frequencyWheel, 2);
    EXPECT_EQ(controls.frequencyInterval, 2);
}

TEST_F(SettingsStoreTest, ThreeLinesApplyTheFontAndDefaultTheRest) {
    Load("Verdana\r\n14\r\nTrue");
    EXPECT_EQ(controls.previewName, "Verdana");
    EXPECT_EQ(controls.previewSize, 14);
    EXPECT_TRUE(controls.previewBold);
    EXPECT_FALSE(controls.previewItalic);
    EXPECT_EQ(controls.previewColour, 0u);
    EXPECT_EQ(controls.pickerColour, 0u);
    EXPECT_EQ(controls.durationInterval, 2);
    EXPECT_EQ(controls.frequencyInterval, 2);
}

TEST_F(SettingsStoreTest, NoFileStartsWithDefaultsAndTheFirstChangeWritesSevenLines) {
    store.LoadSettings();
    EXPECT_EQ(controls.previewName, "MS Sans Serif") << "the design font stays";
    EXPECT_EQ(controls.previewSize, 8);
    EXPECT_EQ(controls.durationInterval, 2);
    EXPECT_EQ(controls.frequencyInterval, 2);
    EXPECT_EQ(writes, 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "__.__"));

    store.FrequencyChanged(30);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"), "\r\n\r\n\r\n\r\n\r\n\r\n30");
}

TEST_F(SettingsStoreTest, AnEmptyFileCountsAsSevenEmptyLines) {
    Load("");
    EXPECT_EQ(controls.previewName, "MS Sans Serif");
    EXPECT_FALSE(controls.previewBold);
    EXPECT_EQ(controls.previewColour, 0u);
    EXPECT_EQ(controls.frequencyWheel, 2);
}

TEST_F(SettingsStoreTest, AChangeWhileLoadingIsNotWrittenButOneAfterwardsIs) {
    // The fake's wheels report back as the real ones do, during the load itself.
    Load("Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    EXPECT_EQ(writes, 0);
    store.DurationChanged(1000);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n1000\r\n5");
}

TEST_F(SettingsStoreTest, TimingsOutsideTheirRangesAreBroughtToTheNearestBound) {
    Load("Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n5000\r\n31");
    EXPECT_EQ(controls.durationWheel, 1000);
    EXPECT_EQ(controls.durationInterval, 1000);
    EXPECT_EQ(controls.frequencyWheel, 30);
    EXPECT_EQ(controls.frequencyInterval, 30);
    store.SaveSettings();
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n1000\r\n30");
}

TEST_F(SettingsStoreTest, NegativeTimingsCountAsMissing) {
    Load("Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n-40\r\n-1");
    EXPECT_EQ(controls.durationInterval, 2);
    EXPECT_EQ(controls.frequencyInterval, 2);
    EXPECT_FALSE(store.Values().duration);
    EXPECT_FALSE(store.Values().frequency);
}

TEST_F(SettingsStoreTest, PureWhiteBecomesTheNearestColourEverywhere) {
    Load("Arial\r\n12\r\nFalse\r\nFalse\r\n16777215\r\n40\r\n5");
    EXPECT_EQ(controls.previewColour, 16777214u);
    EXPECT_EQ(controls.pickerColour, 16777214u);
    EXPECT_EQ(controls.messageColour, 16777214u);
    store.SaveSettings();
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Arial\r\n12\r\nFalse\r\nFalse\r\n16777214\r\n40\r\n5");
    store.ColourChanged(0x00FFFFFF);
    EXPECT_EQ(store.Values().colour, 16777214);
}

TEST_F(SettingsStoreTest, ASystemColourIsResolvedThroughThePlatform) {
    // 0x80000005 is the window colour; written as a signed 32-bit number.
    Load("Arial\r\n12\r\nFalse\r\nFalse\r\n-2147483643\r\n40\r\n5");
    EXPECT_EQ(controls.previewColour, 0x00F0E0D0u);
    EXPECT_EQ(controls.messageColour, 0x00F0E0D0u);
    EXPECT_EQ(store.Values().colour, 0x00F0E0D0);

    EXPECT_EQ(TextColourOf(static_cast<std::int32_t>(0x80000008u), FakeSystemColours),
              kNearestToWhite);
    EXPECT_EQ(TextColourOf(static_cast<std::int32_t>(0x800000FFu), FakeSystemColours), 0u)
        << "an unknown system colour gives black";
    EXPECT_EQ(TextColourOf(static_cast<std::int32_t>(0x800000FFu), nullptr), 0u);
    EXPECT_EQ(TextColourOf(0x01000080, FakeSystemColours), 0x80u);
}

TEST_F(SettingsStoreTest, AFontSizeOver1000PointsIsRefusedAndTheLabelKeepsItsFont) {
    Load("Verdana\r\n5000\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    EXPECT_EQ(controls.previewName, "Verdana");
    EXPECT_EQ(controls.previewSize, 8);
    for (const std::string& call : controls.calls) {
        EXPECT_NE(call.rfind("size", 0), 0u) << call;
    }
    Load("Verdana\r\n0\r\nTrue");
    EXPECT_EQ(controls.previewSize, 8);
    Load("Verdana\r\n1000\r\nTrue");
    EXPECT_EQ(controls.previewSize, 1000);
}

TEST_F(SettingsStoreTest, AnEmptyFontNameIsSkipped) {
    Load("\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    EXPECT_EQ(controls.previewName, "MS Sans Serif");
    EXPECT_EQ(controls.previewSize, 14);
}

TEST_F(SettingsStoreTest, AChosenFontIsStoredAndSaved) {
    store.LoadSettings();
    store.FontChosen("Times New Roman", 14, false, true);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Times New Roman\r\n14\r\nFalse\r\nTrue\r\n\r\n\r\n");
}

TEST_F(SettingsStoreTest, AFontNameTheCodePageLacksIsKeptWholeAndOthersStayAnsi) {
    // Code page 1252 holds "Garamond Pro \u00c9" but no Japanese.
    store.LoadSettings();
    store.FontChosen("Garamond Pro \u00c9", 12, false, false);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Garamond Pro \xC9\r\n12\r\nFalse\r\nFalse\r\n\r\n\r\n");
    store.FontChosen("\u30e1\u30a4\u30ea\u30aa", 12, false, false);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "\xEF\xBB\xBF\u30e1\u30a4\u30ea\u30aa\r\n12\r\nFalse\r\nFalse\r\n\r\n\r\n");
    store.LoadSettings();
    EXPECT_EQ(controls.previewName, "\u30e1\u30a4\u30ea\u30aa");
}

TEST(SettingsStoreWrite, AFailedWriteKeepsTheOldFileAndTheNextChangeTriesAgain) {
    TestFolder folder;
    FakeControls controls;
    bool failing = true;
    int attempts = 0;
    SettingsStore store(folder.path(), controls, FakeSystemColours,
                        [&](const std::filesystem::path& path, std::string_view bytes) {
                            ++attempts;
                            // Breaks the real replace: its temporary file is made, then a write
                            // fails.
                            return ReplaceFileAtomically(path, bytes,
                                                         [&](std::size_t) { return !failing; });
                        });
    controls.store = &store;
    const std::string old = "Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n40\r\n5";
    WriteBytes(folder.path() / "__.__", old);
    store.LoadSettings();

    store.FrequencyChanged(9);
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"), old);
    EXPECT_EQ(store.Values().frequency, 9) << "the value in memory stays";
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left beside the settings file";

    failing = false;
    store.DurationChanged(300);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"), "Arial\r\n12\r\nFalse\r\nFalse\r\n0\r\n300\r\n9");
}

TEST(SettingsStoreWrite, TheDefaultWriterReplacesTheFileBesideTheProgram) {
    TestFolder folder;
    FakeControls controls;
    SettingsStore store(folder.path(), controls, FakeSystemColours);
    controls.store = &store;
    WriteBytes(folder.path() / "__.__", "Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    store.LoadSettings();
    store.ColourChanged(0x0000FF00);
    EXPECT_EQ(ReadBytes(folder.path() / "__.__"),
              "Verdana\r\n14\r\nTrue\r\nFalse\r\n65280\r\n40\r\n5");
}

#ifdef SAMPLE_LIBRARY_DIR
TEST(ShippedSettings, TheSampleFileGivesArial28BoldOrange300MsEvery3Seconds) {
    FakeControls controls;
    int writes = 0;
    SettingsStore store(SAMPLE_LIBRARY_DIR, controls, FakeSystemColours,
                        [&writes](const std::filesystem::path&, std::string_view) {
                            ++writes;
                            return false;
                        });
    controls.store = &store;
    store.LoadSettings();
    EXPECT_EQ(controls.messageFont, "Arial 28 bold");
    EXPECT_EQ(controls.messageColour, 0x000066FFu);
    EXPECT_EQ(controls.durationInterval, 300);
    EXPECT_EQ(controls.frequencyInterval, 3);
    EXPECT_EQ(FormatSettings(store.Values()),
              ReadBytes(std::filesystem::path(SAMPLE_LIBRARY_DIR) / "__.__"));
    EXPECT_EQ(writes, 0);
}
#endif

}  // namespace
}  // namespace murmurex
