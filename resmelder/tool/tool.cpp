#include "tool/tool.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_help.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

enum class Writes { kNothing, kExecutable };

struct Command {
    std::string_view name;
    int (*run)(CommandArguments args, ToolSession& session);
    const CommandHelp* help;
    Writes writes;  // commands that write an executable take the options of writing
};

// Every command: its name, what runs it, its help and whether it writes an executable. A new
// command is one line here.
const Command kCommands[] = {
    {"list", RunList, &help::kList, Writes::kNothing},
    {"get", RunGet, &help::kGet, Writes::kNothing},
    {"extract", RunExtract, &help::kExtract, Writes::kNothing},
    {"add-string", RunAddString, &help::kAddString, Writes::kExecutable},
    {"add-file", RunAddFile, &help::kAddFile, Writes::kExecutable},
    {"delete", RunDelete, &help::kDelete, Writes::kExecutable},
    {"edit", RunEdit, &help::kEdit, Writes::kExecutable},
    {"set-manifest", RunSetManifest, &help::kSetManifest, Writes::kExecutable},
    {"set-icon", RunSetIcon, &help::kSetIcon, Writes::kExecutable},
    {"set-version", RunSetVersion, &help::kSetVersion, Writes::kExecutable},
    {"get-version", RunGetVersion, &help::kGetVersion, Writes::kNothing},
    {"set-string", RunSetString, &help::kSetString, Writes::kExecutable},
    {"get-string", RunGetString, &help::kGetString, Writes::kNothing},
    {"add-res", RunAddRes, &help::kAddRes, Writes::kExecutable},
    {"export-res", RunExportRes, &help::kExportRes, Writes::kNothing},
};

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

void PrintOverview(std::ostream& out) {
    std::vector<const CommandHelp*> helps;
    for (const Command& command : kCommands) {
        helps.push_back(command.help);
    }
    PrintOverview(helps, out);
}

bool IsHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

void PrintHelpOf(const Command& command, std::ostream& out) {
    PrintCommandHelp(*command.help, out);
    if (command.writes == Writes::kExecutable) {
        out << '\n';
        PrintWriteOptions(out);
    }
}

}  // namespace

int RunTool(const std::vector<std::string>& given, std::ostream& out, std::ostream& err) {
    // --verbose anywhere before "--" applies to the whole run.
    std::vector<std::string> args;
    bool verbose = false;
    bool optionsEnded = false;
    for (const std::string& arg : given) {
        if (!optionsEnded && (arg == "--verbose" || arg == "-v")) {
            verbose = true;
            continue;
        }
        optionsEnded = optionsEnded || arg == "--";
        args.push_back(arg);
    }
    if (args.empty()) {
        err << "resmelder: no command\n";
        PrintOverview(err);
        return 2;
    }
    if (IsHelp(args[0]) || args[0] == "help") {
        const Command* command = args.size() > 1 ? FindCommand(args[1]) : nullptr;
        if (command != nullptr) {
            PrintHelpOf(*command, out);
        } else {
            PrintOverview(out);
        }
        return 0;
    }
    const Command* command = FindCommand(args[0]);
    if (command == nullptr) {
        err << "resmelder: unknown command " << args[0] << '\n';
        PrintOverview(err);
        return 2;
    }
    // Elsewhere --keep-overlay stays among the arguments, for the command to refuse.
    const bool keepOverlay =
        command->writes == Writes::kExecutable && TakeFlag(args, "--keep-overlay");
    const auto rest = std::span<const std::string>(args).subspan(1);
    const auto end = std::find(rest.begin(), rest.end(), "--");
    if (std::any_of(rest.begin(), end, [](const std::string& arg) { return IsHelp(arg); })) {
        PrintHelpOf(*command, out);
        return 0;
    }
    ToolSession session(out, err, verbose);
    session.SetWriteOptions({keepOverlay});
    return command->run(rest, session);
}

}  // namespace resmelder
