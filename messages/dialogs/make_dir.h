#pragma once
// `MakeDir`'s walk: find the longest part of a folder path that exists, then create every
// folder below it. The file system, the message pump and the failure notice come in through
// `FolderSystem`, so the walk runs over a fake tree in tests.

#include <string>
#include <string_view>

namespace murmurex::dialogs {

/// What listing a path with every attribute answers.
enum class Listing {
    Found,    ///< at least one entry
    Nothing,  ///< no entry
    Failed,   ///< the listing itself failed (a bad drive, a malformed path)
};

class FolderSystem {
  public:
    virtual ~FolderSystem() = default;
    /// Lists `probe` with every attribute; a probe ending in "\" lists the folder's contents.
    virtual Listing List(const std::string& probe) = 0;
    /// Creates one folder; answers False when it cannot.
    virtual bool CreateFolder(const std::string& folder) = 0;
    /// Lets pending window messages run.
    virtual void PumpMessages() = 0;
    /// Tells the user the folder could not be made.
    virtual void ShowFailure(std::string_view message) = 0;
};

/// Creates `path` with all its missing parents. `path` gets a trailing "\" if it lacks one.
/// On failure shows "Could not Create Destination Folder." and answers False; folders made
/// before the failure stay.
bool MakeDir(FolderSystem& folders, std::string& path);

}  // namespace murmurex::dialogs
