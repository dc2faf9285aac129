// The settings window itself: its creation, the controls at their design places, and the
// window procedure that hands each message to the control or handler it is for. The shell
// side (start-up steps, tray, pages) and the timing, colour and preview side live in their
// own files.
#include "frm_settings_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>
#include <utility>

#include "child_control_win.h"
#include "frm_settings_parts_win.h"
#include "resource_ids.h"
#include "settings_layout.h"
#include "shell_texts.h"
#include "win/dpi.h"
#include "win/window_procedure.h"

namespace murmurex {

namespace {

namespace texts = shell_texts;
using namespace settings_layout;
using namespace settings_window;

constexpr COLORREF kBlue = RGB(0x36, 0x6A, 0xB3);  // &H00B36A36
constexpr COLORREF kWhite = RGB(255, 255, 255);
// STimer1, the watchdog.
constexpr UINT_PTR kWatchdogTimer = 1;
constexpr UINT kWatchdogMs = 1000;
// Both wheels start at 1 at design time, like their labels.
constexpr std::int16_t kWheelDesignValue = 1;

// One of the program's icons at the size of small icons, as the notification area shows them.
win::UniqueIcon LoadProgramIcon(int id) {
    return win::UniqueIcon(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
}

}  // namespace

void ProcessPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// ---- creation -----------------------------------------------------------------------------

std::unique_ptr<frmSettings> frmSettings::Create(HINSTANCE instance, const std::string& commandLine,
                                                 const std::filesystem::path& appPath) {
    auto form = std::make_unique<frmSettings>(Key{}, appPath);
    if (!form->CreateWindowOnScreen(instance)) {
        return nullptr;
    }
    form->PrepareHiddenStart();
    form->shell_.Form_Load(commandLine);
    ::SetTimer(form->hWnd(), kWatchdogTimer, kWatchdogMs, nullptr);
    return form;
}

frmSettings::frmSettings(Key, std::filesystem::path appPath)
    : appPath_(std::move(appPath)), settings_(appPath_, *this, [](std::uint32_t index) {
          // The system colours the platform knows; anything else has no colour.
          return ::GetSysColorBrush(static_cast<int>(index)) != nullptr
                     ? std::optional<std::uint32_t>(::GetSysColor(static_cast<int>(index)))
                     : std::nullopt;
      }) {}

frmSettings::~frmSettings() {
    if (hWnd() != nullptr) {
        ::KillTimer(hWnd(), kWatchdogTimer);
    }
    // Destroyed while every member is still whole: the controls' notifications of the teardown
    // reach a complete object, and the controls' wrappers find their windows already gone.
    DestroyOwnedWindow();
}

bool frmSettings::CreateWindowOnScreen(HINSTANCE instance) {
    background_.reset(::CreateSolidBrush(kBlue));
    win::WindowClassOptions options;
    options.background = background_.get();
    options.instance = instance;
    if (!win::RegisterWindowClass(kSettingsWindowClass, &win::WindowProcedure<frmSettings>,
                                  options)) {
        return false;
    }
    // Centred on the screen the first time it shows, at the DPI of the monitor there.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    dpiX_ = dpiY_ =
        win::DpiAtPoint(POINT{(work.left + work.right) / 2, (work.top + work.bottom) / 2});
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    const RECT outer = win::OuterRectForDpi(
        RECT{0, 0, PixelsX(kClientWidth), PixelsY(kClientHeight)}, style, exStyle, dpiY_);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;
    if (::CreateWindowExA(exStyle, kSettingsWindowClass, texts::kCaption, style, left, top, width,
                          height, nullptr, nullptr, instance, this) == nullptr) {
        return false;
    }
    // The window's own answer decides, where the system gives one per window.
    const int dpi = win::DpiForWindow(hWnd());
    if (dpi != dpiY_) {
        dpiX_ = dpiY_ = dpi;
        const RECT resized = win::OuterRectForDpi(
            RECT{0, 0, PixelsX(kClientWidth), PixelsY(kClientHeight)}, style, exStyle, dpi);
        ::SetWindowPos(hWnd(), nullptr, 0, 0, resized.right - resized.left,
                       resized.bottom - resized.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

int frmSettings::PixelsX(int twips) const noexcept {
    return TwipsToPixels(twips, dpiX_);
}
int frmSettings::PixelsY(int twips) const noexcept {
    return TwipsToPixels(twips, dpiY_);
}
RECT frmSettings::Pixels(TwipsRect twips) const noexcept {
    const PixelPlace place = PlaceInPixels(twips, dpiX_, dpiY_);
    return RECT{place.left, place.top, place.right, place.bottom};
}

HWND frmSettings::MakeStatic(int id, TwipsRect twips, const char* text, DWORD style) {
    const RECT at = Pixels(twips);
    const std::wstring wide = WideFromUtf8(text);
    HWND control =
        CreateChildControl(hWnd(), id, at, L"STATIC", WS_VISIBLE | style, 0, wide.c_str());
    if (control != nullptr && labelFont_) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
    }
    return control;
}

HWND frmSettings::MakeEditBox(int id, TwipsRect twips, const char* tip) {
    const RECT at = Pixels(twips);
    HWND edit = CreateChildControl(hWnd(), id, at, L"EDIT",
                                   WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
    AddTip(edit, tip);
    return edit;
}

std::unique_ptr<StyledButtonWindow> frmSettings::MakeButton(int id, TwipsRect twips,
                                                            const char* name, const char* caption,
                                                            std::function<void()> click) {
    auto button = StyledButtonWindow::Create(hWnd(), id, Pixels(twips), name);
    if (button) {
        button->Button().SetStyle(10);
        button->Button().SetCaption(caption);
        button->Button().SetEvents({std::move(click), {}, {}});
    }
    return button;
}

void frmSettings::AddTip(HWND control, const char* tip) {
    if (!toolTip_ || control == nullptr) {
        return;
    }
    std::wstring text = WideFromUtf8(tip);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hWnd();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text.data();
    ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// What the start-up needs while the window stays hidden: the fonts, the values the lists,
// wheels and colour picker hold, the tray menu, the library's editing and the icons.
void frmSettings::PrepareHiddenStart() {
    MakeDesignFonts();
    CreatePageModels();
    CreateTrayMenu();
    MakeLibraryEditor();
    runningIcon_ = LoadProgramIcon(IDI_RUNNING);
    stoppedIcon_ = LoadProgramIcon(IDI_STOPPED);
}

void frmSettings::CreatePageModels() {
    lstMessageCategories_ = std::make_unique<CheckListView>();
    lstMessageCategories_->Click = [this] { lstMessageCategories_Click(); };
    lstMessageCategories_->ItemCheck = [this](int) { lstMessageCategories_ItemCheck(); };
    lstPhrases_ = std::make_unique<CheckListView>();
    lstPhrases_->ItemCheck = [this](int) { lstPhrases_ItemCheck(); };
    bvlWHEEL1_ =
        std::make_unique<WheelControl>(kDurationMinimum, kDurationMaximum, kWheelDesignValue);
    bvlWHEEL1_->Change = [this](int value) { bvlWHEEL1_Change(value); };
    bvlWHEEL2_ =
        std::make_unique<WheelControl>(kFrequencyMinimum, kFrequencyMaximum, kWheelDesignValue);
    bvlWHEEL2_->Change = [this](int value) { bvlWHEEL2_Change(value); };
    ColorPicker1_ = std::make_unique<ColourPicker>();
    ColorPicker1_->Change = [this](std::uint32_t colour) { ColorPicker1_Change(colour); };
}

// The controls in their design order, which is also the order of the Tab key, made the first
// time the window shows. They show what the start-up left in the lists, wheels and colour.
void frmSettings::BuildControls() {
    if (controlsBuilt_) {
        return;
    }
    controlsBuilt_ = true;
    // The common controls' classes are wanted first here: the hidden start makes none.
    INITCOMMONCONTROLSEX common{sizeof common, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                   ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);
    GiveWindowItsIcon();
    CreateToolTip();
    CreateLabelsAndLists();
    CreateEditBoxes();
    CreateButtons();
    CreateTimingAndFontFrames();
    CreateStopButton();
    WireEditing();
    if (tabStripWanted_) {
        CreateTabStrip();
    }
}

void frmSettings::CreateToolTip() {
    toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(), nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr));
    if (toolTip_) {
        ::SendMessageW(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
    }
}

void frmSettings::CreateLabelsAndLists() {
    // Picture2, the page background, and the two frames are painted by the window itself:
    // sibling windows under the controls would paint over them.
    pageBackground_ = Pixels(kPicture2);
    Label1_ = MakeStatic(kLabel1Id, kLabel1, texts::kLabel1, SS_LEFT);
    Label2_ = MakeStatic(kLabel2Id, kLabel2, texts::kLabel2, SS_LEFT);
    lblVersion_ = MakeStatic(kVersionId, kVersion, versionText_.c_str(), SS_CENTER);
    ::ShowWindow(lblVersion_, SW_HIDE);

    const HWND window = hWnd();
    lstMessageCategories_->CreateWindowIn(window, kCategoriesId, Pixels(kCategories));
    lstPhrases_->CreateWindowIn(window, kPhrasesId, Pixels(kPhrases));
    for (const auto* list : {lstMessageCategories_.get(), lstPhrases_.get()}) {
        if (list->hWnd() != nullptr) {
            ::SendMessageW(list->hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()),
                           FALSE);
        }
    }
    AddTip(lstMessageCategories_->hWnd(), texts::kTipCategories);
    AddTip(lstPhrases_->hWnd(), texts::kTipPhrases);
}

void frmSettings::CreateEditBoxes() {
    txtEditCat_ = MakeEditBox(kEditCatId, kEditCat, texts::kTipEditCat);
    txtEditWord_ = MakeEditBox(kEditWordId, kEditWord, texts::kTipEditWord);
}

// The editing buttons get their handlers when the editing is wired.
void frmSettings::CreateButtons() {
    cmdAddCat_ = MakeButton(kAddCatId, kAddCat, "cmdAddCat", texts::kAdd, {});
    cmdEditCat_ = MakeButton(kEditCatButtonId, kEditCatButton, "cmdEditCat", texts::kEdit, {});
    cmdDeleteCat_ = MakeButton(kDeleteCatId, kDeleteCat, "cmdDeleteCat", texts::kDelete, {});
    cmdAdd_ = MakeButton(kAddId, kAdd, "cmdAdd", texts::kAdd, {});
    cmdEdit_ = MakeButton(kEditId, kEdit, "cmdEdit", texts::kEdit, {});
    cmdDelete_ = MakeButton(kDeleteId, kDelete, "cmdDelete", texts::kDelete, {});
    cmdStart_ = MakeButton(kStartId, kStart, "cmdStart", texts::kStart,
                           [this] { shell_.cmdStart_Click(); });
    cmdClose_ =
        MakeButton(kCloseId, kClose, "cmdClose", texts::kExit, [this] { shell_.cmdClose_Click(); });
}

// The frames' contents; they come after the page's other controls, so they sit above their
// frame.
void frmSettings::CreateTimingAndFontFrames() {
    const HWND window = hWnd();
    const auto duration = static_cast<std::int16_t>(bvlWHEEL1_->Value());
    const auto frequency = static_cast<std::int16_t>(bvlWHEEL2_->Value());
    lblDuration_ =
        MakeStatic(kDurationLabelId, kDurationLabel, DurationCaption(duration).c_str(), SS_CENTER);
    lblFrequency_ = MakeStatic(kFrequencyLabelId, kFrequencyLabel,
                               FrequencyCaption(frequency).c_str(), SS_CENTER);
    bvlWHEEL1_->CreateWindowIn(window, kDurationWheelId, Pixels(kDurationWheel));
    bvlWHEEL2_->CreateWindowIn(window, kFrequencyWheelId, Pixels(kFrequencyWheel));
    cmdEditFont_ = MakeButton(kEditFontId, kEditFont, "cmdEditFont", texts::kEditFont,
                              [this] { cmdEditFont_Click(); });
    ColorPicker1_->CreateWindowIn(window, kColourPickerId, Pixels(kColourPicker));
    AddTip(ColorPicker1_->hWnd(), texts::kTipColour);
    Picture1_ = MakeStatic(kPicture1Id, kPicture1, "", SS_OWNERDRAW | SS_NOTIFY);
    AddTip(Picture1_, texts::kTipPreview);
}

void frmSettings::CreateStopButton() {
    // cmdStop: a plain button at the bottom edge, practically out of sight.
    const RECT at = Pixels(kStop);
    const std::wstring text = WideFromUtf8(texts::kStop);
    cmdStop_ = CreateChildControl(hWnd(), kStopId, at, L"BUTTON",
                                  WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, text.c_str());
    AddTip(cmdStop_, texts::kTipStop);
}

// The rich edit box and its library are made the first time a page needs them, hidden, at the
// place the start-up gives it, and in the design's order right after the Stop button.
void frmSettings::CreateHelpBox() {
    if (rtfHelp_) {
        return;
    }
    rtfHelp_ = RichTextBox::Create(hWnd(), kHelpBoxId, Pixels(kHelpBox));
    if (rtfHelp_ && cmdStop_ != nullptr) {
        ::SetWindowPos(rtfHelp_->hWnd(), cmdStop_, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    PlaceHelpBox();
}

// ---- window procedure ---------------------------------------------------------------------

LRESULT frmSettings::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            // The tray icon's notifications: the mouse message over the icon in X.
            shell_.TrayNotification(GET_X_LPARAM(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kWatchdogTimer) {
                shell_.STimer1_Timer();
            }
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_HSCROLL:
            OnScroll(reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_DRAWITEM:
            if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SIZE:
            Form_Resize();
            break;
        case WM_DPICHANGED:
            // Moved to a monitor of another DPI: the suggested place comes with it.
            if (lParam != 0) {
                OnDpiChanged(LOWORD(wParam), HIWORD(wParam),
                             *reinterpret_cast<const RECT*>(lParam));
            }
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CLOSE:
            // Closing the window by other means ends the program without a question.
            Unload();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                Unload();
            }
            return 0;
        default:
            break;
    }
    return win::DefaultWindowProcedure(window, message, wParam, lParam);
}

void frmSettings::OnNotify(const NMHDR& header) {
    if (lstMessageCategories_ && header.hwndFrom == lstMessageCategories_->hWnd()) {
        lstMessageCategories_->OnNotify(header);
    } else if (lstPhrases_ && header.hwndFrom == lstPhrases_->hWnd()) {
        lstPhrases_->OnNotify(header);
    }
}

void frmSettings::OnScroll(HWND from) {
    if (bvlWHEEL1_ && from == bvlWHEEL1_->hWnd()) {
        bvlWHEEL1_->OnScroll();
    } else if (bvlWHEEL2_ && from == bvlWHEEL2_->hWnd()) {
        bvlWHEEL2_->OnScroll();
    }
}

bool frmSettings::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (ColorPicker1_ && item.hwndItem == ColorPicker1_->hWnd()) {
        ColorPicker1_->Draw(item);
        return true;
    }
    if (item.hwndItem == Picture1_) {
        DrawPreview(item);
        return true;
    }
    return false;
}

LRESULT frmSettings::OnColourStatic(HDC dc, HWND control) {
    (void)control;
    ::SetTextColor(dc, kWhite);
    ::SetBkColor(dc, kBlue);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(background_.get());
}

void frmSettings::OnCommand(int id, int code) {
    switch (id) {
        case kStopId:
            if (code == BN_CLICKED) {
                shell_.cmdStop_Click();
            }
            break;
        case kColourPickerId:
            if (code == BN_CLICKED && ColorPicker1_) {
                ColorPicker1_->OnClick();
            }
            break;
        default:
            break;
    }
}

void frmSettings::Form_Resize() {
    // The page background reaches the bottom whatever the window's height.
    RECT outer{};
    ::GetWindowRect(hWnd(), &outer);
    pageBackground_.bottom = pageBackground_.top + (outer.bottom - outer.top);
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

void frmSettings::Paint() {
    win::PaintGuard paint(hWnd());
    const HDC dc = paint.dc();
    ::FillRect(dc, &pageBackground_, background_.get());
    if (!messagePageVisible_) {
        return;
    }
    win::SelectGuard font(dc, frameFont_.get());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SetTextColor(dc, kWhite);
    ::SetBkColor(dc, kBlue);
    ::SetBkMode(dc, OPAQUE);
    for (const auto& [twips, caption] :
         {std::pair{kFrameTimes, texts::kFrameTimes}, std::pair{kFrameFont, texts::kFrameFont}}) {
        RECT frame = Pixels(twips);
        RECT edge = frame;
        edge.top += metrics.tmHeight / 2;
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        const std::wstring text = WideFromUtf8(caption);
        ::TextOutW(dc, frame.left + PixelsX(120), frame.top, text.c_str(),
                   static_cast<int>(text.size()));
    }
}

// ---- ending --------------------------------------------------------------------------------

void frmSettings::Unload() {
    if (ended_) {
        return;
    }
    ended_ = true;
    ::KillTimer(hWnd(), kWatchdogTimer);
    messageWindow_.reset();
    if (tray_ && trayOwner_) {
        // The icon goes first: a program that ended must not leave it behind.
        tray_->Tray().RemoveIcon(*trayOwner_);
    }
    tray_.reset();
    ::PostQuitMessage(0);
}

}  // namespace murmurex
