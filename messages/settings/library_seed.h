#pragma once
// The first start of an installed copy: the user's library (the Lists folder, the selection
// file and the settings file beside the program) is made from the sample copy the installer
// owns in "Sample library". The installer never tracks the user's files, so no upgrade or
// uninstall can overwrite or remove what the user made.

#include <filesystem>
#include <functional>
#include <string_view>

namespace murmurex {

inline constexpr std::string_view kSampleLibraryFolder = "Sample library";

/// Copies the file `source` to `target`, which must not exist: never replaces a file there.
using NewFileCopier =
    std::function<bool(const std::filesystem::path& source, const std::filesystem::path& target)>;

enum class LibrarySeeding {
    NoSample,      ///< no sample copy beside the program (a portable copy): nothing touched
    AlreadyThere,  ///< the Lists folder, the selection or the settings file exists: nothing touched
    Seeded,        ///< every file of the sample copy is now in the user's library
    PartlySeeded,  ///< some copies failed; what was copied stays and nothing was replaced
};

/// When the sample copy is beside the program and none of the Lists folder, the selection
/// file and the settings file exists there, copies them from the sample copy through `copy`.
LibrarySeeding SeedLibraryFromSample(const std::filesystem::path& appPath,
                                     const NewFileCopier& copy);
/// The same through CopyToNewFile.
LibrarySeeding SeedLibraryFromSample(const std::filesystem::path& appPath);

/// Copies the bytes of the ordinary file `source` into a new file `target`: written aside,
/// flushed, then renamed into place without replacing a file that appeared meanwhile. The
/// copy gets ordinary attributes (the user may edit it), whatever the source's are.
bool CopyToNewFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace murmurex
