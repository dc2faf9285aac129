#pragma once
// The settings window's copy of the settings file and the two routines around it:
// LoadSettings reads the file once at start-up and applies it to the controls, SaveSettings
// rewrites the whole file after each change. The window implements SettingsControls; tests
// drive the same logic with a fake.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "phrase_library.h"
#include "settings_format.h"

namespace murmurex {

/// Display length in milliseconds and frequency in seconds: their ranges and their default.
inline constexpr std::int32_t kDurationMinimum = 1;
inline constexpr std::int32_t kDurationMaximum = 1000;
inline constexpr std::int32_t kFrequencyMinimum = 1;
inline constexpr std::int32_t kFrequencyMaximum = 30;
inline constexpr std::int32_t kTimingDefault = 2;
/// Font sizes above this many points are refused like a size of 0.
inline constexpr std::int32_t kLargestFontPoints = 1000;
/// Pure white is the message window's transparency key; text uses the nearest colour instead.
inline constexpr std::uint32_t kTransparencyKey = 0x00FFFFFF;
inline constexpr std::uint32_t kNearestToWhite = 0x00FFFFFE;
inline constexpr std::uint32_t kSystemColourFlag = 0x80000000;

/// The controls the settings are applied to, in the order LoadSettings applies them. The
/// settings window implements it: the preview label lblPreview, the colour picker
/// ColorPicker1, the message label and the two wheels with their timers.
class SettingsControls {
  public:
    virtual ~SettingsControls() = default;
    /// False when the platform refuses the name; the label then keeps its font.
    virtual bool SetPreviewFontName(const std::string& name) = 0;
    /// Whole points, 1 to kLargestFontPoints. False when the platform refuses the size.
    virtual bool SetPreviewFontSize(std::int32_t points) = 0;
    virtual void SetPreviewBold(bool bold) = 0;
    virtual void SetPreviewItalic(bool italic) = 0;
    /// A plain RGB colour 0x00BBGGRR, never pure white.
    virtual void SetPreviewColour(std::uint32_t colour) = 0;
    /// The colour picker's value; the window's change handler may run (it then reports
    /// through SettingsStore::ColourChanged, which saves nothing while loading).
    virtual void SetPickerColour(std::uint32_t colour) = 0;
    virtual void SetMessageColour(std::uint32_t colour) = 0;
    /// The message label takes the preview label's font (name, size, bold, italic).
    virtual void GiveMessageThePreviewFont() = 0;
    /// The duration wheel bvlWHEEL1, milliseconds within its range; its change handler runs.
    virtual void SetDurationWheel(std::int32_t milliseconds) = 0;
    virtual void SetDisplayLengthInterval(std::int32_t milliseconds) = 0;
    /// The frequency wheel bvlWHEEL2, seconds within its range; its change handler runs.
    virtual void SetFrequencyWheel(std::int32_t seconds) = 0;
    virtual void SetFrequencyInterval(std::int32_t seconds) = 0;
};

/// Looks up a system colour by its index (the low bits of a colour with the high bit set);
/// nothing for an index the platform does not know. The window passes GetSysColor's answer.
using SystemColourLookup = std::function<std::optional<std::uint32_t>(std::uint32_t index)>;

/// A stored colour as a text colour: a system colour resolved through `lookup` (black when
/// unknown), other high bits dropped, and pure white turned into its nearest neighbour.
std::uint32_t TextColourOf(std::int32_t stored, const SystemColourLookup& lookup);

/// A chosen colour as the picker must hold it: pure white becomes 0x00FFFFFE.
std::uint32_t UsableTextColour(std::uint32_t colour) noexcept;

/// The display length to apply: empty, 0 or negative gives the default 2, others are brought
/// into 1..1000.
std::int32_t EffectiveDuration(const std::optional<std::int32_t>& stored) noexcept;
/// The frequency to apply: empty, 0 or negative gives 2, others are brought into 1..30.
std::int32_t EffectiveFrequency(const std::optional<std::int32_t>& stored) noexcept;

class SettingsStore {
  public:
    SettingsStore(std::filesystem::path appPath, SettingsControls& controls,
                  SystemColourLookup lookup, FileWriter write = WriteWholeFile);

    /// Reads the file (missing, unreadable or empty counts as seven empty lines) and applies
    /// it; Loading is true meanwhile, so nothing the controls report is written back.
    void LoadSettings();
    /// Rewrites the whole file from SettingValues (encoded as EncodeTextFile says, so a font
    /// name the code page lacks is kept whole), replacing it in one step; does nothing
    /// while loading. A failed write leaves the old file and is tried again next change.
    void SaveSettings();

    /// The record-and-save steps of the window's change handlers.
    void DurationChanged(std::int32_t milliseconds);
    void FrequencyChanged(std::int32_t seconds);
    void ColourChanged(std::uint32_t colour);
    void FontChosen(const std::string& name, std::int32_t points, bool bold, bool italic);

    const SettingValues& Values() const noexcept { return values_; }
    bool Loading() const noexcept { return loading_; }
    /// The settings file beside the program.
    std::filesystem::path FilePath() const;

  private:
    void Apply();

    std::filesystem::path appPath_;
    SettingsControls& controls_;
    SystemColourLookup lookup_;
    FileWriter write_;
    SettingValues values_;
    bool loading_ = false;
};

}  // namespace murmurex
