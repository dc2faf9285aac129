#pragma once
// A command's arguments split into operands and options, and the options that address one
// resource (--type, --name, --lang) read into a type, a name and a language.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/resource_key.h"

namespace resmelder {

/// A command's operands in order, and its options with their values in the order given.
struct CommandArgs {
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options;

    /// The value of the last option called `name`, or null.
    const std::string* Option(std::string_view name) const;
    /// The values of every option called `name`, in order (for options given more than once).
    std::vector<std::string> Options(std::string_view name) const;
};

/// Splits `args`: each option in `valued` takes a value (the next argument, or the text
/// after "="); "--" makes every later argument an operand. False, with `problem`, for an
/// option not in `valued` or one without its value.
bool SplitArgs(std::span<const std::string> args, std::span<const std::string_view> valued,
               CommandArgs& parsed, std::string& problem);

/// The problem a command that writes a file reports when -o is not given.
inline constexpr char kMissingOutput[] = "missing -o OUT";

/// Whether `args` holds from `least` to `most` operands. False, with `problem` ("missing
/// arguments" or "too many arguments"), when it does not.
bool CountOperands(const CommandArgs& args, std::size_t least, std::size_t most,
                   std::string& problem);

/// Takes every `flag` (an option without a value) out of `args`, up to a "--"; answers
/// whether it was there.
bool TakeFlag(std::vector<std::string>& args, std::string_view flag);

/// The type, name and language options of a command; each is absent when not given.
struct KeyOptions {
    std::optional<ResourceId> type;
    std::optional<ResourceId> name;
    std::optional<std::uint16_t> language;
};

/// Reads --type, --name and --lang. False, with `problem`, for a value that is not one.
bool ReadKeyOptions(const CommandArgs& args, KeyOptions& key, std::string& problem);
/// Reads --lang alone, left absent when not given. False, with `problem`, for a value that
/// is not a language.
bool ReadLanguageOption(const CommandArgs& args, std::optional<std::uint16_t>& language,
                        std::string& problem);

/// The readers of each option's value, with the problem a person reads when it fails.
std::optional<ResourceId> ReadType(const std::string& value, std::string& problem);
std::optional<ResourceId> ReadName(const std::string& value, std::string& problem);
std::optional<std::uint16_t> ReadLanguage(const std::string& value, std::string& problem);

/// "TYPE/NAME/LANGUAGE" as the options accept each part, for messages.
std::string Describe(const ResourceKey& key);

}  // namespace resmelder
