#include "plain_controls_window_win.h"

#include <commctrl.h>

#include <array>
#include <future>
#include <string>
#include <thread>

#include "win/unique_handle.h"
#include "win/window_procedure.h"

namespace bench {
namespace {

constexpr char kPlainClass[] = "MurmurexBenchPlainControls";
// A copied list's rows are made one by one where the list is not virtual: a bound on them.
constexpr LRESULT kMostRows = 10000;

// The system's own classes, which are copied as they are.
constexpr std::array<const char*, 14> kNativeClasses{"Static",          "Edit",
                                                     "Button",          "ComboBox",
                                                     "ListBox",         "ScrollBar",
                                                     "SysListView32",   "SysTabControl32",
                                                     "SysHeader32",     "msctls_trackbar32",
                                                     "msctls_updown32", "msctls_progress32",
                                                     "RichEdit20W",     "RICHEDIT50W"};

bool IsNative(const char* className) {
    for (const char* native : kNativeClasses) {
        if (::lstrcmpiA(className, native) == 0) {
            return true;
        }
    }
    return false;
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

// Owner drawing would hand the drawing to this window, which draws nothing: the copy draws
// as the system draws.
DWORD NativeStyle(const std::string& className, DWORD style) {
    if (::lstrcmpiA(className.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_OWNERDRAW) {
        return (style & ~SS_TYPEMASK) | SS_LEFT;
    }
    if (::lstrcmpiA(className.c_str(), "Button") == 0 && (style & BS_TYPEMASK) == BS_OWNERDRAW) {
        return (style & ~BS_TYPEMASK) | BS_PUSHBUTTON;
    }
    if (::lstrcmpiA(className.c_str(), "SysListView32") == 0) {
        return style & ~LVS_OWNERDRAWFIXED;
    }
    return style;
}

// A control of the program's own class: a button where its name says so, a static otherwise.
std::string NearestNativeClass(const std::string& className) {
    return className.find("Button") != std::string::npos ? "Button" : "Static";
}

RECT RectInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring CaptionOf(HWND window) {
    std::array<wchar_t, 512> text{};
    ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

void CopyListContents(HWND original, HWND copy) {
    ::SendMessageW(copy, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   ::SendMessageW(original, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    const auto header = reinterpret_cast<HWND>(::SendMessageW(original, LVM_GETHEADER, 0, 0));
    const LRESULT columns = header ? ::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    for (LRESULT column = 0; column < columns && column < 64; ++column) {
        LVCOLUMNW format{};
        format.mask = LVCF_WIDTH | LVCF_TEXT;
        format.cx = static_cast<int>(::SendMessageW(original, LVM_GETCOLUMNWIDTH, column, 0));
        format.pszText = const_cast<wchar_t*>(L"Column");
        ::SendMessageW(copy, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&format));
    }
    const LRESULT rows = std::min(::SendMessageW(original, LVM_GETITEMCOUNT, 0, 0), kMostRows);
    if ((::GetWindowLongW(copy, GWL_STYLE) & LVS_OWNERDATA) != 0) {
        ::SendMessageW(copy, LVM_SETITEMCOUNT, rows, 0);
        return;
    }
    for (LRESULT row = 0; row < rows; ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<wchar_t*>(L"A row of the list");
        ::SendMessageW(copy, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void CopyTrackbarPosition(HWND original, HWND copy) {
    const LRESULT low = ::SendMessageW(original, TBM_GETRANGEMIN, 0, 0);
    const LRESULT high = ::SendMessageW(original, TBM_GETRANGEMAX, 0, 0);
    ::SendMessageW(copy, TBM_SETRANGEMIN, FALSE, low);
    ::SendMessageW(copy, TBM_SETRANGEMAX, FALSE, high);
    const LRESULT ticks = ::SendMessageW(original, TBM_GETNUMTICS, 0, 0);
    if (ticks > 2) {
        ::SendMessageW(copy, TBM_SETTICFREQ, (high - low) / (ticks - 1), 0);
    }
    ::SendMessageW(copy, TBM_SETPOS, TRUE, ::SendMessageW(original, TBM_GETPOS, 0, 0));
}

// The native control's state that shows: a list's columns and rows, a wheel's range and place.
void CopyContents(const std::string& className, HWND original, HWND copy) {
    if (::lstrcmpiA(className.c_str(), "SysListView32") == 0) {
        CopyListContents(original, copy);
    } else if (::lstrcmpiA(className.c_str(), "msctls_trackbar32") == 0) {
        CopyTrackbarPosition(original, copy);
    }
}

HWND CopyControl(HWND original, HWND parent) {
    const std::string className = ClassOf(original);
    const bool native = IsNative(className.c_str());
    const auto style = static_cast<DWORD>(::GetWindowLongW(original, GWL_STYLE));
    const DWORD kept = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_BORDER | WS_CLIPCHILDREN |
                       WS_CLIPSIBLINGS | WS_TABSTOP;
    const std::string copyClass = native ? className : NearestNativeClass(className);
    const DWORD copyStyle = native ? NativeStyle(className, style) : (style & kept);
    const auto exStyle = static_cast<DWORD>(::GetWindowLongW(original, GWL_EXSTYLE));
    const RECT at = RectInParent(original);
    const std::wstring wideClass(copyClass.begin(), copyClass.end());
    HWND copy = ::CreateWindowExW(
        native ? exStyle : 0, wideClass.c_str(), CaptionOf(original).c_str(), copyStyle, at.left,
        at.top, at.right - at.left, at.bottom - at.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(original))), nullptr, nullptr);
    if (copy == nullptr) {
        return nullptr;
    }
    ::SendMessageW(copy, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   FALSE);
    CopyContents(className, original, copy);
    return copy;
}

// Bottom of the z-order first, so each copy comes above the ones made before it, as there.
// A native control makes its own parts (a list's header); a program's own control has its
// children copied into its copy.
void CopyChildren(HWND original, HWND copy) {
    for (HWND child = ::GetWindow(::GetWindow(original, GW_CHILD), GW_HWNDLAST); child != nullptr;
         child = ::GetWindow(child, GW_HWNDPREV)) {
        HWND childCopy = CopyControl(child, copy);
        if (childCopy != nullptr && !IsNative(ClassOf(child).c_str())) {
            CopyChildren(child, childCopy);
        }
    }
}

void AnswerRowText(const NMLVDISPINFOW& request) {
    if ((request.item.mask & LVIF_TEXT) != 0 && request.item.pszText != nullptr &&
        request.item.cchTextMax > 0) {
        ::lstrcpynW(request.item.pszText, L"A row of the list", request.item.cchTextMax);
    }
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_GETDISPINFOW) {
            AnswerRowText(*reinterpret_cast<const NMLVDISPINFOW*>(lParam));
            return 0;
        }
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CopyTopWindow(HWND original) {
    win::WindowClassOptions options;
    options.background = ::GetSysColorBrush(COLOR_BTNFACE);
    if (!win::RegisterWindowClass(kPlainClass, PlainProcedure, options)) {
        return nullptr;
    }
    RECT frame{};
    ::GetWindowRect(original, &frame);
    const auto style = static_cast<DWORD>(::GetWindowLongW(original, GWL_STYLE)) & ~WS_VISIBLE;
    const auto exStyle = static_cast<DWORD>(::GetWindowLongW(original, GWL_EXSTYLE)) &
                         ~(WS_EX_LAYERED | WS_EX_TOPMOST);
    HWND copy = ::CreateWindowExA(exStyle, kPlainClass, "Plain controls", style, frame.left,
                                  frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (copy != nullptr) {
        CopyChildren(original, copy);
        ::ShowWindow(copy, SW_SHOW);
        ::UpdateWindow(copy);
    }
    return copy;
}

}  // namespace

struct PlainControlsWindow::Thread {
    // The rich edit classes, where the original holds one; loaded while the copy lives.
    win::UniqueLibrary richEdit{
        ::LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)};
    win::UniqueLibrary oldRichEdit{
        ::LoadLibraryExW(L"riched20.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)};
    std::thread worker;
};

PlainControlsWindow::PlainControlsWindow(Key) {}

std::unique_ptr<PlainControlsWindow> PlainControlsWindow::CopyOf(HWND original) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    auto self = std::make_unique<PlainControlsWindow>(Key{});
    std::promise<HWND> made;
    std::future<HWND> window = made.get_future();
    self->thread_ = std::make_unique<Thread>();
    self->thread_->worker = std::thread([original, &made] {
        HWND copy = CopyTopWindow(original);
        made.set_value(copy);
        if (copy == nullptr) {
            return;
        }
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    });
    self->window_ = window.get();
    return self->window_ != nullptr ? std::move(self) : nullptr;
}

PlainControlsWindow::~PlainControlsWindow() {
    if (window_ != nullptr) {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    if (thread_ && thread_->worker.joinable()) {
        thread_->worker.join();
    }
}

int PlainControlsWindow::ChildCount() const {
    int count = 0;
    ::EnumChildWindows(
        window_,
        [](HWND, LPARAM data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace bench
