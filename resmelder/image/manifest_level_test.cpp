// The manifest's execution level edited in place: found by namespace under any prefix, every
// other byte kept, added where it is missing, and unsafe manifests refused.

#include <gtest/gtest.h>

#include "image/manifest_level.h"

namespace resmelder {
namespace {

const std::string kOpen =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <!-- the <trustInfo> below is the program's own -->\r\n";

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string Edit(const std::string& manifest, ExecutionRequest request, std::string* problem) {
    std::string why;
    const auto edited = SetExecutionLevel(Bytes(manifest), request, why);
    if (problem != nullptr) {
        *problem = why;
    }
    return edited ? std::string(edited->begin(), edited->end()) : std::string();
}

TEST(ManifestLevelTest, APrefixedLevelIsReplacedAndEveryOtherByteKept) {
    const std::string before =
        kOpen +
        "  <asmv3:trustInfo xmlns:asmv3='urn:schemas-microsoft-com:asm.v3'>\r\n"
        "    <asmv3:security><asmv3:requestedPrivileges>\r\n"
        "      <asmv3:requestedExecutionLevel level = 'asInvoker'\tuiAccess='false' />\r\n"
        "    </asmv3:requestedPrivileges></asmv3:security>\r\n"
        "  </asmv3:trustInfo>\r\n"
        "  <x:requestedExecutionLevel xmlns:x=\"urn:elsewhere\" level=\"decoy\"/>\r\n"
        "</assembly>\r\n";
    std::string expected = before;
    expected.replace(expected.find("'asInvoker'\tuiAccess='false'"), 28,
                     "'requireAdministrator'\tuiAccess='true'");
    EXPECT_EQ(Edit(before, {ExecutionLevel::kRequireAdministrator, true}, nullptr), expected);
}

TEST(ManifestLevelTest, TheMissingPartsAreAddedUnderThePrefixInUse) {
    // A trustInfo down to its security, in the older namespace under a prefix of its own.
    const std::string partial =
        kOpen +
        "  <ms_asmv2:trustInfo xmlns:ms_asmv2=\"urn:schemas-microsoft-com:asm.v2\">"
        "<ms_asmv2:security/></ms_asmv2:trustInfo>\r\n</assembly>";
    EXPECT_EQ(Edit(partial, {ExecutionLevel::kHighestAvailable, false}, nullptr),
              kOpen +
                  "  <ms_asmv2:trustInfo xmlns:ms_asmv2=\"urn:schemas-microsoft-com:asm.v2\">"
                  "<ms_asmv2:security><ms_asmv2:requestedPrivileges>"
                  "<ms_asmv2:requestedExecutionLevel level=\"highestAvailable\" "
                  "uiAccess=\"false\"/></ms_asmv2:requestedPrivileges></ms_asmv2:security>"
                  "</ms_asmv2:trustInfo>\r\n</assembly>");
    // No trustInfo: one on a line of its own before the assembly ends.
    const std::string none =
        kOpen + "  <assemblyIdentity name=\"A\" version=\"1.0.0.0\"/>\r\n</assembly>\r\n";
    EXPECT_EQ(Edit(none, {ExecutionLevel::kAsInvoker, false}, nullptr),
              kOpen +
                  "  <assemblyIdentity name=\"A\" version=\"1.0.0.0\"/>\r\n"
                  "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security>"
                  "<requestedPrivileges><requestedExecutionLevel level=\"asInvoker\" "
                  "uiAccess=\"false\"/></requestedPrivileges></security></trustInfo>\r\n"
                  "</assembly>\r\n");
    // What the edit left reads back as asked.
    const std::string edited = Edit(none, {ExecutionLevel::kRequireAdministrator, true}, nullptr);
    EXPECT_EQ(ReadExecutionLevel(Bytes(edited)).request,
              (ExecutionRequest{ExecutionLevel::kRequireAdministrator, true}));
}

TEST(ManifestLevelTest, ManifestsThatCannotBeEditedSafelyAreRefused) {
    const std::string trust = "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">";
    const std::string level = "<requestedExecutionLevel level=\"asInvoker\"/>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {kOpen + "<!DOCTYPE x [<!ENTITY e \"y\">]></assembly>", "a document type declaration"},
        {kOpen + "<a></b></assembly>", "end tag </b> does not match its start tag"},
        {kOpen + "<!-- never ends </assembly>", "an unterminated comment"},
        {kOpen + "<p:a/></assembly>", "prefix p is not declared"},
        {kOpen + "<a b=\"1\" b=\"2\"/></assembly>", "attribute b given twice"},
        {kOpen + "</assembly><second/>", "a second root element"},
        {kOpen + trust + level + level + "</trustInfo></assembly>",
         "it asks for an execution level more than once"},
        {"<assembly xmlns=\"urn:other\"/>", "its root element is not an assembly"},
        {"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\">\xFF</assembly>",
         "it is not UTF-8 text"},
        {"", "no root element"},
    };
    for (const auto& [manifest, problem] : cases) {
        std::string why;
        EXPECT_EQ(Edit(manifest, {}, &why), "") << manifest;
        EXPECT_EQ(why.substr(0, problem.size()), problem) << manifest;
    }
}

}  // namespace
}  // namespace resmelder
