#include "shell_rules.h"

#include <utility>

#include "ansi_text.h"
#include "helper_texts.h"

namespace murmurex::dialogs {
namespace {

constexpr std::int32_t kShowNormal = 1;
constexpr std::int32_t kShowHidden = 0;
// The automation object-error base plus 1048: failures the table names no number for.
constexpr std::int64_t kDefaultErrorBase = 0x80040418;

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    return AnsiLower(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

}  // namespace

ShellFailure ShellFailureFor(std::int64_t code) noexcept {
    namespace t = helper_texts;
    const std::int64_t fallback = kDefaultErrorBase + code;
    switch (code) {
        case 0:
        case 8:
            return {7, t::kOutOfMemory};
        case 2:
            return {53, t::kFileNotFound};
        case 3:
            return {76, t::kPathNotFound};
        case 5:
            return {75, t::kAccessError};
        case 11:
            return {fallback, t::kInvalidExecutable};
        case 26:
            return {75, t::kSharingViolation};
        case 27:
            return {fallback, t::kNoValidAssociation};
        case 28:
            return {286, t::kTimeOut};
        case 29:
            return {285, t::kDdeFailed};
        case 30:
            return {285, t::kTargetBusy};
        case 31:
            return {fallback, t::kNoAssociation};
        case 32:
            return {48, t::kDllNotFound};
        default:
            return {fallback, t::kOtherShellError};
    }
}

std::optional<std::string> LaunchTarget(std::string_view target, std::int32_t kind) {
    switch (static_cast<LaunchKind>(kind)) {
        case LaunchKind::WebAddress:
            // A secure address already names its scheme; prefixing it would break it.
            if (StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://")) {
                return std::string(target);
            }
            return "http://" + std::string(target);
        case LaunchKind::Mail:
            if (StartsWithNoCase(target, "mailto:")) {
                return std::string(target);
            }
            return "mailto:" + std::string(target);
        case LaunchKind::AsGiven:
            return std::string(target);
    }
    return std::nullopt;
}

std::optional<std::int32_t> Launch(ShellService& shell, std::uintptr_t owner,
                                   std::string_view target, std::int32_t kind) {
    std::optional<std::string> opened = LaunchTarget(target, kind);
    if (!opened) {
        return std::nullopt;
    }
    ShellRequest request;
    request.owner = owner;
    request.verb = "open";
    request.file = std::move(*opened);
    request.show = kShowNormal;
    return static_cast<std::int32_t>(shell.Execute(request));
}

bool ShellEx(ShellService& shell, std::string_view applicationTitle, const std::string& file,
             std::int32_t show, const std::string& parameters, const std::string& directory,
             const std::string& verb, std::uintptr_t owner, HelperError& record) {
    record.Clear();
    ShellRequest request;
    request.owner = owner;
    request.verb = verb;
    request.file = file;
    // A program is started hidden: it is expected to show its own window if it has one.
    request.show = AnsiLower(file).find(".exe") != std::string::npos ? kShowHidden : show;
    if (parameters.empty() && directory.empty()) {
        request.show = kShowNormal;
    } else {
        request.parameters = parameters;
        request.directory = directory;
    }
    const std::int64_t answer = shell.Execute(request);
    if (answer < 0 || answer > 32) {
        return true;
    }
    const ShellFailure failure = ShellFailureFor(answer);
    record.Raise(failure.number,
                 std::string(applicationTitle) + std::string(helper_texts::kShellSourceSuffix),
                 failure.message);
    return false;
}

}  // namespace murmurex::dialogs
