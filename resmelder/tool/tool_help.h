#pragma once
// What the tool prints for --help: one block per command, each with one example.

#include <ostream>
#include <span>

namespace resmelder {

struct CommandHelp {
    const char* usage;        // one or more lines, each starting "resmelder "
    const char* description;  // what it does, wrapped at 80 columns
    const char* example;      // one command line
};

/// The help of one command, as `resmelder COMMAND --help` prints it.
void PrintCommandHelp(const CommandHelp& help, std::ostream& out);
/// The usage lines of every command and what they share, as `resmelder --help` prints it.
void PrintOverview(std::span<const CommandHelp* const> commands, std::ostream& out);
/// The values --type, --name and --lang accept, with the usual type names and numbers.
void PrintKeyForms(std::ostream& out);
/// The options every command that writes an executable takes.
void PrintWriteOptions(std::ostream& out);

namespace help {
extern const CommandHelp kList;
extern const CommandHelp kGet;
extern const CommandHelp kExtract;
extern const CommandHelp kAddString;
extern const CommandHelp kAddFile;
extern const CommandHelp kDelete;
extern const CommandHelp kEdit;
extern const CommandHelp kSetManifest;
extern const CommandHelp kSetIcon;
extern const CommandHelp kSetVersion;  // in set_version.cpp
extern const CommandHelp kGetVersion;  // in json_listing.cpp
extern const CommandHelp kSetString;   // in string_commands.cpp
extern const CommandHelp kGetString;   // in string_commands.cpp
extern const CommandHelp kAddRes;      // in res_commands.cpp
extern const CommandHelp kExportRes;   // in res_commands.cpp
}  // namespace help

}  // namespace resmelder
