#pragma once
// The portable rules of the shell helpers: which target `Launch` opens, how `ShellEx` calls
// the shell and how it turns the shell's small failure codes into numbered errors. The shell
// itself sits behind `ShellService`, so the rules run without a shell.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "helper_error.h"

namespace murmurex::dialogs {

/// One shell "execute" request, with the owner window as a plain number.
struct ShellRequest {
    std::uintptr_t owner = 0;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    std::int32_t show = 0;
};

/// Runs a shell request; answers the shell's number (above 32 on success, 0 to 32 on failure).
class ShellService {
  public:
    virtual ~ShellService() = default;
    virtual std::int64_t Execute(const ShellRequest& request) = 0;
};

/// The kinds `Launch` knows.
enum class LaunchKind : std::int32_t { WebAddress = 0, Mail = 1, AsGiven = 2 };

/// The number and text of the error the shell's failure code `code` (0 to 32) stands for.
struct ShellFailure {
    std::int64_t number;
    std::string_view message;
};
ShellFailure ShellFailureFor(std::int64_t code) noexcept;

/// The target `Launch` hands to the shell for `kind`, or nothing for an unknown kind.
std::optional<std::string> LaunchTarget(std::string_view target, std::int32_t kind);

/// Opens `target` with the "open" verb in a normal window. Answers the shell's number as a
/// 32-bit value, or nothing (and opens nothing) for an unknown kind.
std::optional<std::int32_t> Launch(ShellService& shell, std::uintptr_t owner,
                                   std::string_view target, std::int32_t kind);

/// Runs the shell's execute operation. Answers True on success; on failure answers False and
/// leaves the translated error in `record` (source: `applicationTitle` + ".GShell").
bool ShellEx(ShellService& shell, std::string_view applicationTitle, const std::string& file,
             std::int32_t show, const std::string& parameters, const std::string& directory,
             const std::string& verb, std::uintptr_t owner, HelperError& record);

}  // namespace murmurex::dialogs
