#pragma once
// The tool's commands. Each takes the arguments after its name (without --verbose and
// --help, which the dispatch handles) and answers the exit status: 0 success, 1 failure
// (reported on standard error), 2 a command line that cannot be run.

#include <span>
#include <string>

namespace resmelder {

class ToolSession;

using CommandArguments = std::span<const std::string>;

int RunList(CommandArguments args, ToolSession& session);
int RunGet(CommandArguments args, ToolSession& session);
int RunExtract(CommandArguments args, ToolSession& session);
int RunAddString(CommandArguments args, ToolSession& session);
int RunAddFile(CommandArguments args, ToolSession& session);
int RunDelete(CommandArguments args, ToolSession& session);
int RunEdit(CommandArguments args, ToolSession& session);
int RunSetManifest(CommandArguments args, ToolSession& session);
int RunSetIcon(CommandArguments args, ToolSession& session);
int RunSetVersion(CommandArguments args, ToolSession& session);
int RunGetVersion(CommandArguments args, ToolSession& session);
int RunSetString(CommandArguments args, ToolSession& session);
int RunGetString(CommandArguments args, ToolSession& session);
int RunAddRes(CommandArguments args, ToolSession& session);
int RunExportRes(CommandArguments args, ToolSession& session);

// The other forms of list: the string table, and everything as JSON.
int ListStrings(const std::string& file, ToolSession& session);
int ListJson(const std::string& file, ToolSession& session);

}  // namespace resmelder
