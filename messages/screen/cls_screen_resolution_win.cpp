// clsScreen's changes to the system: the display resolution, and the class cursors of
// windows (joining the input of another thread when the window belongs to it).
#include "cls_screen_win.h"

#include <utility>

#include "screen_rules.h"
#include "screen_texts.h"

namespace murmurex {
namespace t = screen_texts;

namespace {

// The display-mode record as the resolution change fills it.
constexpr WORD kDisplayModeSize = 148;
static_assert(sizeof(DEVMODEA) >= kDisplayModeSize);

// The mode fields and change flags the portable rules choose are the platform's own.
static_assert(kFieldsWidthHeight == (DM_PELSWIDTH | DM_PELSHEIGHT));
static_assert(kFieldsWidthHeightBits == (DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT));
static_assert(kChangeTestOnly == CDS_TEST);
static_assert(kChangeUpdateAndReset == (CDS_UPDATEREGISTRY | CDS_RESET));

HCURSOR ClassCursor(HWND window) {
    return reinterpret_cast<HCURSOR>(::GetClassLongPtrA(window, GCLP_HCURSOR));
}

}  // namespace

ScreenResult<bool> clsScreen::ChangeResolution(std::int32_t index, std::int32_t bits,
                                               bool& restartNeeded, bool testOnly) {
    ScreenResult<bool> result;
    const CurrentMode current{width_, height_, BitsPerPixel()};
    const ResolutionPlan plan = PlanResolutionChange(index, bits, testOnly, current);
    if (plan.alreadyCurrent) {
        result.value = true;
        return result;
    }

    DEVMODEA mode{};
    mode.dmSize = kDisplayModeSize;
    mode.dmFields = plan.fields;
    mode.dmPelsWidth = static_cast<DWORD>(plan.width);
    mode.dmPelsHeight = static_cast<DWORD>(plan.height);
    if (bits != 0) {
        mode.dmBitsPerPel = static_cast<DWORD>(plan.bitsPerPixel);
    }

    auto dc = hDC();
    if (!dc.value) {
        result.error = std::move(dc.error);
        return result;
    }
    const LONG answer = services_.changeDisplaySettings(mode, plan.flags);
    const ResolutionOutcome outcome = InterpretResolutionResult(answer);
    restartNeeded = outcome.restartNeeded;
    if (outcome.answer) {
        result.value = true;
        ReadDeviceCaps(dc.value.get());
    } else {
        result.error = ResolutionError(services_.executableName, outcome);
    }
    return result;
}

void clsScreen::MouseIcon(std::string_view path) {
    // A NUL inside the text would make the platform open a different, shorter path.
    if (path.find('\0') != std::string_view::npos) {
        return;
    }
    const std::string file(path);
    {
        win::UniqueFile opened(::CreateFileA(file.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!opened) {
            return;
        }
    }
    if (!IsMouseIconFile(file)) {
        ShowMessage(t::kBadMouseIconMessage, t::kBadMouseIconTitle, MB_ICONEXCLAMATION);
        return;
    }
    mouseIcon_ = file;
}

ScreenResult<std::int32_t> clsScreen::MousePointer(HWND window) const {
    ScreenResult<std::int32_t> result;
    const HWND target = window != nullptr ? window : desktop_;
    ::SetLastError(0);
    const HCURSOR cursor = ClassCursor(target);
    if (cursor == nullptr) {
        result.error = ApiError("MousePointer(GetClassLong)");
        return result;
    }
    for (const std::int32_t id : kSystemCursorOrder) {
        if (::LoadCursorA(nullptr, MAKEINTRESOURCEA(id)) == cursor) {
            result.value = id;
            return result;
        }
    }
    result.value = kCustomCursor;
    return result;
}

void clsScreen::ForgetReplacedCursor(HCURSOR previous) {
    // The cursor a class had before may be one of ours that nothing uses any more.
    for (auto it = ownedCursors_.begin(); it != ownedCursors_.end(); ++it) {
        if (it->cursor.get() == previous) {
            ownedCursors_.erase(it);
            break;
        }
    }
}

ScreenError clsScreen::MousePointer(HWND window, std::int32_t id) {
    const HWND target = window != nullptr ? window : desktop_;
    if (id != kCustomCursor) {
        // Only a 16-bit id is a resource number; anything else would be read as a pointer.
        if (id <= 0 || id > 0xFFFF) {
            return {};
        }
        const HCURSOR cursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
        if (cursor == nullptr) {
            return {};
        }
        ::SetLastError(0);
        const LONG_PTR previous =
            ::SetClassLongPtrA(target, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
        if (previous == 0) {
            return ApiError("MousePointer(SetClassLong)");
        }
        ForgetReplacedCursor(reinterpret_cast<HCURSOR>(previous));
        return {};
    }

    // Cursor files keep their hot spot only when loaded as cursors.
    const UINT type = IsCursorFile(mouseIcon_) ? IMAGE_CURSOR : IMAGE_ICON;
    ::SetLastError(0);
    win::UniqueCursor image(static_cast<HCURSOR>(::LoadImageA(
        ::GetModuleHandleA(nullptr), mouseIcon_.c_str(), type, 0, 0, LR_LOADFROMFILE)));
    if (!image) {
        return ApiError("MousePointer(LoadImageSTR)");
    }
    auto attached = AttachThread(target, true);
    if (!attached.value) {
        return attached.error;
    }
    ::SetLastError(0);
    const LONG_PTR previous =
        ::SetClassLongPtrA(target, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(image.get()));
    ScreenError error = ApiError("MousePointer(SetClassLong)");
    // Detach whatever happened, so the other thread's input is never left joined to ours.
    auto detached = AttachThread(target, false);
    if (error.number == 0) {
        ForgetReplacedCursor(reinterpret_cast<HCURSOR>(previous));
        // The class now shows this cursor, so it lives as long as this object.
        ownedCursors_.push_back({target, std::move(image)});
        if (detached.raised()) {
            error = std::move(detached.error);
        }
    }
    return error;
}

ScreenResult<bool> clsScreen::AttachThread(HWND window, bool attach) const {
    ScreenResult<bool> result;
    ::SetLastError(0);
    const DWORD own = ::GetCurrentThreadId();
    if (own == 0) {
        result.error = ApiError("AttachThread(GetCurrentThreadId)");
        return result;
    }
    ::SetLastError(0);
    const DWORD other = ::GetWindowThreadProcessId(window, nullptr);
    if (other == 0) {
        result.error = ApiError("AttachThread(GetWindowThreadProcessId)");
        return result;
    }
    if (own == other) {
        result.value = true;
        return result;
    }
    ::SetLastError(0);
    if (!::AttachThreadInput(own, other, attach ? TRUE : FALSE)) {
        result.error = ApiError("AttachThread(AttachThreadInput)");
        return result;
    }
    result.value = true;
    return result;
}

void clsScreen::PutBackClassCursors() {
    // A class cursor still pointing at one of ours goes back to the arrow before ours dies.
    const HCURSOR arrow = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    for (auto& owned : ownedCursors_) {
        if (::IsWindow(owned.window) && ClassCursor(owned.window) == owned.cursor.get()) {
            ::SetClassLongPtrA(owned.window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(arrow));
        }
    }
}

}  // namespace murmurex
