#include "shell_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace murmurex::dialogs {
namespace {

// Records each request and answers a scripted number.
class FakeShell : public ShellService {
  public:
    std::int64_t answer = 42;
    std::vector<ShellRequest> requests;
    std::int64_t Execute(const ShellRequest& request) override {
        requests.push_back(request);
        return answer;
    }
};

TEST(Launch, WebAddressWithoutSchemeGetsHttp) {
    FakeShell shell;
    EXPECT_EQ(Launch(shell, 7, "www.example.org/a b", 0), 42);
    ASSERT_EQ(shell.requests.size(), 1u);
    const ShellRequest& r = shell.requests[0];
    EXPECT_EQ(r.file, "http://www.example.org/a b");
    EXPECT_EQ(r.verb, "open");
    EXPECT_EQ(r.owner, 7u);
    EXPECT_EQ(r.show, 1);
    EXPECT_TRUE(r.parameters.empty());
    EXPECT_TRUE(r.directory.empty());
}

TEST(Launch, HttpInAnyCaseIsLeftAlone) {
    EXPECT_EQ(LaunchTarget("HtTp://Example.org", 0), "HtTp://Example.org");
    EXPECT_EQ(LaunchTarget("http://x", 0), "http://x");
}

TEST(Launch, HttpsInAnyCaseIsLeftAlone) {
    EXPECT_EQ(LaunchTarget("https://example.org/", 0), "https://example.org/");
    EXPECT_EQ(LaunchTarget("HTTPS://Example.org", 0), "HTTPS://Example.org");
}

TEST(Launch, OtherSchemesAndNearMissesGetHttp) {
    EXPECT_EQ(LaunchTarget("ftp://host", 0), "http://ftp://host");
    EXPECT_EQ(LaunchTarget("http:/x", 0), "http://http:/x");
    EXPECT_EQ(LaunchTarget("https:x", 0), "http://https:x");
    EXPECT_EQ(LaunchTarget("", 0), "http://");
}

TEST(Launch, MailAddressGetsMailtoUnlessItHasOne) {
    EXPECT_EQ(LaunchTarget("someone@example.org", 1), "mailto:someone@example.org");
    EXPECT_EQ(LaunchTarget("MailTo:someone@example.org", 1), "MailTo:someone@example.org");
}

TEST(Launch, KindTwoIsUsedAsGiven) {
    EXPECT_EQ(LaunchTarget("C:\\Program Files\\caf\xE9.txt", 2), "C:\\Program Files\\caf\xE9.txt");
}

TEST(Launch, UnknownKindOpensNothingAndAnswersEmpty) {
    FakeShell shell;
    EXPECT_FALSE(Launch(shell, 0, "x", 3).has_value());
    EXPECT_FALSE(Launch(shell, 0, "x", -1).has_value());
    EXPECT_TRUE(shell.requests.empty());
}

TEST(Launch, FailureNumberIsReturnedNotRaised) {
    FakeShell shell;
    shell.answer = 2;
    EXPECT_EQ(Launch(shell, 0, "x", 2), 2);
}

TEST(ShellEx, ProgramNameInAnyCaseRunsHiddenWithParameters) {
    FakeShell shell;
    HelperError record;
    EXPECT_TRUE(ShellEx(shell, "Messages", "C:\\Tools\\Run.ExE", 3, "/a", "", "open", 9, record));
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].show, 0);
    EXPECT_EQ(shell.requests[0].parameters, "/a");
    EXPECT_EQ(shell.requests[0].owner, 9u);
    EXPECT_EQ(record.number, 0);
}

TEST(ShellEx, ExeAnywhereInTheNameCounts) {
    FakeShell shell;
    HelperError record;
    ShellEx(shell, "M", "C:\\my.exe.files\\notes.txt", 5, "", "C:\\", "print", 0, record);
    EXPECT_EQ(shell.requests[0].show, 0);
    EXPECT_EQ(shell.requests[0].directory, "C:\\");
    EXPECT_EQ(shell.requests[0].verb, "print");
}

TEST(ShellEx, WithoutParametersAndDirectoryShowIsNormal) {
    FakeShell shell;
    HelperError record;
    ShellEx(shell, "M", "C:\\Run.exe", 0, "", "", "open", 0, record);
    ShellEx(shell, "M", "notes.txt", 3, "", "", "open", 0, record);
    EXPECT_EQ(shell.requests[0].show, 1);
    EXPECT_EQ(shell.requests[1].show, 1);
}

TEST(ShellEx, GivenShowIsKeptForADocumentWithParameters) {
    FakeShell shell;
    HelperError record;
    ShellEx(shell, "M", "notes.txt", 3, "x", "", "open", 0, record);
    EXPECT_EQ(shell.requests[0].show, 3);
}

TEST(ShellEx, NegativeAndAbove32AreSuccess) {
    FakeShell shell;
    HelperError record;
    record.Raise(5, "old", "old");
    shell.answer = -1;
    EXPECT_TRUE(ShellEx(shell, "M", "a", 1, "", "", "", 0, record));
    EXPECT_EQ(record.number, 0);  // a new call starts with a clean record
    shell.answer = 33;
    EXPECT_TRUE(ShellEx(shell, "M", "a", 1, "", "", "", 0, record));
    shell.answer = 32;
    EXPECT_FALSE(ShellEx(shell, "M", "a", 1, "", "", "", 0, record));
}

TEST(ShellEx, NoAssociationLeavesTheDefaultNumberAndText) {
    FakeShell shell;
    shell.answer = 31;
    HelperError record;
    EXPECT_FALSE(ShellEx(shell, "Messages", "a.xyz", 1, "", "", "open", 0, record));
    EXPECT_EQ(record.number, 0x80040418LL + 31);
    EXPECT_EQ(record.source, "Messages.GShell");
    EXPECT_EQ(record.description, "No application is associated with this file type.");
}

TEST(ShellEx, ErrorTableIsQuotedExactly) {
    struct Row {
        std::int64_t code;
        std::int64_t number;
        const char* message;
    };
    const std::int64_t base = 0x80040418LL;
    const Row rows[] = {
        {0, 7, "Out of memory"},
        {2, 53, "File not found"},
        {3, 76, "Path not found"},
        {5, 75, "Path/file access error"},
        {8, 7, "Out of memory"},
        {11, base + 11, "The executable file is invalid or corrupt"},
        {26, 75, "A sharing violation occurred."},
        {27, base + 27, "This file type does not have a valid file association."},
        {28, 286, "The file could not be opened due to time out.  Please try again in a moment."},
        {29, 285,
         "The file could not be opened because the DDE transaction failed.  Please try again in "
         "a moment."},
        {30, 285,
         "The file could not be opened because the target application is busy.  Please try "
         "again in a moment."},
        {31, base + 31, "No application is associated with this file type."},
        {32, 48, "The specified dynamic-link library was not found."},
        {1, base + 1,
         "An error occurred occurred whilst trying to open or print the selected file."},
        {4, base + 4,
         "An error occurred occurred whilst trying to open or print the selected file."},
        {25, base + 25,
         "An error occurred occurred whilst trying to open or print the selected file."},
    };
    for (const Row& row : rows) {
        FakeShell shell;
        shell.answer = row.code;
        HelperError record;
        EXPECT_FALSE(ShellEx(shell, "T", "f", 1, "", "", "open", 0, record)) << row.code;
        EXPECT_EQ(record.number, row.number) << row.code;
        EXPECT_EQ(record.description, row.message) << row.code;
    }
}

}  // namespace
}  // namespace murmurex::dialogs
