#include "button_property_bag.h"

#include <algorithm>

namespace murmurex {
namespace {

char Lower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

template <typename T>
T ReadAs(const PropertyBag& bag, std::string_view key, T fallback) {
    const PropertyValue* value = bag.Find(key);
    if (value != nullptr) {
        if (const T* typed = std::get_if<T>(value)) {
            return *typed;
        }
    }
    return fallback;
}

}  // namespace

const PropertyValue* MemoryPropertyBag::Find(std::string_view key) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [key](const auto& entry) { return SameKey(entry.first, key); });
    return found == entries_.end() ? nullptr : &found->second;
}

void MemoryPropertyBag::Write(std::string_view key, PropertyValue value) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [key](const auto& entry) { return SameKey(entry.first, key); });
    if (found != entries_.end()) {
        found->second = std::move(value);
    } else {
        entries_.emplace_back(std::string(key), std::move(value));
    }
}

void MemoryPropertyBag::Erase(std::string_view key) {
    std::erase_if(entries_, [key](const auto& entry) { return SameKey(entry.first, key); });
}

bool ReadBool(const PropertyBag& bag, std::string_view key, bool fallback) {
    const PropertyValue* value = bag.Find(key);
    if (value != nullptr) {
        if (const bool* flag = std::get_if<bool>(value)) {
            return *flag;
        }
        if (const std::int32_t* number = std::get_if<std::int32_t>(value)) {
            return *number != 0;
        }
    }
    return fallback;
}

std::int32_t ReadInt(const PropertyBag& bag, std::string_view key, std::int32_t fallback) {
    const PropertyValue* value = bag.Find(key);
    if (value != nullptr) {
        if (const std::int32_t* number = std::get_if<std::int32_t>(value)) {
            return *number;
        }
        if (const bool* flag = std::get_if<bool>(value)) {
            return *flag ? -1 : 0;
        }
    }
    return fallback;
}

std::string ReadString(const PropertyBag& bag, std::string_view key, std::string fallback) {
    return ReadAs<std::string>(bag, key, std::move(fallback));
}

ButtonFont ReadFont(const PropertyBag& bag, std::string_view key, ButtonFont fallback) {
    return ReadAs<ButtonFont>(bag, key, std::move(fallback));
}

ButtonPicture ReadPicture(const PropertyBag& bag, std::string_view key, ButtonPicture fallback) {
    return ReadAs<ButtonPicture>(bag, key, std::move(fallback));
}

}  // namespace murmurex
