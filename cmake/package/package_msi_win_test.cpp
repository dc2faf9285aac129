// The per-user MSI through a user's life: installed silently, the program started from its
// Start-menu shortcut seeds its library, the user adds a phrase and a category, a newer MSI
// replaces the program and keeps them, an older one is refused, and the uninstall takes the
// program, shortcut and Run value while the user's files stay.

#include <windows.h>
// After windows.h, which they need.
#include <msi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com_ptr_win.h"
#include "program_test_support_win.h"
#include "win/process_test_support_win.h"

namespace {

namespace fs = std::filesystem;
using murmurex::program_test::kMessageClass;
using murmurex::program_test::ReadFileBytes;
using murmurex::program_test::TopWindows;
using murmurex::program_test::WaitFor;
using murmurex::program_test::WriteFileBytes;
using resmelder::com::ComPtr;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValueName[] = L"Murmurex";
constexpr int kInstallFailure = 1603;

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    const HRESULT found = ::SHGetKnownFolderPath(id, 0, nullptr, &raw);
    std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(raw, ::CoTaskMemFree);
    return SUCCEEDED(found) ? fs::path(raw) : fs::path();
}

fs::path InstallFolder() {
    return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Murmurex";
}

fs::path StartMenuShortcut() {
    return KnownFolder(FOLDERID_Programs) / L"Murmurex.lnk";
}

fs::path WindowsPath(const wchar_t* path) {
    return fs::path(path).make_preferred();
}

// msiexec with its log in a file; answers its exit code.
DWORD RunMsiexec(const std::wstring& arguments, const fs::path& log) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring commandLine =
        win::test::Quoted((fs::path(system) / L"msiexec.exe").wstring()) + L" " + arguments +
        L" /l*v " + win::test::Quoted(log.wstring());
    return static_cast<DWORD>(win::test::RunProcess(commandLine, {}, 180000));
}

// The installed products of the upgrade code, as Installed apps lists them.
std::vector<std::wstring> InstalledProducts() {
    std::vector<std::wstring> products;
    wchar_t code[39] = {};
    for (DWORD i = 0; ::MsiEnumRelatedProductsW(UPGRADE_CODE, 0, i, code) == ERROR_SUCCESS; ++i) {
        products.emplace_back(code);
    }
    return products;
}

// A property of the installed product ("VersionString", "ProductIcon"), as a wide name: the
// header spells the names in the build's character type.
std::wstring ProductInfo(const std::wstring& product, const wchar_t* property) {
    wchar_t value[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ::MsiGetProductInfoW(product.c_str(), property, value, &length);
    return value;
}

std::wstring ProductVersion(const std::wstring& product) {
    return ProductInfo(product, L"VersionString");
}

std::optional<std::wstring> RunValue() {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

struct Shortcut {
    fs::path target;
    fs::path workingFolder;
};

// What the shell reads from the .lnk file when the user clicks it.
std::optional<Shortcut> ReadShortcut(const fs::path& file) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> persist;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.PutVoid())) ||
        FAILED(link.As(IID_IPersistFile, persist)) ||
        FAILED(persist->Load(file.c_str(), STGM_READ))) {
        return std::nullopt;
    }
    wchar_t target[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    return Shortcut{target, folder};
}

bool SamePath(const fs::path& a, const fs::path& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class PackageMsi : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(WindowsPath(PACKAGE_MSI))) << "run package_contents first";
        ASSERT_TRUE(fs::exists(WindowsPath(NEWER_MSI))) << "run package_msi_newer first";
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        log_ = fs::temp_directory_path() / L"murmurex msi test.log";
        RemoveEveryTrace();
    }
    void TearDown() override {
        if (HasFailure()) {
            std::cout << "last msiexec log:\n" << ReadFileBytes(log_) << "\n";
        }
        RemoveEveryTrace();
        ::CoUninitialize();
    }

    // Leaves the account as before: every Murmurex product removed, and whatever survived
    // (the user's library, a Run value, the shortcut) deleted.
    void RemoveEveryTrace() {
        for (const std::wstring& product : InstalledProducts()) {
            RunMsiexec(L"/x " + product + L" /qn", log_);
        }
        std::error_code ignored;
        fs::remove_all(InstallFolder(), ignored);
        fs::remove(StartMenuShortcut(), ignored);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    }

    DWORD Msiexec(const std::wstring& arguments) { return RunMsiexec(arguments, log_); }

    // Starts the program as the shortcut does, waits until it has seeded its library and
    // shows its message window, then closes it as the other program tests do.
    void StartFromShortcutAndClose(const Shortcut& shortcut) {
        win::test::ProcessOptions fromShortcut;
        fromShortcut.folder = shortcut.workingFolder;
        const win::test::StartedProcess program =
            win::test::StartProcess(win::test::Quoted(shortcut.target.wstring()), fromShortcut);
        ASSERT_TRUE(program);
        const HANDLE process = program.process.get();
        std::vector<HWND> windows;
        const bool started = WaitFor(
            [&] { return !(windows = TopWindows(program.id, kMessageClass)).empty(); }, 20000);
        EXPECT_TRUE(started) << "the installed program showed no message window";
        if (started) {
            ::PostMessageW(windows[0], WM_CLOSE, 0, 0);
        }
        if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process, 99);
            ::WaitForSingleObject(process, 5000);
            ADD_FAILURE() << "the program did not end when closed";
        }
    }

    fs::path log_;
};

TEST_F(PackageMsi, InstallRunUpgradeRefuseAnOlderOneAndUninstallKeepingTheUsersFiles) {
    const fs::path folder = InstallFolder();
    const fs::path sample = folder / L"Sample library";
    const std::wstring package = L"\"" + WindowsPath(PACKAGE_MSI).wstring() + L"\"";
    const std::wstring newer = L"\"" + WindowsPath(NEWER_MSI).wstring() + L"\"";

    // Installed silently: the program, its pages and the sample copy; no library yet.
    ASSERT_EQ(Msiexec(L"/i " + package + L" /qn"), 0u);
    for (const wchar_t* name : {L"Messages.exe", L"Help.rtf", L"About.rtf", L"Sample library\\_._",
                                L"Sample library\\__.__", L"Sample library\\Lists\\Calm.lst"}) {
        EXPECT_TRUE(fs::is_regular_file(folder / name)) << fs::path(name).string();
    }
    EXPECT_FALSE(fs::exists(folder / L"Lists"));
    EXPECT_FALSE(fs::exists(folder / L"_._"));
    ASSERT_EQ(InstalledProducts().size(), 1u);
    EXPECT_EQ(ProductVersion(InstalledProducts()[0]), PACKAGE_VERSION);
    // Installed apps shows the program's icon, kept by the installer.
    const fs::path icon = ProductInfo(InstalledProducts()[0], L"ProductIcon");
    EXPECT_TRUE(fs::is_regular_file(icon)) << icon;
    EXPECT_EQ(RunValue(), L"\"" + (folder / L"Messages.exe").wstring() + L"\"");
    const std::optional<Shortcut> shortcut = ReadShortcut(StartMenuShortcut());
    ASSERT_TRUE(shortcut) << "no Start-menu shortcut";
    EXPECT_TRUE(SamePath(shortcut->target, folder / L"Messages.exe")) << shortcut->target;
    EXPECT_TRUE(SamePath(shortcut->workingFolder, folder) ||
                SamePath(shortcut->workingFolder, folder / L""))
        << shortcut->workingFolder;

    // The first start makes the user's library from the sample copy.
    StartFromShortcutAndClose(*shortcut);
    for (const wchar_t* name : {L"_._", L"__.__", L"Lists\\Calm.lst", L"Lists\\Sleep.lst"}) {
        EXPECT_EQ(ReadFileBytes(folder / name), ReadFileBytes(sample / name))
            << fs::path(name).string();
        EXPECT_FALSE(ReadFileBytes(folder / name).empty()) << fs::path(name).string();
    }

    // The user adds a phrase and a category, as the program writes them (code page 1252).
    const fs::path calm = folder / L"Lists" / L"Calm.lst";
    const fs::path own = folder / L"Lists" / L"Mes id\u00e9es \u00e0 moi.lst";
    WriteFileBytes(calm, ReadFileBytes(calm) + "\r\n1I keep my own pace, \xE0 mon rythme");
    WriteFileBytes(own, "1Une phrase \xE0 moi\r\n0Pas encore");
    const std::string calmBytes = ReadFileBytes(calm);
    const std::string ownBytes = ReadFileBytes(own);

    // The newer package replaces the older one and leaves the user's files as they are.
    ASSERT_EQ(Msiexec(L"/i " + newer + L" /qn"), 0u);
    ASSERT_EQ(InstalledProducts().size(), 1u) << "the older product was not removed";
    EXPECT_EQ(ProductVersion(InstalledProducts()[0]), NEWER_VERSION);
    EXPECT_TRUE(fs::is_regular_file(folder / L"Messages.exe"));
    EXPECT_TRUE(RunValue().has_value());
    EXPECT_EQ(ReadFileBytes(calm), calmBytes);
    EXPECT_EQ(ReadFileBytes(own), ownBytes);

    // Going back to the older package is refused, and the newer one stays.
    EXPECT_EQ(Msiexec(L"/i " + package + L" /qn"), static_cast<DWORD>(kInstallFailure));
    ASSERT_EQ(InstalledProducts().size(), 1u);
    EXPECT_EQ(ProductVersion(InstalledProducts()[0]), NEWER_VERSION);

    // Uninstalled as Installed apps does it: the program's own things go, the user's stay.
    ASSERT_EQ(Msiexec(L"/x " + InstalledProducts()[0] + L" /qn"), 0u);
    EXPECT_TRUE(InstalledProducts().empty());
    EXPECT_FALSE(fs::exists(folder / L"Messages.exe"));
    EXPECT_FALSE(fs::exists(folder / L"Help.rtf"));
    EXPECT_FALSE(fs::exists(sample));
    EXPECT_FALSE(fs::exists(StartMenuShortcut()));
    EXPECT_FALSE(RunValue().has_value());
    EXPECT_EQ(ReadFileBytes(calm), calmBytes);
    EXPECT_EQ(ReadFileBytes(own), ownBytes);
    EXPECT_TRUE(fs::is_regular_file(folder / L"_._"));
    EXPECT_TRUE(fs::is_regular_file(folder / L"__.__"));
}

TEST_F(PackageMsi, WithAutostartZeroNothingStartsAtSignIn) {
    const std::wstring package = L"\"" + WindowsPath(PACKAGE_MSI).wstring() + L"\"";
    ASSERT_EQ(Msiexec(L"/i " + package + L" /qn AUTOSTART=0"), 0u);
    EXPECT_TRUE(fs::is_regular_file(InstallFolder() / L"Messages.exe"));
    EXPECT_FALSE(RunValue().has_value());
    ASSERT_EQ(InstalledProducts().size(), 1u);
    EXPECT_TRUE(fs::exists(StartMenuShortcut()));
    EXPECT_EQ(Msiexec(L"/x " + InstalledProducts()[0] + L" /qn"), 0u);
    EXPECT_FALSE(fs::exists(InstallFolder() / L"Messages.exe"));
}

}  // namespace
