#include "frm_settings_win.h"

#include "child_control_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <string>
#include <utility>

#include "app_version_win.h"
#include "phrase_library.h"
#include "portable/round_half_even.h"
#include "resource_ids.h"
#include "settings_layout.h"
#include "shell_texts.h"
#include "start_up.h"
#include "win/window_procedure.h"

namespace murmurex {

namespace {

namespace texts = shell_texts;

constexpr COLORREF kBlue = RGB(0x36, 0x6A, 0xB3);  // &H00B36A36
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT_PTR kWatchdogTimer = 1;
constexpr UINT kWatchdogMs = 1000;

enum ControlId : int {
    kTabMenuId = 100,
    kVersionId,
    kLabel1Id,
    kLabel2Id,
    kCategoriesId,
    kPhrasesId,
    kEditCatId,
    kEditWordId,
    kAddCatId,
    kEditCatButtonId,
    kDeleteCatId,
    kAddId,
    kEditId,
    kDeleteId,
    kDurationLabelId,
    kFrequencyLabelId,
    kWheel1Id,
    kWheel2Id,
    kEditFontId,
    kColourPickerId,
    kPicture1Id,
    kStartId,
    kStopId,
    kCloseId,
    kHelpBoxId,
};

enum MenuId : UINT {
    kMenuSettings = 1,
    kMenuStart,
    kMenuStop,
    kMenuExit,
};

using namespace settings_layout;

// A font of `points` on the screen, as the labels of the design use.
win::UniqueFont PointFont(const LabelFont& font) {
    const auto screen = win::GetWindowDcOwned(nullptr);
    const int dpiY = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    LOGFONTW logFont{};
    logFont.lfHeight =
        -static_cast<LONG>(std::lround(font.Size * static_cast<float>(dpiY) / 72.0f));
    logFont.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = font.Italic ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = DEFAULT_QUALITY;
    const std::wstring name = WideFromAnsi(font.Name);
    lstrcpynW(logFont.lfFaceName, name.c_str(), LF_FACESIZE);
    return win::UniqueFont(::CreateFontIndirectW(&logFont));
}

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
    INITCOMMONCONTROLSEX common{sizeof common, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                   ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&common);

    auto form = std::make_unique<frmSettings>(Key{}, appPath);
    form->background_.reset(::CreateSolidBrush(kBlue));
    win::WindowClassOptions options;
    options.background = form->background_.get();
    options.instance = instance;
    if (!win::RegisterWindowClass(kSettingsWindowClass, &win::WindowProcedure<frmSettings>,
                                  options)) {
        return nullptr;
    }

    {
        const auto screen = win::GetWindowDcOwned(nullptr);
        form->twipsPerPixelX_ =
            1440.0f / static_cast<float>(::GetDeviceCaps(screen.get(), LOGPIXELSX));
        form->twipsPerPixelY_ =
            1440.0f / static_cast<float>(::GetDeviceCaps(screen.get(), LOGPIXELSY));
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT outer{0, 0, form->PixelsX(kClientWidth), form->PixelsY(kClientHeight)};
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    // Centred on the screen the first time it shows.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + ((work.right - work.left) - width) / 2;
    const int top = work.top + ((work.bottom - work.top) - height) / 2;
    HWND window = ::CreateWindowExA(exStyle, kSettingsWindowClass, texts::kCaption, style, left,
                                    top, width, height, nullptr, nullptr, instance, form.get());
    if (window == nullptr) {
        return nullptr;
    }
    form->CreateControls();
    form->shell_.Form_Load(commandLine);
    ::SetTimer(window, kWatchdogTimer, kWatchdogMs, nullptr);
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
    if (window_) {
        ::KillTimer(window_.get(), kWatchdogTimer);
    }
}

int frmSettings::PixelsX(int twips) const noexcept {
    return RoundHalfEven(static_cast<double>(twips) / twipsPerPixelX_);
}
int frmSettings::PixelsY(int twips) const noexcept {
    return RoundHalfEven(static_cast<double>(twips) / twipsPerPixelY_);
}
RECT frmSettings::Pixels(TwipsRect twips) const noexcept {
    return RECT{PixelsX(twips.left), PixelsY(twips.top), PixelsX(twips.right),
                PixelsY(twips.bottom)};
}

HWND frmSettings::MakeStatic(int id, TwipsRect twips, const char* text, DWORD style) {
    const RECT at = Pixels(twips);
    const std::wstring wide = WideFromAnsi(text);
    HWND control =
        CreateChildControl(window_.get(), id, at, L"STATIC", WS_VISIBLE | style, 0, wide.c_str());
    if (control != nullptr && labelFont_) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
    }
    return control;
}

void frmSettings::AddTip(HWND control, const char* tip) {
    if (!toolTip_ || control == nullptr) {
        return;
    }
    std::wstring text = WideFromAnsi(tip);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = window_.get();
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text.data();
    ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

bool frmSettings::CreateControls() {
    const HWND window = window_.get();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    labelFont_ = PointFont(LabelFont{"Arial", 9.75f, false, false});
    frameFont_ = PointFont(LabelFont{"Arial", 9.75f, true, false});
    MakePreviewFont();

    toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                     instance, nullptr));
    if (toolTip_) {
        ::SendMessageW(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
    }

    // Picture2, the page background, and the two frames are painted by the window itself:
    // sibling windows under the controls would paint over them.
    picture2_ = Pixels(kPicture2);
    label1_ = MakeStatic(kLabel1Id, kLabel1, texts::kLabel1, SS_LEFT);
    label2_ = MakeStatic(kLabel2Id, kLabel2, texts::kLabel2, SS_LEFT);
    lblVersion_ = MakeStatic(kVersionId, kVersion, "", SS_CENTER);
    ::ShowWindow(lblVersion_, SW_HIDE);

    lstMessageCategories_ = CheckListView::Create(window, kCategoriesId, Pixels(kCategories));
    lstPhrases_ = CheckListView::Create(window, kPhrasesId, Pixels(kPhrases));
    if (lstMessageCategories_) {
        lstMessageCategories_->Click = [this] { lstMessageCategories_Click(); };
        lstMessageCategories_->ItemCheck = [this](int) { lstMessageCategories_ItemCheck(); };
        AddTip(lstMessageCategories_->hWnd(), texts::kTipCategories);
    }
    if (lstPhrases_) {
        lstPhrases_->ItemCheck = [this](int) { lstPhrases_ItemCheck(); };
        AddTip(lstPhrases_->hWnd(), texts::kTipPhrases);
    }

    const auto makeEdit = [&](int id, TwipsRect twips, const char* tip) {
        const RECT at = Pixels(twips);
        HWND edit = CreateChildControl(window, id, at, L"EDIT",
                                       WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
        ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
        AddTip(edit, tip);
        return edit;
    };
    txtEditCat_ = makeEdit(kEditCatId, kEditCat, texts::kTipEditCat);
    txtEditWord_ = makeEdit(kEditWordId, kEditWord, texts::kTipEditWord);

    // Styled buttons; their editing handlers come with the editing work.
    const auto makeButton = [&](int id, TwipsRect twips, const char* name, const char* caption,
                                std::function<void()> click) {
        auto button = StyledButtonWindow::Create(window, id, Pixels(twips), name);
        if (button) {
            button->Button().SetStyle(10);
            button->Button().SetCaption(caption);
            button->Button().SetEvents({std::move(click), {}, {}});
        }
        return button;
    };
    cmdAddCat_ = makeButton(kAddCatId, kAddCat, "cmdAddCat", texts::kAdd, {});
    cmdEditCat_ = makeButton(kEditCatButtonId, kEditCatButton, "cmdEditCat", texts::kEdit, {});
    cmdDeleteCat_ = makeButton(kDeleteCatId, kDeleteCat, "cmdDeleteCat", texts::kDelete, {});
    cmdAdd_ = makeButton(kAddId, kAdd, "cmdAdd", texts::kAdd, {});
    cmdEdit_ = makeButton(kEditId, kEdit, "cmdEdit", texts::kEdit, {});
    cmdDelete_ = makeButton(kDeleteId, kDelete, "cmdDelete", texts::kDelete, {});
    cmdStart_ = makeButton(kStartId, kStart, "cmdStart", texts::kStart,
                           [this] { shell_.cmdStart_Click(); });
    cmdClose_ =
        makeButton(kCloseId, kClose, "cmdClose", texts::kExit, [this] { shell_.cmdClose_Click(); });

    // The frames' contents first, so they sit above their frame.
    lblDuration_ = MakeStatic(kDurationLabelId, kDuration, "Duration: 1 Millisecond(s)", SS_CENTER);
    lblFrequency_ = MakeStatic(kFrequencyLabelId, kFrequency, "Frequency: 1 Second(s)", SS_CENTER);
    bvlWHEEL1_ = WheelControl::Create(window, kWheel1Id, Pixels(kWheel1), 1, 1000, 1);
    bvlWHEEL2_ = WheelControl::Create(window, kWheel2Id, Pixels(kWheel2), 1, 30, 1);
    if (bvlWHEEL1_) {
        bvlWHEEL1_->Change = [this](int value) { bvlWHEEL1_Change(value); };
    }
    if (bvlWHEEL2_) {
        bvlWHEEL2_->Change = [this](int value) { bvlWHEEL2_Change(value); };
    }
    cmdEditFont_ = makeButton(kEditFontId, kEditFont, "cmdEditFont", texts::kEditFont,
                              [this] { cmdEditFont_Click(); });
    ColorPicker1_ = ColourPicker::Create(window, kColourPickerId, Pixels(kColourPicker));
    if (ColorPicker1_) {
        ColorPicker1_->Change = [this](std::uint32_t colour) { ColorPicker1_Change(colour); };
        AddTip(ColorPicker1_->hWnd(), texts::kTipColour);
    }
    picture1_ = MakeStatic(kPicture1Id, kPicture1, "", SS_OWNERDRAW | SS_NOTIFY);
    AddTip(picture1_, texts::kTipPreview);

    // cmdStop: a plain button at the bottom edge, practically out of sight.
    {
        const RECT at = Pixels(kStop);
        const std::wstring text = WideFromAnsi(texts::kStop);
        cmdStop_ = CreateChildControl(window, kStopId, at, L"BUTTON",
                                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, text.c_str());
        AddTip(cmdStop_, texts::kTipStop);
    }

    rtfHelp_ = RichTextBox::Create(window, kHelpBoxId, Pixels(kHelpBox));

    // The tray menu: a hidden top item whose items form the pop-up.
    menuBar_.reset(::CreateMenu());
    mnuPopUp_ = ::CreatePopupMenu();
    if (menuBar_ && mnuPopUp_ != nullptr) {
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuSettings,
                      WideFromAnsi(texts::kMenuSettings).c_str());
        ::AppendMenuW(mnuPopUp_, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuStart, WideFromAnsi(texts::kMenuStart).c_str());
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuStop, WideFromAnsi(texts::kMenuStop).c_str());
        ::AppendMenuW(mnuPopUp_, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuExit, WideFromAnsi(texts::kMenuExit).c_str());
        ::AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mnuPopUp_),
                      WideFromAnsi(texts::kMenuPopUp).c_str());
    }

    WireEditing();
    runningIcon_ = LoadProgramIcon(IDI_RUNNING);
    stoppedIcon_ = LoadProgramIcon(IDI_STOPPED);
    return true;
}

// ---- window procedure ---------------------------------------------------------------------

LRESULT frmSettings::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            window_.reset(window);
            break;
        case WM_NCDESTROY:
            // The system destroys the window itself; the handle only has to be forgotten.
            (void)window_.release();
            break;
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
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (lstMessageCategories_ && header->hwndFrom == lstMessageCategories_->hWnd()) {
                lstMessageCategories_->OnNotify(*header);
            } else if (lstPhrases_ && header->hwndFrom == lstPhrases_->hWnd()) {
                lstPhrases_->OnNotify(*header);
            }
            break;
        }
        case WM_HSCROLL: {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (bvlWHEEL1_ && from == bvlWHEEL1_->hWnd()) {
                bvlWHEEL1_->OnScroll();
            } else if (bvlWHEEL2_ && from == bvlWHEEL2_->hWnd()) {
                bvlWHEEL2_->OnScroll();
            }
            return 0;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (ColorPicker1_ && item->hwndItem == ColorPicker1_->hWnd()) {
                ColorPicker1_->Draw(*item);
                return TRUE;
            }
            if (item->hwndItem == picture1_) {
                DrawPreview(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SIZE:
            Form_Resize();
            break;
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
    ::GetWindowRect(window_.get(), &outer);
    picture2_.bottom = picture2_.top + (outer.bottom - outer.top);
    ::InvalidateRect(window_.get(), nullptr, TRUE);
}

void frmSettings::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window_.get(), &paint);
    ::FillRect(dc, &picture2_, background_.get());
    if (messagePageVisible_) {
        HGDIOBJ old = ::SelectObject(dc, frameFont_.get());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        ::SetTextColor(dc, kWhite);
        ::SetBkColor(dc, kBlue);
        ::SetBkMode(dc, OPAQUE);
        for (const auto& [twips, caption] : {std::pair{kFrameTimes, texts::kFrameTimes},
                                             std::pair{kFrameFont, texts::kFrameFont}}) {
            RECT frame = Pixels(twips);
            RECT edge = frame;
            edge.top += metrics.tmHeight / 2;
            ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
            const std::wstring text = WideFromAnsi(caption);
            ::TextOutW(dc, frame.left + PixelsX(120), frame.top, text.c_str(),
                       static_cast<int>(text.size()));
        }
        ::SelectObject(dc, old);
    }
    ::EndPaint(window_.get(), &paint);
}

void frmSettings::MakePreviewFont() {
    previewHFont_ = PointFont(previewFont_);
}

void frmSettings::DrawPreview(const DRAWITEMSTRUCT& item) {
    // Shape1 white, Shape2 black, and the preview text straddling both.
    RECT white{0, 0, PixelsX(kShape1Width), item.rcItem.bottom};
    RECT black{PixelsX(kShape2Left), 0, item.rcItem.right, item.rcItem.bottom};
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FillRect(item.hDC, &white, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FillRect(item.hDC, &black, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT text = Pixels(kPreviewLabel);
    const std::wstring caption = WideFromAnsi(texts::kPreview);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, previewColour_ & 0x00FFFFFFu);
    HGDIOBJ old = ::SelectObject(item.hDC, previewHFont_ ? previewHFont_.get() : labelFont_.get());
    ::DrawTextW(item.hDC, caption.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(item.hDC, old);
}

// ---- lists ---------------------------------------------------------------------------------

void frmSettings::lstMessageCategories_Click() {
    if (editor_) {
        editor_->lstMessageCategories_Click();
    }
}

void frmSettings::lstMessageCategories_ItemCheck() {
    if (editor_) {
        editor_->lstMessageCategories_ItemCheck();
    }
}

void frmSettings::lstPhrases_ItemCheck() {
    if (editor_) {
        editor_->lstPhrases_ItemCheck();
    }
}

// ---- timing and colour ---------------------------------------------------------------------

void frmSettings::bvlWHEEL1_Change(int value) {
    const auto n = static_cast<std::int16_t>(value);
    const std::wstring caption = L"Duration: " + std::to_wstring(n) + L" Millisecond(s)";
    ::SetWindowTextW(lblDuration_, caption.c_str());
    if (messageWindow_) {
        messageWindow_->TimerDisplayLength.SetInterval(static_cast<std::uint32_t>(n));
    }
    settings_.DurationChanged(n);
}

void frmSettings::bvlWHEEL2_Change(int value) {
    const auto n = static_cast<std::int16_t>(value);
    const std::wstring caption = L"Frequency: " + std::to_wstring(n) + L" Second(s)";
    ::SetWindowTextW(lblFrequency_, caption.c_str());
    if (messageWindow_) {
        messageWindow_->TimerFrequency.SetInterval(static_cast<std::uint32_t>(n));
    }
    settings_.FrequencyChanged(n);
}

void frmSettings::ColorPicker1_Change(std::uint32_t colour) {
    // Pure white is the message window's transparency key: the nearest colour stands in.
    if (colour == kTransparencyKey) {
        ColorPicker1_->SetValue(kNearestToWhite);  // raises this handler again
        return;
    }
    previewColour_ = colour;
    if (messageWindow_) {
        messageWindow_->lblMessage.SetForeColor(colour);
    }
    ::InvalidateRect(picture1_, nullptr, FALSE);
    settings_.ColourChanged(colour);
}

// ---- ShellView: start-up -------------------------------------------------------------------

bool frmSettings::SetVersionLabel() {
    const std::optional<AppVersion> version = ReadOwnVersion();
    if (!version) {
        return false;
    }
    ::SetWindowTextA(lblVersion_, VersionText(*version).c_str());
    return true;
}

bool frmSettings::ReplacePendingDataFile() {
    return ApplyPendingDataFile(appPath_) != DataReplacement::Failed;
}

bool frmSettings::BuildTabStrip() {
    tabMenu_ = TabMenuWindow::Create(window_.get(), 0, 0, PixelsX(kClientWidth), kTabMenuId);
    if (!tabMenu_) {
        return false;
    }
    tabMenu_->Strip().ItemClick = [this] {
        shell_.TabMenu_ItemClick(tabMenu_->Strip().ClickedItem);
    };
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabMessages);
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabHelp);
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabAbout);
    tabMenu_->Strip().SetTabFocus(1);
    return true;
}

bool frmSettings::CreateTray() {
    tray_ = TrayIcon::Create();
    trayOwner_ = std::make_unique<WindowTrayOwner>(window_.get());
    return tray_ != nullptr;
}

bool frmSettings::ShowTrayIcon(const std::string& tip) {
    if (!tray_ || !trayOwner_) {
        return false;
    }
    trayOwner_->SetTag(tip);
    std::string empty;
    tray_->Tray().ShowIcon(*trayOwner_, empty);
    return true;
}

bool frmSettings::FillCategoryList() {
    if (!lstMessageCategories_) {
        return false;
    }
    FillComboWithFiles(lstMessageCategories_->Model(), appPath_, "Lists", "lst");
    lstMessageCategories_->Refresh();
    return true;
}

bool frmSettings::RestoreCategoryTicks() {
    if (!lstMessageCategories_) {
        return false;
    }
    LoadCategorySelection(lstMessageCategories_->Model(), appPath_);
    lstMessageCategories_->Refresh();
    return true;
}

bool frmSettings::SelectFirstCategory() {
    if (!lstMessageCategories_ || lstMessageCategories_->Model().IsEmpty()) {
        return false;
    }
    lstMessageCategories_->Model().SetListIndex(0);
    lstMessageCategories_->Refresh();
    return true;
}

bool frmSettings::SizeHelpBox() {
    if (!rtfHelp_) {
        return false;
    }
    ::ShowWindow(rtfHelp_->hWnd(), SW_HIDE);
    RECT outer{};
    ::GetWindowRect(window_.get(), &outer);
    const int width = outer.right - outer.left - PixelsX(450);
    const int height = outer.bottom - outer.top - PixelsY(1700);
    ::SetWindowPos(rtfHelp_->hWnd(), nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool frmSettings::LoadPhrasesOfSelectedCategory() {
    lstMessageCategories_Click();
    return true;
}

bool frmSettings::CreateMessageWindow() {
    messageWindow_ = frmMessage::Create(::GetModuleHandleW(nullptr));
    if (!messageWindow_) {
        return false;
    }
    messageWindow_->SetSettingsVisibility(this);
    return true;
}

bool frmSettings::ApplySettingsFile() {
    settings_.LoadSettings();
    return true;
}

// ---- SettingsControls ----------------------------------------------------------------------

bool frmSettings::SetPreviewFontName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    LabelFont font = previewFont_;
    font.Name = name;
    win::UniqueFont made = PointFont(font);
    if (!made) {
        return false;
    }
    previewFont_ = font;
    previewHFont_ = std::move(made);
    ::InvalidateRect(picture1_, nullptr, FALSE);
    return true;
}

bool frmSettings::SetPreviewFontSize(std::int32_t points) {
    if (points <= 0 || points > kLargestFontPoints) {
        return false;
    }
    previewFont_.Size = static_cast<float>(points);
    MakePreviewFont();
    return true;
}

void frmSettings::SetPreviewBold(bool bold) {
    previewFont_.Bold = bold;
    MakePreviewFont();
}

void frmSettings::SetPreviewItalic(bool italic) {
    previewFont_.Italic = italic;
    MakePreviewFont();
}

void frmSettings::SetPreviewColour(std::uint32_t colour) {
    previewColour_ = colour;
    ::InvalidateRect(picture1_, nullptr, FALSE);
}

void frmSettings::SetPickerColour(std::uint32_t colour) {
    if (ColorPicker1_) {
        ColorPicker1_->SetValue(colour);
    }
}

void frmSettings::SetMessageColour(std::uint32_t colour) {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetForeColor(colour);
    }
}

void frmSettings::SetDurationWheel(std::int32_t milliseconds) {
    if (bvlWHEEL1_) {
        bvlWHEEL1_->SetValue(milliseconds);
    }
}

void frmSettings::SetDisplayLengthInterval(std::int32_t milliseconds) {
    if (messageWindow_) {
        messageWindow_->TimerDisplayLength.SetInterval(static_cast<std::uint32_t>(milliseconds));
    }
}

void frmSettings::SetFrequencyWheel(std::int32_t seconds) {
    if (bvlWHEEL2_) {
        bvlWHEEL2_->SetValue(seconds);
    }
}

void frmSettings::SetFrequencyInterval(std::int32_t seconds) {
    if (messageWindow_) {
        messageWindow_->TimerFrequency.SetInterval(static_cast<std::uint32_t>(seconds));
    }
}

void frmSettings::ShowFirstRunHint() {
    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());
    ProcessPendingMessages();
    const std::wstring title = WideFromAnsi(texts::kAppTitle);
    ::MessageBoxW(window_.get(), WideFromAnsi(texts::kFirstRunHint).c_str(), title.c_str(),
                  MB_OK | MB_ICONINFORMATION);
}

// ---- ShellView: message window -------------------------------------------------------------

void frmSettings::SetMessagePaused(bool paused) {
    if (messageWindow_) {
        messageWindow_->Paused() = paused;
    }
}

void frmSettings::RebuildPhrasePool() {
    if (messageWindow_) {
        messageWindow_->Phrases() = BuildPhrasePool(appPath_);
    }
}

void frmSettings::GiveMessageThePreviewFont() {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetFont(previewFont_);
    }
}

void frmSettings::ShowMessageWindow() {
    if (messageWindow_) {
        messageWindow_->Show();
    }
}

void frmSettings::SetMessageWindowVisible(bool visible) {
    if (messageWindow_) {
        messageWindow_->SetVisible(visible);
    }
}

bool frmSettings::MessageWindowVisible() const {
    return messageWindow_ && messageWindow_->Visible();
}

void frmSettings::HideMessageLabel() {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetVisible(false);
    }
}

void frmSettings::BeginMessages() {
    if (messageWindow_) {
        messageWindow_->Begin();
    }
}

bool frmSettings::MessageTimerEnabled() const {
    return messageWindow_ && (messageWindow_->TimerDisplayLength.Enabled() ||
                              messageWindow_->TimerFrequency.Enabled());
}

// ---- ShellView: settings window and tray ---------------------------------------------------

void frmSettings::SetSettingsVisible(bool visible) {
    ::ShowWindow(window_.get(), visible ? SW_SHOW : SW_HIDE);
}

bool frmSettings::SettingsVisible() const {
    return ::IsWindowVisible(window_.get()) != FALSE;
}

void frmSettings::BringSettingsToFront() {
    ::SetWindowPos(window_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(window_.get());
    ::SetFocus(window_.get());
}

void frmSettings::SetWindowIcon(ShellIcon icon) {
    currentIcon_ = icon == ShellIcon::Running ? runningIcon_.get() : stoppedIcon_.get();
    ::SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(currentIcon_));
    ::SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(currentIcon_));
    if (trayOwner_) {
        trayOwner_->SetIcon(currentIcon_);
    }
}

void frmSettings::ChangeTrayTip(const std::string& tip) {
    if (!tray_ || !trayOwner_) {
        return;
    }
    trayOwner_->SetTag(tip);
    tray_->Tray().ChangeToolTip(*trayOwner_, tip);
}

TrayMenuChoice frmSettings::OpenTrayMenu(TrayMenuChecks checks) {
    if (mnuPopUp_ == nullptr) {
        return TrayMenuChoice::None;
    }
    ::CheckMenuItem(mnuPopUp_, kMenuStart,
                    MF_BYCOMMAND | (checks.start ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(mnuPopUp_, kMenuStop, MF_BYCOMMAND | (checks.stop ? MF_CHECKED : MF_UNCHECKED));
    POINT at{};
    ::GetCursorPos(&at);
    // The menu opens at the pointer, towards the middle of the screen it is on: down from a
    // task bar at the top, up from one at the bottom.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& screen = monitor.rcMonitor;
    UINT align = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    align |=
        (at.y - screen.top) < (screen.bottom - screen.top) / 2 ? TPM_TOPALIGN : TPM_BOTTOMALIGN;
    align |=
        (at.x - screen.left) < (screen.right - screen.left) / 2 ? TPM_LEFTALIGN : TPM_RIGHTALIGN;
    // Without the foreground the menu never closes when the user clicks elsewhere; the posted
    // null message lets the menu's loop end cleanly.
    ::SetForegroundWindow(window_.get());
    menuOpen_ = true;
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(mnuPopUp_, align, at.x, at.y, 0, window_.get(), nullptr));
    menuOpen_ = false;
    ::PostMessageW(window_.get(), WM_NULL, 0, 0);
    switch (chosen) {
        case kMenuSettings:
            return TrayMenuChoice::Settings;
        case kMenuStart:
            return TrayMenuChoice::Start;
        case kMenuStop:
            return TrayMenuChoice::Stop;
        case kMenuExit:
            return TrayMenuChoice::Exit;
        default:
            return TrayMenuChoice::None;
    }
}

void frmSettings::SetMessagePageVisible(bool visible) {
    const int show = visible ? SW_SHOW : SW_HIDE;
    messagePageVisible_ = visible;
    ::InvalidateRect(window_.get(), nullptr, TRUE);
    for (HWND control :
         {label1_, label2_, txtEditWord_, txtEditCat_, lblDuration_, lblFrequency_, picture1_}) {
        ::ShowWindow(control, show);
    }
    for (const auto* list : {lstMessageCategories_.get(), lstPhrases_.get()}) {
        if (list != nullptr) {
            ::ShowWindow(list->hWnd(), show);
        }
    }
    for (const auto* button :
         {cmdDelete_.get(), cmdAdd_.get(), cmdAddCat_.get(), cmdDeleteCat_.get(), cmdEdit_.get(),
          cmdEditCat_.get(), cmdEditFont_.get()}) {
        if (button != nullptr) {
            ::ShowWindow(button->hWnd(), show);
        }
    }
    if (bvlWHEEL1_) {
        ::ShowWindow(bvlWHEEL1_->hWnd(), show);
    }
    if (bvlWHEEL2_) {
        ::ShowWindow(bvlWHEEL2_->hWnd(), show);
    }
    if (ColorPicker1_) {
        ::ShowWindow(ColorPicker1_->hWnd(), show);
    }
}

void frmSettings::ShowPage(SettingsPage page) {
    if (page == SettingsPage::Messages) {
        ::ShowWindow(lblVersion_, SW_HIDE);
        if (rtfHelp_) {
            ::ShowWindow(rtfHelp_->hWnd(), SW_HIDE);
        }
        SetMessagePageVisible(true);
        return;
    }
    if (rtfHelp_) {
        ::ShowWindow(rtfHelp_->hWnd(), SW_SHOW);
        // A missing page file leaves the box empty; the page is switched all the same.
        rtfHelp_->LoadFile(appPath_ /
                           (page == SettingsPage::About ? texts::kAboutFile : texts::kHelpFile));
    }
    SetMessagePageVisible(false);
    ::ShowWindow(lblVersion_, SW_SHOW);
}

// ---- ending --------------------------------------------------------------------------------

bool frmSettings::AskExitQuestion() {
    const std::wstring title = WideFromAnsi(texts::kAppTitle);
    return ::MessageBoxW(window_.get(), WideFromAnsi(texts::kExitQuestion).c_str(), title.c_str(),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void frmSettings::EndProgram() {
    Unload();
}

void frmSettings::Unload() {
    if (ended_) {
        return;
    }
    ended_ = true;
    ::KillTimer(window_.get(), kWatchdogTimer);
    messageWindow_.reset();
    if (tray_ && trayOwner_) {
        // The icon goes first: a program that ended must not leave it behind.
        tray_->Tray().RemoveIcon(*trayOwner_);
    }
    tray_.reset();
    ::PostQuitMessage(0);
}

}  // namespace murmurex
