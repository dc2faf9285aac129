#pragma once
// The host form's property bag as the styled button sees it: named values, keys matched
// without regard to case. The settings window fills one from its own form data.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace murmurex {

struct ButtonFont {
    std::string name = "Verdana";
    /// Points.
    float size = 8.25f;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    friend bool operator==(const ButtonFont&, const ButtonFont&) = default;
};

/// A picture property: the bytes of an icon file, empty for no picture.
struct ButtonPicture {
    std::vector<std::uint8_t> bytes;
    bool Empty() const noexcept { return bytes.empty(); }
    friend bool operator==(const ButtonPicture&, const ButtonPicture&) = default;
};

using PropertyValue = std::variant<bool, std::int32_t, std::string, ButtonFont, ButtonPicture>;

class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    /// The stored value, or null when the key is absent.
    virtual const PropertyValue* Find(std::string_view key) const = 0;
    virtual void Write(std::string_view key, PropertyValue value) = 0;
    /// Forgets the key, so a value equal to its default reads back as that default.
    virtual void Erase(std::string_view key) = 0;
};

/// A bag held in memory, in insertion order.
class MemoryPropertyBag final : public PropertyBag {
  public:
    const PropertyValue* Find(std::string_view key) const override;
    void Write(std::string_view key, PropertyValue value) override;
    void Erase(std::string_view key) override;
    std::size_t Size() const noexcept { return entries_.size(); }

  private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

/// Typed reads with a default for an absent key or a value of another type. A Boolean may
/// be stored as a number (non-zero is True) and a number as a Boolean (True is -1).
bool ReadBool(const PropertyBag& bag, std::string_view key, bool fallback);
std::int32_t ReadInt(const PropertyBag& bag, std::string_view key, std::int32_t fallback);
std::string ReadString(const PropertyBag& bag, std::string_view key, std::string fallback);
ButtonFont ReadFont(const PropertyBag& bag, std::string_view key, ButtonFont fallback);
ButtonPicture ReadPicture(const PropertyBag& bag, std::string_view key, ButtonPicture fallback);

/// Writes value unless it equals fallback, in which case the key is left out.
template <typename T>
void WriteUnlessDefault(PropertyBag& bag, std::string_view key, const T& value, const T& fallback) {
    if (value == fallback) {
        bag.Erase(key);
    } else {
        bag.Write(key, PropertyValue(value));
    }
}

}  // namespace murmurex
