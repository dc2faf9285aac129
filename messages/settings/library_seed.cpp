#include "library_seed.h"

#include <array>
#include <optional>
#include <string>
#include <system_error>

#include "file_access.h"
#include "phrase_library.h"
#include "settings_format.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;

// A copy in flight waits under a name of its own; a few tries step past leftovers of a copy
// that was killed.
constexpr int kAsideNameAttempts = 8;

// Anything under that name, even something we cannot inspect, belongs to the user.
bool IsOccupied(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::optional<fs::path> ClaimAsideName(const fs::path& target) {
    for (int attempt = 0; attempt < kAsideNameAttempts; ++attempt) {
        fs::path aside = target;
        aside += "." + std::to_string(attempt) + ".seeding";
        if (CreateNewEmptyFile(aside)) {
            return aside;
        }
    }
    return std::nullopt;
}

// The ordinary files of the sample folder, each into `to`; sub-folders are not the library's.
bool SeedFolder(const fs::path& from, const fs::path& to, const NewFileCopier& copy) {
    std::error_code ec;
    fs::create_directory(to, ec);
    if (ec || !IsFolder(to)) {
        return false;
    }
    bool complete = true;
    fs::directory_iterator it(from, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) {
            complete = copy(it->path(), to / it->path().filename()) && complete;
        }
    }
    return !ec && complete;
}

}  // namespace

LibrarySeeding SeedLibraryFromSample(const fs::path& appPath, const NewFileCopier& copy) {
    const fs::path sample = appPath / std::string(kSampleLibraryFolder);
    if (!IsFolder(sample)) {
        return LibrarySeeding::NoSample;
    }
    const std::array<fs::path, 3> libraryNames = {fs::path(std::string(kListsFolder)),
                                                  fs::path(std::string(kSelectionFileName)),
                                                  fs::path(std::string(kSettingsFileName))};
    for (const fs::path& name : libraryNames) {
        if (IsOccupied(appPath / name)) {
            return LibrarySeeding::AlreadyThere;
        }
    }
    if (!copy) {
        return LibrarySeeding::PartlySeeded;
    }
    // Each part on its own: one failure leaves the others to be copied.
    bool complete = true;
    for (const fs::path& name : libraryNames) {
        const fs::path from = sample / name;
        if (IsFolder(from)) {
            complete = SeedFolder(from, appPath / name, copy) && complete;
        } else if (IsOccupied(from)) {
            complete = copy(from, appPath / name) && complete;
        }
    }
    return complete ? LibrarySeeding::Seeded : LibrarySeeding::PartlySeeded;
}

LibrarySeeding SeedLibraryFromSample(const fs::path& appPath) {
    return SeedLibraryFromSample(appPath, CopyToNewFile);
}

bool CopyToNewFile(const fs::path& source, const fs::path& target) {
    const std::optional<std::string> bytes = ReadWholeFile(source);
    if (!bytes) {
        return false;
    }
    const std::optional<fs::path> aside = ClaimAsideName(target);
    if (!aside) {
        return false;
    }
    if (ReplaceFileAtomically(*aside, *bytes) && RenameFileNoReplace(*aside, target)) {
        return true;
    }
    DeleteFileAt(*aside);
    return false;
}

}  // namespace murmurex
