#pragma once
// The resmelder command line, independent of how the platform hands over its arguments.

#include <ostream>
#include <string>
#include <vector>

namespace resmelder {

/// Runs one command. `args` excludes the program name and is UTF-8. Answers the exit status:
/// 0 on success, 1 when the command failed (the log's text is on `err`), 2 for bad usage.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace resmelder
