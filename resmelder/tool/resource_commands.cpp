// list, get, extract, add-string, add-file, delete and edit: any resource by its type, name
// and language.

#include <algorithm>
#include <array>
#include <optional>

#include "image/image_texts.h"
#include "image/pending_output.h"
#include "support/encoding.h"
#include "support/file_sys.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

constexpr std::array<std::string_view, 3> kFindOptions = {"--type", "--name", "--lang"};
constexpr std::array<std::string_view, 4> kEditOptions = {"--type", "--name", "--lang", "-o"};

std::string Ansi(const std::string& utf8) {
    return XString::FromUtf8(utf8).Ansi();
}

// A node's name or id as the options accept it: a numbered name as "#N", other numbers
// (types, languages) as they are.
std::string Column(const ExeResource& node, std::size_t depth) {
    if (!node.IsNamed()) {
        return (depth == 1 ? "#" : "") + std::to_string(node.Id());
    }
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(node.Name16(), utf8);
    return utf8;
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
    enum class Kind { kAddString, kAddFile, kDelete } kind;
    std::optional<ResourceId> type;
    ResourceId name;
    std::optional<std::uint16_t> language;
    std::string value;  // the ANSI text, or the UTF-8 name of the data file
};

bool Apply(const ResourceEdit& edit, ExeImage& image, LogBase& log, std::string& doing) {
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
        return tree->PutBytes(
            key, {reinterpret_cast<const std::uint8_t*>(edit.value.data()), edit.value.size()},
            &log);
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
        return session.Usage("missing -o OUT", help);
    }
    if (kind == ResourceEdit::Kind::kDelete && key.name->IsNumber() && !key.type) {
        return session.Usage("deleting a numbered name needs --type", help);
    }
    std::string value;
    if (kind != ResourceEdit::Kind::kDelete) {
        value = kind == ResourceEdit::Kind::kAddString ? Ansi(args.operands[1]) : args.operands[1];
    }
    return ApplyAll(args.operands[0], *out,
                    {{kind, key.type, *key.name, key.language, std::move(value)}}, session);
}

}  // namespace

int RunList(CommandArguments args, ToolSession& session) {
    if (args.size() == 1 && args[0] == "--types") {
        PrintKeyForms(session.Out());
        return 0;
    }
    if (args.size() != 1 || args[0].starts_with("-")) {
        return session.Usage(args.empty() ? "missing FILE" : "unexpected arguments", help::kList);
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
    std::optional<ResourceId> type;
    std::optional<std::uint16_t> language;
    std::string problem;
    std::size_t i = 1;
    // The values after an option, or none when the command line ends first.
    const auto values = [&](std::size_t n) -> std::optional<CommandArguments> {
        if (args.size() - i - 1 < n) {
            return std::nullopt;
        }
        const CommandArguments taken = args.subspan(i + 1, n);
        i += n + 1;
        return taken;
    };
    while (i < args.size()) {
        const std::string option = args[i];
        const bool adds = option == "--add-string" || option == "--add-file";
        const auto taken = values(
            option == "-o" || option == "--type" || option == "--lang" || option == "--delete" ? 1
            : adds                                                                             ? 2
                                                                                               : 0);
        if (!taken) {
            return session.Usage("option " + option + " needs more values", help::kEdit);
        }
        if (taken->empty()) {
            return session.Usage("unexpected argument: " + option, help::kEdit);
        }
        const std::string& first = (*taken)[0];
        if (option == "-o") {
            out = first;
        } else if (option == "--type") {
            type = ReadType(first, problem);
            if (!type) {
                return session.Usage(problem, help::kEdit);
            }
        } else if (option == "--lang") {
            language = ReadLanguage(first, problem);
            if (!language) {
                return session.Usage(problem, help::kEdit);
            }
        } else {
            const auto name = ReadName(first, problem);
            if (!name) {
                return session.Usage(problem, help::kEdit);
            }
            if (option == "--delete") {
                if (name->IsNumber() && !type) {
                    return session.Usage("deleting a numbered name needs --type", help::kEdit);
                }
                edits.push_back({ResourceEdit::Kind::kDelete, type, *name, language, {}});
            } else if (option == "--add-string") {
                edits.push_back(
                    {ResourceEdit::Kind::kAddString, type, *name, language, Ansi((*taken)[1])});
            } else {
                edits.push_back({ResourceEdit::Kind::kAddFile, type, *name, language, (*taken)[1]});
            }
        }
    }
    if (!out) {
        return session.Usage("missing -o OUT", help::kEdit);
    }
    return ApplyAll(args[0], *out, std::move(edits), session);
}

}  // namespace resmelder
