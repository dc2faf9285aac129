// clsScreen itself: creation and the errors it raises, measuring the screen (metrics, display
// devices, the shared font list), the drawing position and the active form, control and window.
#include "cls_screen_win.h"

#include <cstring>
#include <optional>
#include <utility>

#include "screen_rules.h"
#include "screen_texts.h"
#include "win/api_error_text.h"

namespace murmurex {
namespace t = screen_texts;

namespace {

// Family names shared by every screen object; rebuilt from empty on each refresh.
std::vector<std::string>& SharedFontList() {
    static std::vector<std::string> fonts;
    return fonts;
}

std::string FixedText(const char* field, std::size_t capacity) {
    return std::string(field, strnlen(field, capacity));
}

int CALLBACK CollectFontFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM list) {
    try {
        reinterpret_cast<std::vector<std::string>*>(list)->push_back(
            FixedText(font->lfFaceName, LF_FACESIZE));
        return 1;
    } catch (...) {
        // Out of memory: end the enumeration rather than unwind through the system.
        return 0;
    }
}

std::string OwnExecutableName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return ExecutableNameFromPath(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::unique_ptr<clsScreen> clsScreen::Create(ScreenError* raised, ScreenServices services) {
    if (!services.desktopWindow) {
        services.desktopWindow = [] { return ::GetDesktopWindow(); };
    }
    if (!services.screenDc) {
        services.screenDc = [] { return win::GetWindowDcOwned(nullptr); };
    }
    if (!services.changeDisplaySettings) {
        services.changeDisplaySettings = [](DEVMODEA& mode, DWORD flags) {
            return ::ChangeDisplaySettingsA(&mode, flags);
        };
    }
    if (!services.messageBox) {
        services.messageBox = [](std::string_view text, std::string_view title, UINT icon) {
            ::MessageBoxA(nullptr, std::string(text).c_str(), std::string(title).c_str(), icon);
        };
    }
    if (services.executableName.empty()) {
        services.executableName = OwnExecutableName();
    }

    auto screen = std::make_unique<clsScreen>(Key{}, std::move(services));
    ScreenError scratch;
    ScreenError& error = raised != nullptr ? *raised : scratch;
    error = {};

    auto dc = screen->hDC();
    if (dc.raised()) {
        error = std::move(dc.error);
        return nullptr;
    }
    auto refreshed = screen->RefreshDisplayInfo(dc.value.get());
    if (!refreshed.value) {
        // Without a desktop window or a context the object is useless, even when the
        // platform left no error code to raise.
        if (refreshed.raised()) {
            error = std::move(refreshed.error);
        } else {
            RaiseScreenError(error,
                             t::Source(screen->services_.executableName, "RefreshDisplayInfo"), -1,
                             screen->desktop_ == nullptr ? t::kNoHwndMessage : t::kNoDcMessage);
        }
        return nullptr;
    }

    // Try the default colours and font on the context; the context is released right after,
    // so this only proves they can be made. What was selected goes back out before that.
    DcSelections selections;
    screen->RaiseStep(ApplyStyle(dc.value.get(), screen->drawing_.Style(), selections), {}, error);
    if (error.number == 0) {
        screen->RaiseStep(ApplyFont(dc.value.get(), screen->drawing_.FontSettings(), selections),
                          {}, error);
    }
    if (error.number != 0) {
        return nullptr;
    }
    return screen;
}

clsScreen::clsScreen(Key, ScreenServices services)
    : services_(std::move(services)),
      surface_(ScreenAccess{[this] { return hDC(); }, [this] { return desktop_; },
                            [this] { return twipsPerPixelX_; },
                            [this] { return twipsPerPixelY_; }}),
      drawing_(surface_, services_.executableName) {}

bool clsScreen::RaiseStep(const SurfaceOutcome& outcome, std::string_view drawSource,
                          ScreenError& error) const {
    if (outcome.ok) {
        return false;
    }
    const std::string_view member =
        outcome.step == SurfaceStep::Draw ? drawSource : HelperStepSource(outcome.step);
    RaiseScreenError(error, t::Source(services_.executableName, member), outcome.code,
                     outcome.text);
    return true;
}

ScreenResult<bool> clsScreen::GetCurrentXY(HDC dc, std::int32_t& x, std::int32_t& y) const {
    ScreenResult<bool> result;
    if (dc == nullptr) {
        result.error = InvalidDc();
        return result;
    }
    ScreenPoint at;
    if (RaiseStep(ReadPosition(dc, at), "GetCurrentXY(DRAW_MoveCurrentXY)", result.error)) {
        return result;
    }
    x = at.x;
    y = at.y;
    result.value = true;
    return result;
}

ScreenResult<bool> clsScreen::SetCurrentXY(HDC dc, std::int32_t x, std::int32_t y) const {
    ScreenResult<bool> result;
    if (dc == nullptr) {
        result.error = InvalidDc();
        return result;
    }
    result.value =
        !RaiseStep(MovePosition(dc, {x, y}), "SetCurrentXY(DRAW_MoveCurrentXY)", result.error);
    return result;
}

clsScreen::~clsScreen() {
    Clear(true);
    PutBackClassCursors();
}

ScreenError clsScreen::ApiError(std::string_view member) const {
    const DWORD code = ::GetLastError();
    ScreenError error;
    if (code != 0) {
        RaiseScreenError(error, t::Source(services_.executableName, member),
                         static_cast<std::int32_t>(code), win::GetApiErrorText(code));
    }
    return error;
}

ScreenError clsScreen::InvalidDc() const {
    ScreenError error;
    RaiseScreenError(error, t::Source(services_.executableName, "SetDisplayFont"), -1,
                     t::kInvalidDc);
    return error;
}

void clsScreen::ShowMessage(std::string_view text, std::string_view title, UINT icon) const {
    services_.messageBox(text, title, icon);
}

ScreenResult<win::UniqueWindowDc> clsScreen::hDC() const {
    ::SetLastError(0);
    ScreenResult<win::UniqueWindowDc> result;
    result.value = services_.screenDc();
    if (!result.value) {
        result.error = ApiError("hDC(GetDC)");
    }
    return result;
}

ScreenResult<bool> clsScreen::RefreshDisplayInfo(HDC dc) {
    ScreenResult<bool> result;
    ::SetLastError(0);
    desktop_ = services_.desktopWindow();
    if (desktop_ == nullptr) {
        result.error = ApiError("RefreshDisplayInfo(WindowFromDC)");
        ShowMessage(t::kNoHwndMessage, t::kNoHwndTitle, MB_ICONERROR);
        return result;
    }

    win::UniqueWindowDc own;
    if (dc == nullptr) {
        auto taken = hDC();
        if (!taken.value) {
            // The error code hDC saw is the one to report, under this member's source.
            result.error = std::move(taken.error);
            if (result.raised()) {
                result.error.source =
                    t::Source(services_.executableName, "RefreshDisplayInfo(GetWindowDC)");
            }
            ShowMessage(t::kNoDcMessage, t::kNoDcTitle, MB_ICONERROR);
            return result;
        }
        own = std::move(taken.value);
        dc = own.get();
    }

    LoadDisplayDevices();
    if (auto caps = ReadDeviceCaps(dc); caps.raised()) {
        result.error = std::move(caps.error);
        return result;
    }
    if (auto fonts = LoadFontList(dc); fonts.raised()) {
        result.error = std::move(fonts.error);
        return result;
    }
    result.value = true;
    return result;
}

void clsScreen::LoadDisplayDevices() {
    deviceCount_ = 0;
    deviceNames_.clear();
    deviceDescriptions_.clear();
    for (DWORD index = 0;; ++index) {
        DISPLAY_DEVICEA device{};
        device.cb = sizeof(device);
        if (!::EnumDisplayDevicesA(nullptr, index, &device, 0)) {
            break;
        }
        ++deviceCount_;
        deviceNames_.push_back(FixedText(device.DeviceName, sizeof(device.DeviceName)));
        deviceDescriptions_.push_back(FixedText(device.DeviceString, sizeof(device.DeviceString)));
    }
}

ScreenResult<bool> clsScreen::ReadDeviceCaps(HDC dc) {
    ScreenResult<bool> result;
    if (dc == nullptr) {
        result.error = InvalidDc();
        return result;
    }
    bitsPerPixel_ = ::GetDeviceCaps(dc, BITSPIXEL);
    const int width = ::GetDeviceCaps(dc, HORZRES);
    const int height = ::GetDeviceCaps(dc, VERTRES);
    width_ = static_cast<float>(width);
    height_ = static_cast<float>(height);
    // A zero resolution cannot be divided by: keep the previous figure.
    if (auto x = TwipsPerPixel(::GetDeviceCaps(dc, HORZSIZE), width)) {
        twipsPerPixelX_ = *x;
    }
    if (auto y = TwipsPerPixel(::GetDeviceCaps(dc, VERTSIZE), height)) {
        twipsPerPixelY_ = *y;
    }
    result.value = true;
    return result;
}

ScreenResult<bool> clsScreen::LoadFontList(HDC dc) {
    ScreenResult<bool> result;
    if (dc == nullptr) {
        result.error = InvalidDc();
        return result;
    }
    auto& fonts = SharedFontList();
    fonts.clear();
    LOGFONTA any{};
    result.value = ::EnumFontFamiliesExA(dc, &any, CollectFontFamily,
                                         reinterpret_cast<LPARAM>(&fonts), 0) != 0;
    return result;
}

std::int32_t clsScreen::BitsPerPixel() const noexcept {
    return MapBitsPerPixel(bitsPerPixel_);
}

ScreenResult<std::string> clsScreen::DeviceText(const std::vector<std::string>& list,
                                                std::int32_t index, std::string_view member) const {
    ScreenResult<std::string> result;
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        RaiseScreenError(result.error, t::Source(services_.executableName, member),
                         t::kSubscriptOutOfRangeNumber, t::kSubscriptOutOfRange);
        return result;
    }
    result.value = list[static_cast<std::size_t>(index)];
    return result;
}

ScreenResult<std::string> clsScreen::DisplayDevice_Name(std::int32_t index) const {
    return DeviceText(deviceNames_, index, "DisplayDevice_Name");
}

ScreenResult<std::string> clsScreen::DisplayDevice_Description(std::int32_t index) const {
    return DeviceText(deviceDescriptions_, index, "DisplayDevice_Description");
}

std::int32_t clsScreen::FontsCount() const noexcept {
    return static_cast<std::int32_t>(SharedFontList().size());
}

ScreenResult<std::string> clsScreen::Fonts(std::int32_t index) const {
    return DeviceText(SharedFontList(), index, "Fonts");
}

ScreenForm* clsScreen::ActiveForm() const {
    const HWND active = ::GetActiveWindow();
    if (active == nullptr) {
        return nullptr;
    }
    for (ScreenForm* form : LoadedForms()) {
        if (form->FormWindow() == active) {
            return form;
        }
    }
    return nullptr;
}

HWND clsScreen::ActiveControl() const {
    const HWND active = ::GetActiveWindow();
    const HWND focus = ::GetFocus();
    if (active == nullptr || focus == nullptr) {
        return nullptr;
    }
    for (ScreenForm* form : LoadedForms()) {
        if (form->FormWindow() == active) {
            return form->ActiveControl();
        }
    }
    return nullptr;
}

ScreenResult<HWND> clsScreen::ActiveWindow() const {
    ScreenResult<HWND> result;
    ::SetLastError(0);
    result.value = ::GetForegroundWindow();
    if (result.value == nullptr) {
        result.error = ApiError("ActiveWindow(GetForegroundWindow)");
    }
    return result;
}

ScreenResult<HWND> clsScreen::ActiveObject() const {
    ScreenResult<HWND> result;
    ::SetLastError(0);
    const HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) {
        result.error = ApiError("ActiveObject(GetForegroundWindow)");
        return result;
    }
    auto attached = AttachThread(foreground, true);
    if (!attached.value) {
        // Without joining that thread GetFocus would only tell our own focus.
        result.error = std::move(attached.error);
        return result;
    }
    const HWND focus = ::GetFocus();
    auto detached = AttachThread(foreground, false);
    if (detached.raised()) {
        result.error = std::move(detached.error);
        return result;
    }
    result.value = focus;
    return result;
}

}  // namespace murmurex
