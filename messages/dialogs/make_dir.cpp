#include "make_dir.h"

#include "helper_texts.h"

namespace murmurex::dialogs {
namespace {

bool EndsInSeparator(const std::string& text) {
    return !text.empty() && text.back() == '\\';
}

// Answers False for every failure, so the caller shows one notice for all of them.
bool WalkAndCreate(FolderSystem& folders, const std::string& path) {
    std::string probe = path;
    Listing listing = folders.List(probe);
    while (listing != Listing::Found) {
        if (listing == Listing::Failed) {
            return false;
        }
        folders.PumpMessages();
        listing = folders.List(probe);
        probe.pop_back();
        if (probe.empty()) {
            return false;
        }
    }
    // The probe is now one character short of the text that was found.
    if (!EndsInSeparator(probe)) {
        probe += '\\';
    }
    while (probe != path) {
        // The probe always becomes a prefix of the path, one character longer each step.
        probe = path.substr(0, probe.size() + 1);
        if (EndsInSeparator(probe) && !folders.CreateFolder(probe)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MakeDir(FolderSystem& folders, std::string& path) {
    if (!EndsInSeparator(path)) {
        path += '\\';
    }
    if (WalkAndCreate(folders, path)) {
        return true;
    }
    folders.ShowFailure(helper_texts::kFolderFailure);
    return false;
}

}  // namespace murmurex::dialogs
