// The registration script language and its register / unregister runs, against an in-memory
// registry; the component's own script is checked for the layout it writes.

#include <gtest/gtest.h>

#include <set>

#include "fake_registry_test.h"
#include "registration_script.h"
#include "testing/test_files.h"

namespace resmelder {
namespace {

constexpr const char* kClsidKey = "CLSID\\{83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}";

std::string ReadScript() {
    return test_support::ReadFileBytes(RESMELDER_RGS_PATH);
}

RegistrationScript Parse(std::string_view text, const std::string& module = "C:\\x.dll") {
    auto parsed = ParseRegistrationScript(text, {{"MODULE", module}});
    EXPECT_TRUE(parsed.script.has_value()) << parsed.error;
    return parsed.script.value_or(RegistrationScript{});
}

TEST(RegistrationScriptTest, ComponentScriptWritesExactlyItsLayout) {
    // An apostrophe in the path must not end the quoted value it is put into.
    const std::string module = "C:\\it's here\\Resmelder.dll";
    const auto script = Parse(ReadScript(), module);
    FakeRegistry registry;
    ASSERT_TRUE(RunRegister(script, registry));
    const std::string c = std::string("0:") + kClsidKey;
    const std::set<std::string> expected = {
        "0:ResBundle.ResBundle.1",
        "0:ResBundle.ResBundle.1 [] = ResBundle Class",
        "0:ResBundle.ResBundle.1\\CLSID",
        "0:ResBundle.ResBundle.1\\CLSID [] = {83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}",
        "0:ResBundle.ResBundle.1\\Insertable",
        "0:ResBundle.ResBundle",
        "0:ResBundle.ResBundle [] = ResBundle Class",
        "0:ResBundle.ResBundle\\CLSID",
        "0:ResBundle.ResBundle\\CLSID [] = {83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}",
        "0:ResBundle.ResBundle\\CurVer",
        "0:ResBundle.ResBundle\\CurVer [] = ResBundle.ResBundle.1",
        "0:CLSID",
        c,
        c + " [] = ResBundle Class",
        c + "\\ProgID",
        c + "\\ProgID [] = ResBundle.ResBundle.1",
        c + "\\VersionIndependentProgID",
        c + "\\VersionIndependentProgID [] = ResBundle.ResBundle",
        c + "\\Programmable",
        c + "\\InprocServer32",
        c + "\\InprocServer32 [] = " + module,
        c + "\\InprocServer32 [ThreadingModel] = Apartment",
        c + "\\Control",
        c + "\\Insertable",
        c + "\\ToolboxBitmap32",
        c + "\\ToolboxBitmap32 [] = " + module + ", 203",
        c + "\\MiscStatus",
        c + "\\MiscStatus [] = 0",
        c + "\\MiscStatus\\1",
        c + "\\MiscStatus\\1 [] = 132497",
        c + "\\TypeLib",
        c + "\\TypeLib [] = {0F62E527-C92F-4A6F-8B61-555C07F065C7}",
        c + "\\Version",
        c + "\\Version [] = 1.0",
    };
    EXPECT_EQ(registry.Dump(), expected);

    // Unregistering leaves only the shared CLSID key.
    ASSERT_TRUE(RunUnregister(script, registry));
    EXPECT_EQ(registry.Dump(), std::set<std::string>{"0:CLSID"});
}

TEST(RegistrationScriptTest, ForceRemoveReplacesAndRemovesWholeKeysOthersKeepForeignContent) {
    const auto script = Parse(R"(
        HKCU
        {
            NoRemove Shared
            {
                ForceRemove Owned = s 'mine'
                {
                    val Count = d 0x10
                }
                Plain = s 'plain'
                {
                    val Named = s 'it''s 100%%'
                }
                Delete Stale
            }
        })");
    FakeRegistry registry;
    registry.CreateKey(RegistryRoot::kCurrentUser, "Shared\\Owned\\Leftover");
    registry.CreateKey(RegistryRoot::kCurrentUser, "Shared\\Stale\\Deep");
    registry.CreateKey(RegistryRoot::kCurrentUser, "Shared\\Other");
    ASSERT_TRUE(RunRegister(script, registry));
    EXPECT_EQ(registry.Dump(), (std::set<std::string>{
                                   "1:Shared",
                                   "1:Shared\\Other",
                                   "1:Shared\\Owned",
                                   "1:Shared\\Owned [] = mine",
                                   "1:Shared\\Owned [Count] = 16",
                                   "1:Shared\\Plain",
                                   "1:Shared\\Plain [] = plain",
                                   "1:Shared\\Plain [Named] = it's 100%",
                               }));

    // Someone else's subkey keeps a plain key alive, but the script's own values go.
    registry.CreateKey(RegistryRoot::kCurrentUser, "Shared\\Plain\\Foreign");
    registry.CreateKey(RegistryRoot::kCurrentUser, "Shared\\Owned\\Foreign");
    ASSERT_TRUE(RunUnregister(script, registry));
    EXPECT_EQ(registry.Dump(), (std::set<std::string>{
                                   "1:Shared",
                                   "1:Shared\\Other",
                                   "1:Shared\\Plain",
                                   "1:Shared\\Plain\\Foreign",
                               }));
}

TEST(RegistrationScriptTest, RegisterStopsAtTheFirstFailure) {
    const auto script = Parse("HKLM { A = s 'a' { B } C }");
    FakeRegistry registry;
    registry.failAt = 2;  // the value of A
    EXPECT_FALSE(RunRegister(script, registry));
    EXPECT_EQ(registry.Dump(), std::set<std::string>{"2:A"});
}

TEST(RegistrationScriptTest, RejectsMalformedScriptsWithTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"HKCR { A = s '%PATH%' }", "line 1: unknown marker %PATH%"},
        {"HKCR {\n A = s 'open\n}", "line 2: unterminated quoted text"},
        {"HKCR {\n A {\n B\n", "line 4: expected '}'"},
        {"HKCR { 'A\\B' }", "line 1: a name must not be empty or contain '\\'"},
        {"HKCR { '' }", "line 1: a name must not be empty or contain '\\'"},
        {"HKCR { val X = s 'x' }", "line 1: a value needs a key"},
        {"HKCR { A = d 4294967296 }", "line 1: '4294967296' is not a 32-bit number"},
        {"HKCR { A = x 'y' }", "line 1: expected a value type (s or d)"},
        {"HKXX { }", "line 1: expected a root key (HKCR, HKCU, HKLM, HKU)"},
        {"HKCR { A = s '50%' }", "line 1: unterminated '%' marker"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseRegistrationScript(c.text, {{"MODULE", "m"}});
        EXPECT_FALSE(parsed.script.has_value()) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
}

}  // namespace
}  // namespace resmelder
