// The per-user registration: the component's own script, run through the per-user registry,
// writes its machine-wide layout under HKCU\Software\Classes and takes it away again.

#include <gtest/gtest.h>

#include "fake_registry_test.h"
#include "registration_scope.h"
#include "testing/test_files.h"

namespace resmelder {
namespace {

RegistrationScript ComponentScript() {
    const std::string text = test_support::ReadFileBytes(RESMELDER_RGS_PATH);
    auto parsed =
        ParseRegistrationScript(text, {{"MODULE", "C:\\Users\\Zo\u00eb\\Apps\\Resmelder.dll"}});
    EXPECT_TRUE(parsed.script.has_value()) << parsed.error;
    return parsed.script.value_or(RegistrationScript{});
}

// The machine-wide lines with their root and the per-user prefix put in front.
std::set<std::string> AsPerUser(const std::set<std::string>& machine) {
    std::set<std::string> out = {"1:Software", "1:Software\\Classes"};
    for (const std::string& line : machine) {
        EXPECT_EQ(line.rfind("0:", 0), 0u) << line;
        out.insert("1:Software\\Classes\\" + line.substr(2));
    }
    return out;
}

TEST(RegistrationScopeTest, PerUserWritesTheMachineLayoutUnderTheUsersClasses) {
    const RegistrationScript script = ComponentScript();
    FakeRegistry machine;
    ASSERT_TRUE(RunRegister(script, machine));
    FakeRegistry user;
    PerUserClassesRegistry perUser(user);
    ASSERT_TRUE(RunRegister(script, perUser));
    EXPECT_EQ(user.Dump(), AsPerUser(machine.Dump()));

    // Unregistering leaves only what others share: the classes key and the CLSID key.
    ASSERT_TRUE(RunUnregister(script, perUser));
    const std::set<std::string> shared = {"1:Software", "1:Software\\Classes",
                                          "1:Software\\Classes\\CLSID"};
    EXPECT_EQ(user.Dump(), shared);
}

TEST(RegistrationScopeTest, OnlyTheWordUserInAnyCaseAsksForPerUser) {
    for (const wchar_t* yes : {L"user", L"USER", L"User", L"uSeR"}) {
        EXPECT_TRUE(IsPerUserInstallCommand(yes)) << static_cast<int>(yes[0]);
    }
    // Near misses: spaces around it, other words, the empty line, a Cyrillic look-alike.
    for (const wchar_t* no : {L"", L" user", L"user ", L"users", L"use", L"machine", L"/user",
                              L"\u0446ser", L"\u0423SER"}) {
        EXPECT_FALSE(IsPerUserInstallCommand(no)) << std::wstring(no).size();
    }
}

}  // namespace
}  // namespace resmelder
