// controls-demo: the custom controls on one window. A tab strip, styled buttons (push and
// check, in the settings window's style) and a tray icon; every event they raise is written
// as one line to the file named after --log, so tests can follow what happened. Below them
// the gallery shows every button style in each state, and the icon drawing.
//
//     controls-demo.exe [--log FILE]
//
// Log lines: "Click <caption>", "MouseEnter <caption>", "MouseLeave <caption>",
// "ItemClick <tab>", "ItemMenuClick <tab>", "Tray <mouse message>", "Ready".

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "controls_demo_win_gallery.h"
#include "styled_button_win.h"
#include "tab_strip_win.h"
#include "tray_win.h"
#include "win/system_library.h"
#include "win/unique_handle.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

constexpr char kDemoClass[] = "MurmurexControlsDemo";
constexpr char kDemoTitle[] = "Murmurex controls demo";
constexpr int kExitId = 104;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

class EventLog {
  public:
    explicit EventLog(const std::string& path) {
        if (!path.empty()) {
            file_.reset(std::fopen(path.c_str(), "w"));
        }
    }
    void Write(const std::string& line) {
        if (file_) {
            std::fprintf(file_.get(), "%s\n", line.c_str());
            std::fflush(file_.get());
        }
    }

  private:
    std::unique_ptr<std::FILE, FileCloser> file_;
};

struct ButtonPlan {
    int id;
    RECT placement;
    const char* name;
    const char* caption;
    bool check;
    bool value;
    const char* toolTip;
};

// Three looks side by side: "Add" normal, "Ticked" pressed (a set check button); the one
// under the pointer shows hot.
constexpr ButtonPlan kButtons[] = {
    {101, {20, 60, 120, 90}, "cmdStart", "&Start", false, false, "Starts the display"},
    {102, {130, 60, 230, 90}, "cmdAdd", "Add", false, false, "Adds a category"},
    {103, {240, 60, 340, 90}, "chkTicked", "Ticked", true, true, ""},
    {kExitId, {350, 60, 450, 90}, "cmdExit", "E&xit", false, false, "Ends the demo"},
    {105, {20, 110, 120, 140}, "chkFont", "Edit Font", true, false, ""},
};

class Demo {
  public:
    explicit Demo(const std::string& logPath) : log_(logPath) {}

    bool Create() {
        win::WindowClassOptions demoClass;
        demoClass.icon = ::LoadIconA(nullptr, IDI_APPLICATION);
        demoClass.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        if (!win::RegisterWindowClass(kDemoClass, win::WindowProcedure<Demo, &Demo::HandleMessage>,
                                      demoClass)) {
            return false;
        }
        RECT frame{0, 0, std::max(460, gallery::kLeft + gallery::kWidth),
                   gallery::kTop + gallery::kHeight};
        const DWORD style =
            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
        ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
        window_.reset(::CreateWindowExA(WS_EX_CONTROLPARENT, kDemoClass, kDemoTitle, style, 40, 40,
                                        frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                        nullptr, ::GetModuleHandleA(nullptr), this));
        if (!window_) {
            return false;
        }
        AddTabStripAndTray();
        AddButtons();
        gallery_ = gallery::GalleryWindow::Create(window_.get());
        ::ShowWindow(window_.get(), SW_SHOW);
        ::UpdateWindow(window_.get());
        ::SetFocus(window_.get());
        log_.Write("Ready");
        return true;
    }

    int Run() {
        MSG message{};
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (TranslateButtonAccessKey(message)) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        return static_cast<int>(message.wParam);
    }

  private:
    void AddButtons() {
        const HWND window = window_.get();
        for (const ButtonPlan& plan : kButtons) {
            auto button = StyledButtonWindow::Create(window, plan.id, plan.placement, plan.name);
            if (!button) {
                continue;
            }
            StyledButton& b = button->Button();
            b.SetStyle(10);
            b.SetCaption(plan.caption);
            b.SetHostToolTipText(plan.toolTip);
            if (plan.check) {
                b.SetButtonType(1);
                b.SetValue(plan.value);
            }
            const std::string caption = plan.caption;
            const int id = plan.id;
            b.SetEvents({[this, caption, id] {
                             log_.Write("Click " + caption);
                             if (id == kExitId) {
                                 ::PostMessageA(window_.get(), WM_CLOSE, 0, 0);
                             }
                         },
                         [this, caption] { log_.Write("MouseEnter " + caption); },
                         [this, caption] { log_.Write("MouseLeave " + caption); }});
            buttons_.push_back(std::move(button));
        }
    }

    void AddTabStripAndTray() {
        const HWND window = window_.get();
        tabs_ = TabMenuWindow::Create(window, 0, 0, 458, 100);
        if (tabs_) {
            tabs_->Strip().ItemClick = [this] {
                log_.Write("ItemClick " + tabs_->Strip().ClickedItem);
            };
            tabs_->Strip().ItemMenuClick = [this] {
                log_.Write("ItemMenuClick " + tabs_->Strip().ClickedItem);
            };
            tabs_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), "Messages");
            tabs_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), "Settings");
            tabs_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Menu), "Help");
            tabs_->Strip().SetTabFocus(1);
        }
        trayIcon_ = TrayIcon::Create();
        trayOwner_ = std::make_unique<WindowTrayOwner>(window, kDemoTitle);
        trayOwner_->SetIcon(::LoadIconA(nullptr, IDI_APPLICATION));
        if (trayIcon_) {
            std::string tip = kDemoTitle;
            trayIcon_->Tray().ShowIcon(*trayOwner_, tip);
        }
    }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_MOUSEMOVE: {
                // The tray icon reports as a mouse move whose x is the mouse message;
                // the client area is narrower than either value.
                const int x = GET_X_LPARAM(lParam);
                if (x == WM_LBUTTONUP || x == WM_RBUTTONUP) {
                    log_.Write("Tray " + std::to_string(x));
                }
                return 0;
            }
            case WM_CLOSE:
                if (trayIcon_ && trayIcon_->Tray().bRunningInTray) {
                    trayIcon_->Tray().RemoveIcon(*trayOwner_);
                }
                // Children first, while their parent still exists.
                buttons_.clear();
                gallery_.reset();
                tabs_.reset();
                window_.reset();
                return 0;
            case WM_NCDESTROY:
                window_.release();
                ::PostQuitMessage(0);
                break;
            default:
                break;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    EventLog log_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<WindowTrayOwner> trayOwner_;
    win::UniqueWindow window_;
    std::unique_ptr<TabMenuWindow> tabs_;
    std::vector<std::unique_ptr<StyledButtonWindow>> buttons_;
    std::unique_ptr<gallery::GalleryWindow> gallery_;
};

std::string LogPathFrom(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--log") {
            return argv[i + 1];
        }
    }
    return {};
}

}  // namespace
}  // namespace murmurex

int main(int argc, char** argv) {
    // Before anything can load a library: none may come from the demo's own folder.
    win::RestrictLibrarySearchToSystem();
    murmurex::Demo demo(murmurex::LogPathFrom(argc, argv));
    if (!demo.Create()) {
        return 1;
    }
    return demo.Run();
}
