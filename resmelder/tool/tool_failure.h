#pragma once
// The one line a person reads when a command fails, made from the log's first error entry:
// the known log lines map to short reasons; any other is quoted as it stands.

#include <string>
#include <vector>

#include "support/log.h"

namespace resmelder {

/// Log lines of the tool itself.
namespace tool_texts {
constexpr const char* kResourceNotFound = "Failed to get resource data";
constexpr const char* kLoadFailed = "Failed to load EXE - unspecified error";
constexpr const char* kWriteFailed = "Failed to write file";
constexpr const char* kNotAnIconFile = "The file is not a usable icon file";
constexpr const char* kNotAManifest = "The file is not a manifest";
constexpr const char* kFileTooLarge = "The file is too large";
constexpr const char* kNoIdsLeft = "No free ICON resource ids are left";
constexpr const char* kGroupUnreadable =
    "An icon group could not be read; ICON resources no group refers to were kept";
constexpr const char* kVersionUnreadable = "The version resource is not well-formed";
constexpr const char* kVersionTooLong =
    "The version resource would be longer than its 16-bit lengths can say";
constexpr const char* kNoSuchString = "No such string";
constexpr const char* kTextNotAnsi =
    "The text has characters the ANSI code page cannot hold; --encoding utf-8 or utf-16 "
    "stores it whole";
constexpr const char* kTextNotUtf8 = "The text is not UTF-8";
constexpr const char* kNotAResFile = "Not a compiled resource file";
constexpr const char* kManifestNotEditable = "The manifest cannot be edited safely";
constexpr const char* kNoVersion = "The file has no version resource";
}  // namespace tool_texts

/// What failed and why, in one line without the program's name: `doing` says what was
/// attempted ("cannot write out.exe") and `file` names the executable involved.
/// "/etc/passwd is not an executable (no DOS signature)",
/// "cannot open in.exe (No such file or directory)", "cannot write out.exe (the resource
/// section is one of the first two sections and cannot grow)".
std::string DescribeFailure(const LogEntry2& root, const std::string& doing,
                            const std::string& file);

/// The texts of the error and information entries of a log, in order: the warnings a
/// successful command shows.
std::vector<std::string> LogMessages(const LogEntry2& root);

}  // namespace resmelder
