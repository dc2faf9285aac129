#include "tool/tool_args.h"

#include <algorithm>

namespace resmelder {

const std::string* CommandArgs::Option(std::string_view name) const {
    const std::string* value = nullptr;
    for (const auto& [option, given] : options) {
        if (option == name) {
            value = &given;
        }
    }
    return value;
}

std::vector<std::string> CommandArgs::Options(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& [option, given] : options) {
        if (option == name) {
            values.push_back(given);
        }
    }
    return values;
}

bool SplitArgs(std::span<const std::string> args, std::span<const std::string_view> valued,
               CommandArgs& parsed, std::string& problem) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // A lone "-" is an operand (a name or a text may be one).
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (std::find(valued.begin(), valued.end(), name) == valued.end()) {
            problem = "unknown option " + name;
            return false;
        }
        if (equals != std::string::npos) {
            parsed.options.emplace_back(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            parsed.options.emplace_back(name, args[++i]);
        } else {
            problem = "option " + name + " needs a value";
            return false;
        }
    }
    return true;
}

bool TakeFlag(std::vector<std::string>& args, std::string_view flag) {
    const auto end = std::find(args.begin(), args.end(), "--");
    const auto kept = std::remove(args.begin(), end, flag);
    const bool found = kept != end;
    args.erase(kept, end);
    return found;
}

std::optional<ResourceId> ReadType(const std::string& value, std::string& problem) {
    auto type = ParseResourceType(value);
    if (!type) {
        problem = "--type " + value +
                  " is not a resource type (a number up to 65535, a name such as ICON, or a "
                  "name of your own, written name:TEXT when it reads as a number or such a name)";
    }
    return type;
}

std::optional<ResourceId> ReadName(const std::string& value, std::string& problem) {
    auto name = ResourceId::Parse(value);
    if (!name) {
        problem = "\"" + value + "\" is not a resource name (a text, or #N with N up to 65535)";
    }
    return name;
}

std::optional<std::uint16_t> ReadLanguage(const std::string& value, std::string& problem) {
    auto language = ParseResourceLanguage(value);
    if (!language) {
        problem = "--lang " + value +
                  " is not a language (a number up to 65535, in decimal or as 0x followed by "
                  "hexadecimal digits)";
    }
    return language;
}

bool CountOperands(const CommandArgs& args, std::size_t least, std::size_t most,
                   std::string& problem) {
    if (args.operands.size() < least) {
        problem = "missing arguments";
        return false;
    }
    if (args.operands.size() > most) {
        problem = "too many arguments";
        return false;
    }
    return true;
}

bool ReadLanguageOption(const CommandArgs& args, std::optional<std::uint16_t>& language,
                        std::string& problem) {
    if (const std::string* value = args.Option("--lang")) {
        language = ReadLanguage(*value, problem);
        return language.has_value();
    }
    return true;
}

bool ReadKeyOptions(const CommandArgs& args, KeyOptions& key, std::string& problem) {
    if (const std::string* type = args.Option("--type")) {
        key.type = ReadType(*type, problem);
        if (!key.type) {
            return false;
        }
    }
    if (const std::string* name = args.Option("--name")) {
        key.name = ReadName(*name, problem);
        if (!key.name) {
            return false;
        }
    }
    return ReadLanguageOption(args, key.language, problem);
}

std::string Describe(const ResourceKey& key) {
    return TypeAsTyped(key.type) + "/" + key.name.ToString() + "/" + std::to_string(key.language);
}

}  // namespace resmelder
