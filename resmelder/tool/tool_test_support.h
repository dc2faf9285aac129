#pragma once
// What the tool's native tests share: a folder of the test's own (testpe::FolderTest) and the
// tool run in this process with a user's arguments, what it printed kept for the checks.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "image/folder_test.h"
#include "tool/tool.h"

namespace resmelder::tool_test {

class ToolFolderTest : public testpe::FolderTest {
  protected:
    using FolderTest::FolderTest;

    /// The tool with these arguments; what it printed is in out_ and err_ until the next run.
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunTool(args, out_, err_);
    }
    /// The first line of standard error: the plain line a person reads.
    std::string FirstLine() const {
        const std::string err = err_.str();
        return err.substr(0, err.find('\n'));
    }
    /// `leaf` in the folder the test works in, as the tool is given it.
    std::string P(const std::string& leaf) const { return (work_ / leaf).string(); }
    /// From now on the test works in `leaf`, a folder made inside its own (named as users
    /// name theirs, say).
    void WorkIn(const std::filesystem::path& leaf) {
        work_ = dir_ / leaf;
        std::filesystem::create_directories(work_);
    }

    std::filesystem::path work_ = dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

}  // namespace resmelder::tool_test
