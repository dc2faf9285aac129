// list, get, extract, add-string, add-file, delete and edit: any resource by its type, name
// and language.

#include <algorithm>
#include <array>
#include <optional>

#include "image/image_texts.h"
#include "image/pending_output.h"
#include "support/encoding.h"
#include "support/file_sys.h"
#include "tool/string_commands.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

constexpr std::array<std::string_view, 3> kFindOptions = {"--type", "--name", "--lang"};
constexpr std::array<std::string_view, 5> kEditOptions = {"--type", "--name", "--lang", "-o",
                                                          "--encoding"};

// How the text of add-string is stored.
enum class TextEncoding { kAnsi, kUtf8, kUtf16 };

std::optional<TextEncoding> ReadEncoding(const std::string& value, std::string& problem) {
    if (value == "ansi") {
        return TextEncoding::kAnsi;
    }
    if (value == "utf-8") {
        return TextEncoding::kUtf8;
    }
    if (value == "utf-16") {
        return TextEncoding::kUtf16;
    }
    problem = "--encoding " + value + " is not one of ansi, utf-8 and utf-16";
    return std::nullopt;
}

// The text's bytes in the encoding asked for (UTF-16 little-endian, no terminator); false,
// logged, when the text is not UTF-8 or the ANSI code page cannot hold it: a character is
// never stored as "?" or a look-alike.
bool EncodeText(const std::string& utf8, TextEncoding encoding, std::vector<std::uint8_t>& bytes,
                LogBase& log) {
    std::u16string wide;
    if (!EncodingConvert::Utf8ToUtf16(utf8, wide)) {
        log.LogError(tool_texts::kTextNotUtf8);
        return false;
    }
    std::string ansi;
    switch (encoding) {
        case TextEncoding::kUtf8:
            bytes.assign(utf8.begin(), utf8.end());
            return true;
        case TextEncoding::kUtf16:
            bytes.clear();
            for (const char16_t unit : wide) {
                bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
            }
            return true;
        case TextEncoding::kAnsi:
            break;
    }
    if (!EncodingConvert::Utf16ToAnsi(wide, ansi)) {
        log.LogError(tool_texts::kTextNotAnsi);
        log.LogDataLong("codePage", static_cast<std::int32_t>(EncodingConvert::AnsiCodePage()));
        return false;
    }
    bytes.assign(ansi.begin(), ansi.end());
    return true;
}

// A node's name or id as the options accept it: a numbered name as "#N", other numbers
// (types, languages) as they are.
std::string Column(const ExeResource& node, std::size_t depth) {
    if (!node.IsNamed()) {
        return (depth == 1 ? "#" : "") + std::to_string(node.Id());
    }
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(node.Name16(), utf8);
    // A type of the user's called like a number or a usual type is typed "name:TEXT".
    const auto reread = depth == 0 ? ParseResourceType(utf8) : std::nullopt;
    return reread && reread->IsNumber() ? "name:" + utf8 : utf8;
}

// Every leaf at any depth, so that an unusual tree is shown as it is.
void ListLeaves(const ExeResource& node, std::vector<std::string>& path, std::ostream& out) {
    if (!node.IsDirectory()) {
        std::vector<std::string> columns = path;
        columns.resize(std::max<std::size_t>(columns.size(), 3), "-");
        for (const auto& c : columns) {
            out << c << '\t';
        }
        out << node.Size() << '\n';
        return;
    }
    for (const auto* list : {&node.NamedChildren(), &node.NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            const ExeResource& child = *list->Get(i);
            path.push_back(Column(child, path.size()));
            ListLeaves(child, path, out);
            path.pop_back();
        }
    }
}

// The command's arguments with NAME taken out of the operands (at `at`) unless --name gave
// it; `count` is the number of operands with NAME.
bool ReadCommand(CommandArguments given, std::span<const std::string_view> valued, std::size_t at,
                 std::size_t count, CommandArgs& args, KeyOptions& key, std::string& problem) {
    if (!SplitArgs(given, valued, args, problem) || !ReadKeyOptions(args, key, problem)) {
        return false;
    }
    const std::size_t expected = key.name ? count - 1 : count;
    if (args.operands.size() != expected) {
        problem = args.operands.size() < expected ? "missing arguments"
                  : key.name                      ? "the name is given twice (NAME and --name)"
                                                  : "too many arguments";
        return false;
    }
    if (!key.name) {
        key.name = ReadName(args.operands[at], problem);
        if (!key.name) {
            return false;
        }
        args.operands.erase(args.operands.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return true;
}

// The typed name for messages: as the user gave it.
std::string Typed(const KeyOptions& key) {
    std::string text = key.name->ToString();
    if (key.type) {
        text = Describe({*key.type, *key.name, key.language.value_or(0)});
        if (!key.language) {
            text.resize(text.rfind('/'));
        }
    } else if (key.language) {
        text += " in language " + std::to_string(*key.language);
    }
    return text;
}

int Find(CommandArguments given, ToolSession& session, bool toFile) {
    const CommandHelp& help = toFile ? help::kExtract : help::kGet;
    CommandArgs args;
    KeyOptions key;
    std::string problem;
    if (!ReadCommand(given, kFindOptions, 1, toFile ? 3 : 2, args, key, problem)) {
        return session.Usage(problem, help);
    }
    const std::string& file = args.operands[0];
    auto image = session.Open(file);
    if (!image) {
        return session.Fail("cannot load " + file, file);
    }
    const ExeResource* leaf = image->Resources()
                                  ? image->Resources()->FindLeaf(key.type, *key.name, key.language)
                                  : nullptr;
    if (leaf == nullptr) {
        const std::string typed = Typed(key);
        session.Log().LogError(
            (std::string(tool_texts::kResourceNotFound) + ": ResourceName = " + typed).c_str());
        return session.Fail("cannot get " + typed + " from " + file, file);
    }
    const std::span<const std::uint8_t> bytes = leaf->Data();
    if (!toFile) {
        session.Out().write(reinterpret_cast<const char*>(bytes.data()),
                            static_cast<std::streamsize>(bytes.size()));
        return session.Out() ? 0 : 1;
    }
    // Written like an executable: the old file stays whole until the new one is, and a link
    // named as the output is replaced, never written through. Over the input itself it would
    // destroy the input.
    const std::string& outFile = args.operands[1];
    const XString target = XString::FromUtf8(outFile);
    if (IsInputFile(image->SourceIdentity(), target, &session.Log()) ||
        !ReplaceWholeFile(target, bytes, &session.Log())) {
        session.Log().LogError(tool_texts::kWriteFailed);
        return session.Fail("cannot write " + outFile, file);
    }
    return 0;
}

// One edit of a command line.
struct ResourceEdit {
    enum class Kind { kAddString, kAddFile, kDelete, kSetString } kind;
    std::optional<ResourceId> type;
    ResourceId name;
    std::optional<std::uint16_t> language;
    std::string value;  // the UTF-8 text, or the UTF-8 name of the data file
    TextEncoding encoding = TextEncoding::kAnsi;
    StringEdit string = {};  // set-string's edit
};

bool Apply(const ResourceEdit& edit, ExeImage& image, LogBase& log, std::string& doing) {
    if (edit.kind == ResourceEdit::Kind::kSetString) {
        return ApplyStringEdit(image, edit.string, log, doing);
    }
    ExeResource* tree = image.Resources();
    const ResourceKey key{edit.type.value_or(ResourceId::Number(resource_type::kRcdata)), edit.name,
                          edit.language.value_or(kDefaultResourceLanguage)};
    if (edit.kind == ResourceEdit::Kind::kDelete) {
        if (tree != nullptr) {
            tree->DeleteLeaves(edit.type, edit.name, edit.language);
        }
        return true;
    }
    doing = "cannot add " + Describe(key);
    if (tree == nullptr) {
        log.LogError(image_texts::kNoTreeForBytes);
        return false;
    }
    if (edit.kind == ResourceEdit::Kind::kAddString) {
        std::vector<std::uint8_t> bytes;
        return EncodeText(edit.value, edit.encoding, bytes, log) &&
               tree->PutBytes(key, bytes, &log);
    }
    // The entry is read when written; a file that cannot be read now is an error here rather
    // than an empty entry.
    const XString data = XString::FromUtf8(edit.value);
    return FileSys::CheckRegularOrMissing(data, &log) && FileSys::FileCanOpen(data, &log) &&
           tree->PutFile(key, data, &log);
}

int ApplyAll(const std::string& in, const std::string& out, std::vector<ResourceEdit> edits,
             ToolSession& session) {
    return session.EditAndWrite(in, out, [&](ExeImage& image, std::string& doing) {
        for (const ResourceEdit& edit : edits) {
            if (!Apply(edit, image, session.Log(), doing)) {
                doing += " to " + in;
                return false;
            }
        }
        return true;
    });
}

// What --type, --lang and --encoding have set for the edits after them.
struct EditDefaults {
    std::optional<ResourceId> type;
    std::optional<std::uint16_t> language;
    TextEncoding encoding = TextEncoding::kAnsi;
};

// How many values an option of edit takes; 0 for an argument that is not one of its options.
std::size_t EditOptionValues(const std::string& option) {
    if (option == "--add-string" || option == "--add-file" || option == "--set-string") {
        return 2;
    }
    const bool single = option == "-o" || option == "--type" || option == "--lang" ||
                        option == "--delete" || option == "--encoding";
    return single ? 1 : 0;
}

// One option of edit (other than -o) with its values: a default for the edits after it, or
// an edit. False, with `problem`, when a value is not usable.
bool ReadEditOption(const std::string& option, CommandArguments values, EditDefaults& defaults,
                    std::vector<ResourceEdit>& edits, std::string& problem) {
    const std::string& first = values[0];
    if (option == "--type") {
        defaults.type = ReadType(first, problem);
        return defaults.type.has_value();
    }
    if (option == "--lang") {
        defaults.language = ReadLanguage(first, problem);
        return defaults.language.has_value();
    }
    if (option == "--encoding") {
        const auto read = ReadEncoding(first, problem);
        defaults.encoding = read.value_or(defaults.encoding);
        return read.has_value();
    }
    if (option == "--set-string") {
        auto edit = ReadStringEdit(first, values[1], defaults.language, problem);
        if (edit) {
            edits.push_back({ResourceEdit::Kind::kSetString,
                             std::nullopt,
                             ResourceId::Number(0),
                             defaults.language,
                             {},
                             defaults.encoding,
                             std::move(*edit)});
        }
        return edit.has_value();
    }
    const auto name = ReadName(first, problem);
    if (!name) {
        return false;
    }
    if (option == "--delete") {
        if (name->IsNumber() && !defaults.type) {
            problem = "deleting a numbered name needs --type";
            return false;
        }
        edits.push_back({ResourceEdit::Kind::kDelete, defaults.type, *name, defaults.language, {}});
        return true;
    }
    const auto kind =
        option == "--add-string" ? ResourceEdit::Kind::kAddString : ResourceEdit::Kind::kAddFile;
    edits.push_back({kind, defaults.type, *name, defaults.language, values[1], defaults.encoding});
    return true;
}

int RunOneEdit(CommandArguments given, ToolSession& session, ResourceEdit::Kind kind,
               const CommandHelp& help) {
    CommandArgs args;
    KeyOptions key;
    std::string problem;
    const std::size_t count = kind == ResourceEdit::Kind::kDelete ? 2 : 3;
    if (!ReadCommand(given, kEditOptions, 1, count, args, key, problem)) {
        return session.Usage(problem, help);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage(kMissingOutput, help);
    }
    if (kind == ResourceEdit::Kind::kDelete && key.name->IsNumber() && !key.type) {
        return session.Usage("deleting a numbered name needs --type", help);
    }
    TextEncoding encoding = TextEncoding::kAnsi;
    if (const std::string* typed = args.Option("--encoding")) {
        if (kind != ResourceEdit::Kind::kAddString) {
            return session.Usage("--encoding is for the text of add-string", help);
        }
        const auto read = ReadEncoding(*typed, problem);
        if (!read) {
            return session.Usage(problem, help);
        }
        encoding = *read;
    }
    std::string value = kind != ResourceEdit::Kind::kDelete ? args.operands[1] : std::string();
    return ApplyAll(args.operands[0], *out,
                    {{kind, key.type, *key.name, key.language, std::move(value), encoding}},
                    session);
}

}  // namespace

int RunList(CommandArguments given, ToolSession& session) {
    std::vector<std::string> args(given.begin(), given.end());
    const bool strings = TakeFlag(args, "--strings");
    const bool json = TakeFlag(args, "--json");
    if (args.size() == 1 && args[0] == "--types" && !strings && !json) {
        PrintKeyForms(session.Out());
        return 0;
    }
    if (args.size() != 1 || args[0].starts_with("-") || (strings && json)) {
        return session.Usage(args.empty()      ? "missing FILE"
                             : strings && json ? "--strings and --json do not go together"
                                               : "unexpected arguments",
                             help::kList);
    }
    if (strings) {
        return ListStrings(args[0], session);
    }
    if (json) {
        return ListJson(args[0], session);
    }
    auto image = session.Open(args[0]);
    if (!image) {
        return session.Fail("cannot load " + args[0], args[0]);
    }
    if (image->Resources() != nullptr) {
        std::vector<std::string> path;
        ListLeaves(*image->Resources(), path, session.Out());
    }
    return 0;
}

int RunGet(CommandArguments args, ToolSession& session) {
    return Find(args, session, false);
}

int RunExtract(CommandArguments args, ToolSession& session) {
    return Find(args, session, true);
}

int RunAddString(CommandArguments args, ToolSession& session) {
    return RunOneEdit(args, session, ResourceEdit::Kind::kAddString, help::kAddString);
}

int RunAddFile(CommandArguments args, ToolSession& session) {
    return RunOneEdit(args, session, ResourceEdit::Kind::kAddFile, help::kAddFile);
}

int RunDelete(CommandArguments args, ToolSession& session) {
    return RunOneEdit(args, session, ResourceEdit::Kind::kDelete, help::kDelete);
}

int RunEdit(CommandArguments args, ToolSession& session) {
    if (args.empty() || args[0].starts_with("-")) {
        return session.Usage("missing IN", help::kEdit);
    }
    std::vector<ResourceEdit> edits;
    std::optional<std::string> out;
    EditDefaults defaults;
    std::string problem;
    std::size_t i = 1;
    while (i < args.size()) {
        const std::string& option = args[i];
        const std::size_t count = EditOptionValues(option);
        if (count == 0) {
            return session.Usage("unexpected argument: " + option, help::kEdit);
        }
        if (args.size() - i - 1 < count) {
            return session.Usage("option " + option + " needs more values", help::kEdit);
        }
        const CommandArguments values = args.subspan(i + 1, count);
        i += count + 1;
        if (option == "-o") {
            out = values[0];
        } else if (!ReadEditOption(option, values, defaults, edits, problem)) {
            return session.Usage(problem, help::kEdit);
        }
    }
    if (!out) {
        return session.Usage(kMissingOutput, help::kEdit);
    }
    return ApplyAll(args[0], *out, std::move(edits), session);
}

}  // namespace resmelder
