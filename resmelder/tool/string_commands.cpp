// set-string, get-string and list --strings: the program's string table.

#include "tool/string_commands.h"

#include <array>
#include <cstdio>

#include "image/image_texts.h"
#include "image/string_table.h"
#include "support/encoding.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {

namespace help {
const CommandHelp kSetString = {
    "resmelder set-string IN ID TEXT [--lang L] -o OUT",
    "Sets string ID (0 to 65535) of the string table, the string LoadString finds, to TEXT.\n"
    "The other fifteen strings stored with it are kept; an empty TEXT clears the string, and\n"
    "a block of sixteen left empty is removed. Without --lang the string keeps its language\n"
    "(the lowest it is in), or takes that of its block or of the table (neutral for a first\n"
    "one).",
    "resmelder set-string app.exe 101 \"Bienvenue \xC3\xA0 bord\" -o app.exe"};

const CommandHelp kGetString = {
    "resmelder get-string FILE ID [--lang L]",
    "Prints string ID of the string table as UTF-8 with a line break. Without --lang, the\n"
    "lowest language that holds the string is read. Fails when the table holds no such\n"
    "string.",
    "resmelder get-string app.exe 101 --lang 0x40C"};
}  // namespace help

namespace {

constexpr std::array<std::string_view, 2> kSetOptions = {"--lang", "-o"};
constexpr std::array<std::string_view, 1> kGetOptions = {"--lang"};

std::string Utf8(std::u16string_view text) {
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(text, utf8);
    return utf8;
}

// One line per string: line breaks, tabs and backslashes escaped as \n, \r, \t and \\, other
// control characters as \xHH.
std::string OneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        switch (c) {
            case '\\':
                line += "\\\\";
                break;
            case '\n':
                line += "\\n";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\t':
                line += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
                    line += escaped;
                } else {
                    line.push_back(c);
                }
        }
    }
    return line;
}

}  // namespace

std::optional<StringEdit> ReadStringEdit(const std::string& id, const std::string& text,
                                         std::optional<std::uint16_t> language,
                                         std::string& problem) {
    // String IDs are typed like languages: decimal, or hexadecimal after 0x.
    const auto number = ParseResourceLanguage(id);
    if (!number) {
        problem = id +
                  " is not a string ID (0 to 65535, in decimal or as 0x followed by "
                  "hexadecimal digits)";
        return std::nullopt;
    }
    StringEdit edit{*number, language, {}};
    if (!EncodingConvert::Utf8ToUtf16(text, edit.text)) {
        problem = "the text of string " + id + " is not UTF-8";
        return std::nullopt;
    }
    return edit;
}

bool ApplyStringEdit(ExeImage& image, const StringEdit& edit, LogBase& log, std::string& doing) {
    doing = "cannot set string " + std::to_string(edit.id);
    ExeResource* tree = image.Resources();
    if (tree == nullptr) {
        log.LogError(image_texts::kNoTreeForBytes);
        return false;
    }
    const std::uint16_t language = edit.language.value_or(StringLanguageFor(*tree, edit.id));
    return SetTableString(*tree, edit.id, language, edit.text, &log);
}

int RunSetString(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    std::optional<std::uint16_t> language;
    if (!SplitArgs(given, kSetOptions, args, problem) ||
        !ReadLanguageOption(args, language, problem) || !CountOperands(args, 3, 3, problem)) {
        return session.Usage(problem, help::kSetString);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage(kMissingOutput, help::kSetString);
    }
    const auto edit = ReadStringEdit(args.operands[1], args.operands[2], language, problem);
    if (!edit) {
        return session.Usage(problem, help::kSetString);
    }
    const std::string& in = args.operands[0];
    return session.EditAndWrite(in, *out, [&](ExeImage& image, std::string& doing) {
        const bool done = ApplyStringEdit(image, *edit, session.Log(), doing);
        doing += " of " + in;
        return done;
    });
}

int RunGetString(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    std::optional<std::uint16_t> language;
    if (!SplitArgs(given, kGetOptions, args, problem) ||
        !ReadLanguageOption(args, language, problem) || !CountOperands(args, 2, 2, problem)) {
        return session.Usage(problem, help::kGetString);
    }
    const auto edit = ReadStringEdit(args.operands[1], {}, language, problem);
    if (!edit) {
        return session.Usage(problem, help::kGetString);
    }
    const std::string& file = args.operands[0];
    auto image = session.Open(file);
    if (!image) {
        return session.Fail("cannot load " + file, file);
    }
    const auto text = image->Resources()
                          ? GetTableString(*image->Resources(), edit->id, language, &session.Log())
                          : std::nullopt;
    if (!text) {
        session.Log().LogError(tool_texts::kNoSuchString);
        return session.Fail("cannot get string " + args.operands[1] + " from " + file, file);
    }
    session.Out() << Utf8(*text) << '\n';
    return session.Succeed();
}

int ListStrings(const std::string& file, ToolSession& session) {
    auto image = session.Open(file);
    if (!image) {
        return session.Fail("cannot load " + file, file);
    }
    if (image->Resources() != nullptr) {
        for (const TableString& entry : TableStrings(*image->Resources(), &session.Log())) {
            session.Out() << entry.id << '\t' << entry.language << '\t' << OneLine(Utf8(entry.text))
                          << '\n';
        }
    }
    return session.Succeed();
}

}  // namespace resmelder
