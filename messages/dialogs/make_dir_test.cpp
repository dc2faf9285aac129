#include "make_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "helper_texts.h"

namespace murmurex::dialogs {
namespace {

// A tree of folders on drive C:, listed the way the platform lists: a text ending in "\"
// lists the folder's contents (never empty: a folder holds "."), any other text must name an
// entry; another drive cannot be listed at all.
class FakeFolders : public FolderSystem {
  public:
    std::set<std::string> folders{"C:"};
    std::set<std::string> files;
    std::set<std::string> refused;  // folders whose creation fails
    std::vector<std::string> created;
    std::vector<std::string> notices;
    int pumps = 0;

    Listing List(const std::string& probe) override {
        if (probe.size() >= 2 && probe[1] == ':' && probe[0] != 'C') {
            return Listing::Failed;
        }
        if (!probe.empty() && probe.back() == '\\') {
            return folders.count(probe.substr(0, probe.size() - 1)) ? Listing::Found
                                                                    : Listing::Nothing;
        }
        return folders.count(probe) || files.count(probe) ? Listing::Found : Listing::Nothing;
    }
    bool CreateFolder(const std::string& folder) override {
        const std::string name = folder.substr(0, folder.size() - 1);
        if (refused.count(name) || folders.count(name) || files.count(name)) {
            return false;
        }
        folders.insert(name);
        created.push_back(folder);
        return true;
    }
    void PumpMessages() override { ++pumps; }
    void ShowFailure(std::string_view message) override { notices.emplace_back(message); }
};

TEST(MakeDir, CreatesEachMissingFolderBelowTheOneThatExists) {
    FakeFolders fs;
    fs.folders.insert("C:\\a");
    std::string path = "C:\\a\\b\\c";
    EXPECT_TRUE(MakeDir(fs, path));
    EXPECT_EQ(path, "C:\\a\\b\\c\\");
    EXPECT_EQ(fs.created, (std::vector<std::string>{"C:\\a\\b\\", "C:\\a\\b\\c\\"}));
    EXPECT_TRUE(fs.notices.empty());
    EXPECT_GT(fs.pumps, 0);
}

TEST(MakeDir, ExistingPathCreatesNothing) {
    FakeFolders fs;
    fs.folders.insert("C:\\a");
    fs.folders.insert("C:\\a\\b");
    std::string path = "C:\\a\\b\\";
    EXPECT_TRUE(MakeDir(fs, path));
    EXPECT_EQ(path, "C:\\a\\b\\");
    EXPECT_TRUE(fs.created.empty());
    EXPECT_EQ(fs.pumps, 0);
}

TEST(MakeDir, NamesWithSpacesAndAccentsAreWalkedByteByByte) {
    FakeFolders fs;
    fs.folders.insert("C:\\Mes documents");
    std::string path = "C:\\Mes documents\\Listes \xE9t\xE9\\Caf\xE9";
    EXPECT_TRUE(MakeDir(fs, path));
    EXPECT_EQ(fs.created,
              (std::vector<std::string>{"C:\\Mes documents\\Listes \xE9t\xE9\\",
                                        "C:\\Mes documents\\Listes \xE9t\xE9\\Caf\xE9\\"}));
}

TEST(MakeDir, AFoundNameThatOnlySharesAPrefixStillLeadsToThePath) {
    // "C:\ab" exists as a file: the walk stops there and extends back along the path.
    FakeFolders fs;
    fs.files.insert("C:\\ab");
    std::string path = "C:\\abc\\x";
    EXPECT_TRUE(MakeDir(fs, path));
    EXPECT_EQ(fs.created, (std::vector<std::string>{"C:\\abc\\", "C:\\abc\\x\\"}));
}

TEST(MakeDir, MissingDriveShowsTheNoticeAndAnswersFalse) {
    FakeFolders fs;
    std::string path = "Q:\\x\\y";
    EXPECT_FALSE(MakeDir(fs, path));
    EXPECT_EQ(fs.notices, (std::vector<std::string>{std::string(helper_texts::kFolderFailure)}));
    EXPECT_EQ(fs.notices.front(), "Could not Create Destination Folder.");
    EXPECT_TRUE(fs.created.empty());
}

TEST(MakeDir, RelativeNameWithNothingFoundFailsWhenTheProbeRunsOut) {
    FakeFolders fs;
    std::string path = "nowhere";
    EXPECT_FALSE(MakeDir(fs, path));
    EXPECT_EQ(fs.notices.size(), 1u);
}

TEST(MakeDir, AFolderThatCannotBeMadeKeepsTheOnesMadeBefore) {
    FakeFolders fs;
    fs.refused.insert("C:\\a\\b");
    std::string path = "C:\\a\\b\\c\\";
    EXPECT_FALSE(MakeDir(fs, path));
    EXPECT_EQ(fs.created, (std::vector<std::string>{"C:\\a\\"}));
    EXPECT_EQ(fs.notices.size(), 1u);
}

}  // namespace
}  // namespace murmurex::dialogs
