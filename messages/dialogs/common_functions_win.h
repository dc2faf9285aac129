#pragma once
// `cCommonFunctions`: the file test, folder creation, shell launching and profile-file
// helpers behind one object. Text is ANSI bytes throughout, as the platform's A calls take it.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace murmurex::dialogs {

class cCommonFunctions {
  public:
    /// Shows a failure notice to the user.
    using Notice = std::function<void(std::string_view message)>;

    /// `owner` is the settings window that `Launch` opens its targets for; `title` the
    /// application title used for message boxes and error sources. Without `notice`, failures
    /// are shown in an exclamation message box titled `title`.
    cCommonFunctions(HWND owner, std::string title, Notice notice = {});

    /// True when `path` names at least one normal file (folders, hidden and system files do
    /// not count); any error answers False.
    bool FileExist(const std::string& path) const;
    /// Creates the folder with its missing parents; `path` receives a trailing "\".
    bool MakeDir(std::string& path) const;
    /// Opens a web address (kind 0), e-mail address (1) or file (2); answers the shell's
    /// number, or nothing for any other kind.
    std::optional<std::int32_t> Launch(const std::string& target, std::int32_t kind) const;
    /// The shell's execute operation. On failure answers False and leaves the error in
    /// `LastHelperError()`.
    bool ShellEx(const std::string& file, std::int32_t show, const std::string& parameters,
                 const std::string& directory, std::string& verb, HWND& owner) const;
    /// Writes one value; answers whether the platform wrote it.
    bool WriteINI(std::string& section, std::string& key, std::string& value,
                  const std::string& file) const;
    /// Reads one value (at most 254 characters); "" when the file, section or key is missing.
    std::string ReadINI(const std::string& section, const std::string& key,
                        std::string& file) const;

  private:
    HWND owner_;
    std::string title_;
    Notice notice_;
};

}  // namespace murmurex::dialogs
