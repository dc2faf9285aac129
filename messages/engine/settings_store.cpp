#include "settings_store.h"

#include <algorithm>
#include <utility>

#include "text_file_encoding.h"

namespace murmurex {

std::uint32_t UsableTextColour(std::uint32_t colour) noexcept {
    return colour == kTransparencyKey ? kNearestToWhite : colour;
}

std::uint32_t TextColourOf(std::int32_t stored, const SystemColourLookup& lookup) {
    const auto bits = static_cast<std::uint32_t>(stored);
    std::uint32_t colour = bits & 0x00FFFFFF;
    if ((bits & kSystemColourFlag) != 0) {
        const std::optional<std::uint32_t> system =
            lookup ? lookup(bits & ~kSystemColourFlag) : std::nullopt;
        colour = system ? (*system & 0x00FFFFFF) : 0;
    }
    return UsableTextColour(colour);
}

std::int32_t EffectiveDuration(const std::optional<std::int32_t>& stored) noexcept {
    if (!stored || *stored <= 0) {
        return kTimingDefault;
    }
    return std::clamp(*stored, kDurationMinimum, kDurationMaximum);
}

std::int32_t EffectiveFrequency(const std::optional<std::int32_t>& stored) noexcept {
    if (!stored || *stored <= 0) {
        return kTimingDefault;
    }
    return std::clamp(*stored, kFrequencyMinimum, kFrequencyMaximum);
}

namespace {

// A timing of 0 or below means "use the default", as a missing one does: kept empty.
std::optional<std::int32_t> KeptTiming(const std::optional<std::int32_t>& read,
                                       std::int32_t applied) {
    if (!read || *read <= 0) {
        return std::nullopt;
    }
    return applied;
}

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path appPath, SettingsControls& controls,
                             SystemColourLookup lookup, FileWriter write)
    : appPath_(std::move(appPath)),
      controls_(controls),
      lookup_(std::move(lookup)),
      write_(std::move(write)) {}

std::filesystem::path SettingsStore::FilePath() const {
    return appPath_ / std::filesystem::path(std::string(kSettingsFileName));
}

void SettingsStore::LoadSettings() {
    loading_ = true;
    // A missing, unreadable or empty file reads as seven empty lines: every element empty.
    const std::optional<std::string> text = ReadTextFile(FilePath());
    values_ = text ? ParseSettings(*text) : SettingValues{};
    Apply();
    loading_ = false;
}

void SettingsStore::Apply() {
    // What the controls report while this runs is recorded by their handlers; each element
    // is set again below to what was applied, so the outcome does not depend on whether a
    // control reports an unchanged value.
    const SettingValues read = values_;

    if (read.fontName && !read.fontName->empty()) {
        controls_.SetPreviewFontName(*read.fontName);
    }
    const bool sizeUsable =
        read.fontSize && *read.fontSize > 0 && *read.fontSize <= kLargestFontPoints;
    if (sizeUsable) {
        controls_.SetPreviewFontSize(*read.fontSize);
    }
    controls_.SetPreviewBold(read.bold.value_or(false));
    controls_.SetPreviewItalic(read.italic.value_or(false));
    const std::uint32_t colour = TextColourOf(read.colour.value_or(0), lookup_);
    controls_.SetPreviewColour(colour);

    controls_.SetPickerColour(colour);
    controls_.SetMessageColour(colour);
    controls_.GiveMessageThePreviewFont();

    const std::int32_t duration = EffectiveDuration(read.duration);
    controls_.SetDurationWheel(duration);
    controls_.SetDisplayLengthInterval(duration);
    const std::int32_t frequency = EffectiveFrequency(read.frequency);
    controls_.SetFrequencyWheel(frequency);
    controls_.SetFrequencyInterval(frequency);

    // A size the label could not take is not carried on into the next save, and a value that
    // was mended is kept as mended.
    values_ = read;
    values_.fontSize = sizeUsable ? read.fontSize : std::nullopt;
    if (read.colour) {
        values_.colour = static_cast<std::int32_t>(colour);
    }
    values_.duration = KeptTiming(read.duration, duration);
    values_.frequency = KeptTiming(read.frequency, frequency);
}

void SettingsStore::SaveSettings() {
    if (loading_) {
        return;
    }
    // A failed write leaves the old file whole; the values in memory stay for the next try.
    if (write_) {
        write_(FilePath(), EncodeTextFile(FormatSettings(values_)));
    }
}

void SettingsStore::DurationChanged(std::int32_t milliseconds) {
    values_.duration = std::clamp(milliseconds, kDurationMinimum, kDurationMaximum);
    SaveSettings();
}

void SettingsStore::FrequencyChanged(std::int32_t seconds) {
    values_.frequency = std::clamp(seconds, kFrequencyMinimum, kFrequencyMaximum);
    SaveSettings();
}

void SettingsStore::ColourChanged(std::uint32_t colour) {
    values_.colour = static_cast<std::int32_t>(UsableTextColour(colour & 0x00FFFFFF));
    SaveSettings();
}

void SettingsStore::FontChosen(const std::string& name, std::int32_t points, bool bold,
                               bool italic) {
    values_.fontName = name.empty() ? std::nullopt : std::optional<std::string>(name);
    values_.fontSize = points;
    values_.bold = bold;
    values_.italic = italic;
    SaveSettings();
}

}  // namespace murmurex
