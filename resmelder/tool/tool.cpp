#include "tool/tool.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tool/tool_commands.h"
#include "tool/tool_help.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

struct Command {
    std::string_view name;
    int (*run)(CommandArguments args, ToolSession& session);
    const CommandHelp* help;
};

// Every command: its name, what runs it and its help. A new command is one line here.
const Command kCommands[] = {
    {"list", RunList, &help::kList},
    {"get", RunGet, &help::kGet},
    {"extract", RunExtract, &help::kExtract},
    {"add-string", RunAddString, &help::kAddString},
    {"add-file", RunAddFile, &help::kAddFile},
    {"delete", RunDelete, &help::kDelete},
    {"edit", RunEdit, &help::kEdit},
    {"set-manifest", RunSetManifest, &help::kSetManifest},
    {"set-icon", RunSetIcon, &help::kSetIcon},
    {"set-version", RunSetVersion, &help::kSetVersion},
    {"get-version", RunGetVersion, &help::kGetVersion},
    {"set-string", RunSetString, &help::kSetString},
    {"get-string", RunGetString, &help::kGetString},
    {"add-res", RunAddRes, &help::kAddRes},
    {"export-res", RunExportRes, &help::kExportRes},
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
            PrintCommandHelp(*command->help, out);
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
    const auto rest = std::span<const std::string>(args).subspan(1);
    const auto end = std::find(rest.begin(), rest.end(), "--");
    if (std::any_of(rest.begin(), end, [](const std::string& arg) { return IsHelp(arg); })) {
        PrintCommandHelp(*command->help, out);
        return 0;
    }
    ToolSession session(out, err, verbose);
    return command->run(rest, session);
}

}  // namespace resmelder
