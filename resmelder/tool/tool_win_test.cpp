// Under Windows (Wine here): the tool edits a real PE32+ program, and that program then finds
// every entry, old and new, through the loader, and still reads its own version resource.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace {

std::wstring Here() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring TempDir() {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring d = std::wstring(dir) + L"resmelder_wine\\";
    ::CreateDirectoryW(d.c_str(), nullptr);
    return d;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs a command line and answers its exit status (-1 when it did not start).
int RunProcess(const std::wstring& commandLine, const std::wstring& outputFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::UniqueFile output(::CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output.get();
    si.hStdError = output.get();
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &si, &pi)) {
        return -1;
    }
    win::UniqueKernelHandle process(pi.hProcess);
    win::UniqueKernelHandle thread(pi.hThread);
    ::WaitForSingleObject(process.get(), 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring Q(const std::wstring& s) {
    return L"\"" + s + L"\"";
}

TEST(ToolWinTest, EditedProgramFindsEveryEntryThroughTheLoader) {
    const std::wstring dir = TempDir();
    const std::wstring probe = dir + L"probe.exe";
    ASSERT_TRUE(
        ::CopyFileW((Here() + L"..\\image\\testdata\\probe64.exe").c_str(), probe.c_str(), FALSE));
    std::string big(70000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 13 % 256);
    }
    WriteBytes(dir + L"big.bin", big);
    WriteBytes(dir + L"text.bin", "added text");
    WriteBytes(dir + L"one.bin", "1");
    WriteBytes(dir + L"two.bin", "2");
    WriteBytes(dir + L"hello.bin", "hello from the probe");
    WriteBytes(dir + L"z.bin", "z");
    const std::wstring log = dir + L"log.txt";

    // Before editing the untouched program passes too.
    ASSERT_EQ(RunProcess(Q(probe) + L" HELLO " + Q(dir + L"hello.bin"), log), 0) << ReadText(log);

    const std::wstring tool = Here() + L"resmelder.exe";
    const std::wstring edit = Q(tool) + L" edit " + Q(probe) +  //
                              L" --add-string TEXT \"added text\"" + L" --add-file BIG_DATA " +
                              Q(dir + L"big.bin") + L" --add-string AAB 1 --add-string A_B 2" +  //
                              L" -o " + Q(probe);
    ASSERT_EQ(RunProcess(edit, log), 0) << ReadText(log);

    const std::wstring check = Q(probe) + L" HELLO " + Q(dir + L"hello.bin") + L" TEXT " +
                               Q(dir + L"text.bin") + L" BIG_DATA " + Q(dir + L"big.bin") +
                               L" AAB " + Q(dir + L"one.bin") + L" A_B " + Q(dir + L"two.bin") +
                               L" ZZ_LAST " + Q(dir + L"z.bin");
    EXPECT_EQ(RunProcess(check, log), 0) << ReadText(log);
    EXPECT_NE(ReadText(log).find("resprobe: all found"), std::string::npos) << ReadText(log);
}

std::string Utf8(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

// Names as the user types them (mixed case, accents, spaces): the edited program finds every
// entry through FindResourceA and FindResourceW, under the typed name in any case.
TEST(ToolWinTest, NamesAsTypedAreFoundByTheLoaderInAnyCase) {
    const std::wstring dir = TempDir();
    const std::wstring probe = dir + L"probe_names.exe";
    ASSERT_TRUE(
        ::CopyFileW((Here() + L"..\\image\\testdata\\probe64.exe").c_str(), probe.c_str(), FALSE));
    WriteBytes(dir + L"greeting.bin", "hello there");
    WriteBytes(dir + L"unicode.bin", "unicode text");
    WriteBytes(dir + L"menu.bin", "menu file");
    WriteBytes(dir + L"hello.bin", "hello from the probe");
    const std::wstring log = dir + L"names_log.txt";

    const std::wstring tool = Here() + L"resmelder.exe";
    const std::wstring edit =
        Q(tool) + L" edit " + Q(probe) + L" --add-string Greeting \"hello there\"" +
        L" --add-string \u00DCn\u00EFcode \"unicode text\"" + L" --add-file \"caf\u00E9 menu\" " +
        Q(dir + L"menu.bin") + L" -o " + Q(probe);
    ASSERT_EQ(RunProcess(edit, log), 0) << ReadText(log);

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
    WriteBytes(dir + L"names.txt", list);
    EXPECT_EQ(RunProcess(Q(probe) + L" --list " + Q(dir + L"names.txt"), log), 0) << ReadText(log);
    EXPECT_NE(ReadText(log).find("resprobe: all found"), std::string::npos) << ReadText(log);

    // The tool finds them the same way.
    EXPECT_EQ(RunProcess(Q(tool) + L" extract " + Q(probe) + L" \"CAF\u00C9 MENU\" " +
                             Q(dir + L"menu_out.bin"),
                         log),
              0)
        << ReadText(log);
    EXPECT_EQ(ReadText(dir + L"menu_out.bin"), "menu file");
}

// A second edit in place of a file whose source another edit holds open (for reading, shared
// for reading, as a loaded image does): the share mode refuses the writer, so the second edit
// fails with the open messages and the file keeps its content; no edit is silently lost.
// The extract over the input is refused the same way through another spelling of its name.
TEST(ToolWinTest, SecondWriterOfAnOpenSourceIsRefused) {
    const std::wstring dir = TempDir();
    const std::wstring probe = dir + L"held.exe";
    ASSERT_TRUE(
        ::CopyFileW((Here() + L"..\\image\\testdata\\probe64.exe").c_str(), probe.c_str(), FALSE));
    const std::string before = ReadText(probe);
    const std::wstring log = dir + L"held_log.txt";
    const std::wstring tool = Q(Here() + L"resmelder.exe");
    {
        win::UniqueFile holder(::CreateFileW(probe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(RunProcess(tool + L" add-string " + Q(probe) + L" LATE x -o " + Q(probe), log),
                  1);
        EXPECT_NE(ReadText(log).find("Failed to open file (2)"), std::string::npos)
            << ReadText(log);
    }
    EXPECT_EQ(ReadText(probe), before);

    EXPECT_EQ(RunProcess(tool + L" extract " + Q(probe) + L" HELLO " + Q(dir + L"HELD.EXE"), log),
              1);
    EXPECT_NE(ReadText(log).find("Output file is the input file"), std::string::npos)
        << ReadText(log);
    EXPECT_EQ(ReadText(probe), before);
}

}  // namespace
