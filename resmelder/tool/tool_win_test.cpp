// Under Windows (Wine here): the tool edits a real PE32+ program, and that program then finds
// every entry, old and new, through the loader, and still reads its own version resource.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/test_files.h"
#include "testing/test_folder.h"
#include "tool_test_support_win.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace {

using resmelder::tool_test::LoadForResources;
using resmelder::tool_test::ProbeProgram;
using resmelder::tool_test::ToolProgram;
using resmelder::tool_test::Utf8;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;
using win::test::Quoted;
using win::test::RunProcess;

TEST(ToolWinTest, EditedProgramFindsEveryEntryThroughTheLoader) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"probe.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    std::string big(70000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 13 % 256);
    }
    WriteFileBytes(dir + L"big.bin", big);
    WriteFileBytes(dir + L"text.bin", "added text");
    WriteFileBytes(dir + L"one.bin", "1");
    WriteFileBytes(dir + L"two.bin", "2");
    WriteFileBytes(dir + L"hello.bin", "hello from the probe");
    WriteFileBytes(dir + L"z.bin", "z");
    const std::wstring log = dir + L"log.txt";

    // Before editing the untouched program passes too.
    ASSERT_EQ(RunProcess(Quoted(probe) + L" HELLO " + Quoted(dir + L"hello.bin"), log), 0)
        << ReadFileBytes(log);

    const std::wstring tool = ToolProgram();
    const std::wstring edit = Quoted(tool) + L" edit " + Quoted(probe) +  //
                              L" --add-string TEXT \"added text\"" + L" --add-file BIG_DATA " +
                              Quoted(dir + L"big.bin") +
                              L" --add-string AAB 1 --add-string A_B 2" +  //
                              L" -o " + Quoted(probe);
    ASSERT_EQ(RunProcess(edit, log), 0) << ReadFileBytes(log);

    const std::wstring check = Quoted(probe) + L" HELLO " + Quoted(dir + L"hello.bin") + L" TEXT " +
                               Quoted(dir + L"text.bin") + L" BIG_DATA " +
                               Quoted(dir + L"big.bin") + L" AAB " + Quoted(dir + L"one.bin") +
                               L" A_B " + Quoted(dir + L"two.bin") + L" ZZ_LAST " +
                               Quoted(dir + L"z.bin");
    EXPECT_EQ(RunProcess(check, log), 0) << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);
}

// Names as the user types them (mixed case, accents, spaces): the edited program finds every
// entry through FindResourceA and FindResourceW, under the typed name in any case.
TEST(ToolWinTest, NamesAsTypedAreFoundByTheLoaderInAnyCase) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"probe_names.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    WriteFileBytes(dir + L"greeting.bin", "hello there");
    WriteFileBytes(dir + L"unicode.bin", "unicode text");
    WriteFileBytes(dir + L"menu.bin", "menu file");
    WriteFileBytes(dir + L"hello.bin", "hello from the probe");
    const std::wstring log = dir + L"names_log.txt";

    const std::wstring tool = ToolProgram();
    const std::wstring edit =
        Quoted(tool) + L" edit " + Quoted(probe) + L" --add-string Greeting \"hello there\"" +
        L" --add-string \u00DCn\u00EFcode \"unicode text\"" + L" --add-file \"caf\u00E9 menu\" " +
        Quoted(dir + L"menu.bin") + L" -o " + Quoted(probe);
    ASSERT_EQ(RunProcess(edit, log), 0) << ReadFileBytes(log);

    struct Expect {
        const wchar_t* name;
        const wchar_t* file;
    };
    const Expect expected[] = {
        {L"Greeting", L"greeting.bin"},
        {L"greeting", L"greeting.bin"},
        {L"GREETING", L"greeting.bin"},
        {L"\u00DCn\u00EFcode", L"unicode.bin"},
        {L"\u00FCN\u00CFCODE", L"unicode.bin"},
        {L"caf\u00E9 menu", L"menu.bin"},
        {L"CAF\u00C9 MENU", L"menu.bin"},
        {L"Caf\u00E9 Menu", L"menu.bin"},
        {L"hello", L"hello.bin"},
        {L"HELLO", L"hello.bin"},
    };
    std::string list;
    for (const Expect& e : expected) {
        list += Utf8(e.name) + "\t" + Utf8(dir + e.file) + "\n";
    }
    WriteFileBytes(dir + L"names.txt", list);
    EXPECT_EQ(RunProcess(Quoted(probe) + L" --list " + Quoted(dir + L"names.txt"), log), 0)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);

    // The tool finds them the same way.
    EXPECT_EQ(RunProcess(Quoted(tool) + L" extract " + Quoted(probe) + L" \"CAF\u00C9 MENU\" " +
                             Quoted(dir + L"menu_out.bin"),
                         log),
              0)
        << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(dir + L"menu_out.bin"), "menu file");
}

// A second edit in place of a file whose source another edit holds open (for reading, shared
// for reading, as a loaded image does): the share mode refuses the writer, so the second edit
// fails with the open messages and the file keeps its content; no edit is silently lost.
// The extract over the input is refused the same way through another spelling of its name.
TEST(ToolWinTest, SecondWriterOfAnOpenSourceIsRefused) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"held.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    const std::string before = ReadFileBytes(probe);
    const std::wstring log = dir + L"held_log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    {
        win::UniqueFile holder(::CreateFileW(probe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(RunProcess(tool + L" add-string " + Quoted(probe) + L" LATE x -o " +
                                 Quoted(probe) + L" --verbose",
                             log),
                  1);
        EXPECT_EQ(ReadFileBytes(log).rfind("resmelder: cannot open ", 0), 0u) << ReadFileBytes(log);
        EXPECT_NE(ReadFileBytes(log).find("Failed to open file (2)"), std::string::npos)
            << ReadFileBytes(log);
    }
    EXPECT_EQ(ReadFileBytes(probe), before);

    EXPECT_EQ(RunProcess(tool + L" extract " + Quoted(probe) + L" HELLO " +
                             Quoted(dir + L"HELD.EXE") + L" --verbose",
                         log),
              1);
    EXPECT_NE(ReadFileBytes(log).find("Output file is the input file"), std::string::npos)
        << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(probe), before);
}

std::string Bytes(HMODULE module, HRSRC found) {
    const void* data = ::LockResource(::LoadResource(module, found));
    return data ? std::string(static_cast<const char*>(data), ::SizeofResource(module, found))
                : std::string();
}

// The --type, --name and --lang edits are found by FindResourceW and FindResourceExW under
// the spellings a program uses, whatever case the user typed them in.
TEST(ToolWinTest, TypedResourcesAreFoundByTheLoaderInAnyCase) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"probe_types.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    WriteFileBytes(dir + L"data file.bin", "caf\xC3\xA9 data");
    WriteFileBytes(dir + L"seven.bin", "seven");
    const std::wstring log = dir + L"types_log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(
        RunProcess(tool + L" edit " + Quoted(probe) + L" --type \"My Type\" --lang 0x407" +
                       L" --add-file \"Caf\u00E9 Data\" " + Quoted(dir + L"data file.bin") +
                       L" --type bitmap --lang 0 --add-file #7 " + Quoted(dir + L"seven.bin") +
                       L" --type Html --add-string Page \"<p>\" -o " + Quoted(probe),
                   log),
        0)
        << ReadFileBytes(log);

    const win::UniqueLibrary module = LoadForResources(probe);
    ASSERT_NE(module.get(), nullptr) << ::GetLastError();
    for (const wchar_t* type : {L"My Type", L"my type", L"MY TYPE"}) {
        for (const wchar_t* name : {L"Caf\u00E9 Data", L"caf\u00E9 data", L"CAF\u00C9 DATA"}) {
            const HRSRC found = ::FindResourceW(module.get(), name, type);
            ASSERT_NE(found, nullptr) << Utf8(type) << " / " << Utf8(name);
            EXPECT_EQ(Bytes(module.get(), found), "caf\xC3\xA9 data");
            EXPECT_NE(::FindResourceExW(module.get(), type, name, 0x407), nullptr);
        }
    }
    const HRSRC seven = ::FindResourceW(module.get(), MAKEINTRESOURCEW(7), MAKEINTRESOURCEW(2));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(Bytes(module.get(), seven), "seven");
    EXPECT_NE(::FindResourceW(module.get(), L"#7", L"#2"), nullptr);
    const HRSRC page = ::FindResourceW(module.get(), L"page", MAKEINTRESOURCEW(23));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Bytes(module.get(), page), "<p>");
    EXPECT_EQ(::FindResourceW(module.get(), L"Caf\u00E9 Data", MAKEINTRESOURCEW(10)), nullptr)
        << "not an RCDATA entry";
    // The program's own entries are all still there.
    EXPECT_NE(::FindResourceW(module.get(), L"HELLO", MAKEINTRESOURCEW(10)), nullptr);
}

// An icon file with a 16 and a 32 pixel image of different colours, written as users' icon
// tools write it (depths left 0 in the directory).
std::string TwoSizeIcon(std::uint32_t small, std::uint32_t large) {
    std::string file(6 + 2 * 16, '\0');
    file[2] = 1;
    file[4] = 2;
    const auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            s[at + i] = static_cast<char>(v >> (8 * i));
        }
    };
    int index = 0;
    for (const auto& [side, colour] : {std::pair{16u, small}, std::pair{32u, large}}) {
        std::string dib(40 + side * side * 4 + side * 4, '\0');
        put32(dib, 0, 40);
        put32(dib, 4, side);
        put32(dib, 8, side * 2);
        dib[12] = 1;
        dib[14] = 32;
        for (std::uint32_t p = 0; p < side * side; ++p) {
            put32(dib, 40 + p * 4, colour);
        }
        const std::size_t entry = 6 + 16 * index++;
        file[entry] = static_cast<char>(side);
        file[entry + 1] = static_cast<char>(side);
        put32(file, entry + 8, static_cast<std::uint32_t>(dib.size()));
        put32(file, entry + 12, static_cast<std::uint32_t>(file.size()));
        file += dib;
    }
    return file;
}

struct IconLook {
    LONG width = 0;
    LONG height = 0;
    std::uint32_t centre = 0;  // 0x00RRGGBB
};

// What the platform made of the icon: its size and the colour of its centre pixel.
IconLook Look(HICON icon) {
    IconLook look;
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        return look;
    }
    win::UniqueBitmap colour(info.hbmColor);
    win::UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    ::GetObjectW(colour.get(), sizeof bitmap, &bitmap);
    look.width = bitmap.bmWidth;
    look.height = bitmap.bmHeight;
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = bitmap.bmWidth;
    request.bmiHeader.biHeight = -bitmap.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, colour.get(), 0, bitmap.bmHeight, pixels.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (!pixels.empty()) {
        look.centre =
            pixels[(bitmap.bmHeight / 2) * bitmap.bmWidth + bitmap.bmWidth / 2] & 0xFFFFFF;
    }
    return look;
}

// set-icon on a real program: the platform loads the new icon at each size, with its pixels,
// and the program still runs.
TEST(ToolWinTest, SetIconGivesAnIconThePlatformLoads) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"probe icon.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    WriteFileBytes(dir + L"App Ic\u00F4ne.ico", TwoSizeIcon(0xFF2080C0, 0xFF40C020));
    WriteFileBytes(dir + L"hello.bin", "hello from the probe");
    const std::wstring log = dir + L"icon_log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(RunProcess(tool + L" set-icon " + Quoted(probe) + L" " +
                             Quoted(dir + L"App Ic\u00F4ne.ico") + L" -o " + Quoted(probe),
                         log),
              0)
        << ReadFileBytes(log);
    {
        const win::UniqueLibrary module = LoadForResources(probe);
        ASSERT_NE(module.get(), nullptr) << ::GetLastError();
        win::UniqueIcon large(static_cast<HICON>(
            ::LoadImageW(module.get(), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0)));
        ASSERT_TRUE(large) << ::GetLastError();
        const IconLook big = Look(large.get());
        EXPECT_EQ(big.width, 32);
        EXPECT_EQ(big.height, 32);
        EXPECT_EQ(big.centre, 0x40C020u);
        win::UniqueIcon small(static_cast<HICON>(
            ::LoadImageW(module.get(), MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0)));
        ASSERT_TRUE(small) << ::GetLastError();
        const IconLook little = Look(small.get());
        EXPECT_EQ(little.width, 16);
        EXPECT_EQ(little.centre, 0x2080C0u);
    }
    EXPECT_EQ(RunProcess(Quoted(probe) + L" HELLO " + Quoted(dir + L"hello.bin"), log), 0)
        << ReadFileBytes(log);
}

// set-manifest: the loader accepts the new manifest (an activation context is made from
// it) and the program still starts.
TEST(ToolWinTest, SetManifestGivesAManifestTheLoaderAccepts) {
    const test_support::TestFolder folder("resmelder_wine");
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring probe = dir + L"probe_manifest.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), probe.c_str(), FALSE));
    WriteFileBytes(
        dir + L"new.manifest",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
        "  <assemblyIdentity type=\"win32\" name=\"Murmurex.Probe.Edited\" "
        "version=\"2.3.4.5\"/>\r\n"
        "  <dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
        "processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" "
        "language=\"*\"/></dependentAssembly></dependency>\r\n"
        "</assembly>\r\n");
    WriteFileBytes(dir + L"hello.bin", "hello from the probe");
    const std::wstring log = dir + L"manifest_log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(RunProcess(tool + L" set-manifest " + Quoted(probe) + L" " +
                             Quoted(dir + L"new.manifest") + L" -o " + Quoted(probe),
                         log),
              0)
        << ReadFileBytes(log);

    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = probe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << ::GetLastError();
    ::ReleaseActCtx(context);
    EXPECT_EQ(RunProcess(Quoted(probe) + L" HELLO " + Quoted(dir + L"hello.bin"), log), 0)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);

    // The check can fail: a manifest the loader cannot parse gives no activation context.
    WriteFileBytes(dir + L"broken.manifest",
                   "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\"");
    const std::wstring broken = dir + L"probe_broken.exe";
    ASSERT_EQ(RunProcess(tool + L" set-manifest " + Quoted(probe) + L" " +
                             Quoted(dir + L"broken.manifest") + L" -o " + Quoted(broken),
                         log),
              0)
        << ReadFileBytes(log);
    request.lpSource = broken.c_str();
    HANDLE refused = ::CreateActCtxW(&request);
    EXPECT_EQ(refused, INVALID_HANDLE_VALUE);
    if (refused != INVALID_HANDLE_VALUE) {
        ::ReleaseActCtx(refused);
    }
}

}  // namespace
