#pragma once
// What the tests and benchmarks that start the real Messages.exe share: its folder and its
// start, its files, its windows found from outside the process, real clicks and keys, and
// waiting for a condition while this thread keeps answering messages. For tests only.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "testing/stopwatch.h"
#include "testing/test_files.h"
#include "win/process_test_support_win.h"
#include "win/ui_test_support_win.h"

namespace murmurex::program_test {

namespace fs = std::filesystem;
using win::test::PumpMessages;

/// The program's window classes and the title of its message boxes, as seen from outside.
inline constexpr char kSettingsClass[] = "MurmurexSettingsWindow";
inline constexpr char kMessageClass[] = "MurmurexMessageWindow";
inline constexpr wchar_t kProgramTitle[] = L"Murmurex";

using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

/// Every file below `folder` with its bytes, to show that nothing was written.
inline std::map<fs::path, std::string> FilesIn(const fs::path& folder) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path()] = ReadFileBytes(entry.path());
        }
    }
    return files;
}

/// The name a test's own folder starts with: "murmurex <label> <test>", blanks and accents
/// kept (test_support::TestFolder adds what makes it unique).
inline fs::path ProgramFolderLabel(const std::wstring& label, const char* testName) {
    return fs::path(L"murmurex " + label + L" " + fs::path(testName).wstring());
}

/// Messages.exe beside this program when there is one (as installed), else `built`.
inline fs::path ProgramBesideThisOr(const fs::path& built) {
    const fs::path beside = win::test::ThisProgramFolder() / L"Messages.exe";
    return fs::exists(beside) ? beside : built;
}

/// Readies `folder` for the program to run from it: an empty Lists folder and a copy of
/// `program` as Messages.exe.
inline void InstallProgram(const fs::path& folder, const fs::path& program) {
    fs::create_directories(folder / L"Lists");
    fs::copy_file(program, folder / L"Messages.exe");
}

/// Starts the copy of Messages.exe in `folder` as a user does: by its path, from its folder.
inline win::test::StartedProcess StartProgram(const fs::path& folder,
                                              const std::wstring& arguments = {}) {
    std::wstring commandLine = win::test::Quoted((folder / L"Messages.exe").wstring());
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    win::test::ProcessOptions options;
    options.folder = folder;
    return win::test::StartProcess(commandLine, options);
}

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return lines;
        }
        start = end + 2;
    }
}

inline std::string ClassOf(HWND window) {
    char name[128] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

inline std::wstring TextOf(HWND window) {
    // WM_GETTEXT is copied across processes by the system.
    const auto length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

// The top-level windows of a process, of one class (any class when empty).
inline std::vector<HWND> TopWindows(DWORD processId, const std::string& className) {
    struct Search {
        DWORD process;
        std::string className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == wanted->process &&
                (wanted->className.empty() || ClassOf(window) == wanted->className)) {
                wanted->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first top-level window of a process of one class, or null.
inline HWND FindTopWindow(DWORD processId, const std::string& className) {
    const auto found = TopWindows(processId, className);
    return found.empty() ? nullptr : found.front();
}

// The visible child windows of `parent` (all levels) of one class, left to right, top down.
inline std::vector<HWND> VisibleChildren(HWND parent, const std::string& className) {
    struct Search {
        std::string className;
        std::vector<HWND> found;
    } search{className, {}};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            if (ClassOf(window) == wanted->className && ::IsWindowVisible(window)) {
                wanted->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return search.found;
}

// A visible dialog box of a process (a message box is one), titled `title` when one is given.
inline HWND FindShownDialog(DWORD processId, const std::wstring& title = {}) {
    for (HWND dialog : TopWindows(processId, "#32770")) {
        if (::IsWindowVisible(dialog) && (title.empty() || TextOf(dialog) == title)) {
            return dialog;
        }
    }
    return nullptr;
}

// What a dialog box says: the texts of its visible labels, one after another.
inline std::wstring DialogText(HWND dialog) {
    std::wstring all;
    for (HWND child : VisibleChildren(dialog, "Static")) {
        all += TextOf(child);
    }
    return all;
}

// The visible rich edit box among the window's children, or null. Its class name differs
// between the rich edit libraries and their versions, and class names ignore case.
inline HWND FindShownRichEdit(HWND parent) {
    HWND found = nullptr;
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            std::string name = ClassOf(window);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (name.rfind("richedit", 0) == 0 && ::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A static label of the window whose text starts with `prefix`, visible or not.
inline HWND FindLabel(HWND parent, const std::wstring& prefix) {
    struct Search {
        std::wstring prefix;
        HWND found = nullptr;
    } search{prefix, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            if (ClassOf(window) == "Static" && TextOf(window).rfind(wanted->prefix, 0) == 0) {
                wanted->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline POINT CentreOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

inline void Click(POINT at, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP) {
    win::test::SendMouse(MOUSEEVENTF_MOVE, at, 60);
    win::test::SendMouse(down, at, 30);
    win::test::SendMouse(up, at, 150);
}

inline void PressKey(WORD key) {
    win::test::SendKeyInput(key, false);
    win::test::SendKeyInput(key, true);
    PumpMessages(120);
}

// Polls `condition` every 20 ms for up to `milliseconds`.
template <typename Condition>
bool WaitFor(Condition condition, double milliseconds) {
    const double end = test_support::NowMs() + milliseconds;
    while (!condition()) {
        if (test_support::NowMs() >= end) {
            return false;
        }
        PumpMessages(20);
    }
    return true;
}

struct ListRow {
    std::wstring text;
    bool ticked = false;
    bool selected = false;
};

/// The first `limit` rows of a list view of another process, read through memory lent to it
/// (`process` needs VM operation, read and write access).
inline std::vector<ListRow> ListRows(HANDLE process, HWND list, int limit = INT_MAX) {
    std::vector<ListRow> rows;
    constexpr SIZE_T kBytes = sizeof(LVITEMW) + 512 * sizeof(wchar_t);
    void* remote =
        ::VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr) {
        return rows;
    }
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    const int count =
        std::min(limit, static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.cchTextMax = 512;
        item.pszText = remoteText;
        SIZE_T done = 0;
        ::WriteProcessMemory(process, remote, &item, sizeof item, &done);
        const auto length =
            ::SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        ::ReadProcessMemory(process, remoteText, text.data(), text.size() * sizeof(wchar_t), &done);
        const auto state = static_cast<UINT>(
            ::SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK | LVIS_SELECTED));
        rows.push_back(ListRow{text, (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2),
                               (state & LVIS_SELECTED) != 0});
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return rows;
}

}  // namespace murmurex::program_test
