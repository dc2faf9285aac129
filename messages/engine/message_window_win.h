#pragma once
// frmMessage: the borderless, topmost window whose white background is keyed out, so only
// its label's text shows over the desktop. It never takes the keyboard focus: a flash must
// not steal keystrokes from the application the user is typing in.
//
// The window procedure only translates messages into calls on the portable MessageCycle;
// this class is the cycle's view (label and window geometry) and its timers.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cls_screen.h"
#include "loaded_forms_win.h"
#include "message_cycle.h"
#include "portable/twips.h"
#include "settings_store.h"
#include "win/owned_window.h"
#include "win/unique_handle.h"
#include "window_timers_win.h"

namespace murmurex {

/// The label's font as the settings choose it.
struct LabelFont {
    /// UTF-8.
    std::string Name = "Arial";
    /// Points.
    float Size = 9.75f;
    bool Bold = false;
    bool Italic = false;
};

/// `font` as the platform describes it at `dpi`: its points in pixels, any script's glyphs,
/// the platform's default quality.
LOGFONTW LogFontAt(const LabelFont& font, int dpi);

/// lblMessage: a single line of text (UTF-8, any script) on a transparent background that
/// sizes itself to the text's ink. Lengths are twips, relative to the window.
class MessageLabel {
  public:
    MessageLabel() = default;
    MessageLabel(const MessageLabel&) = delete;
    MessageLabel& operator=(const MessageLabel&) = delete;

    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    /// 0x00BBGGRR; with the high bit set, a system colour index.
    std::uint32_t ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(std::uint32_t colour);
    const LabelFont& Font() const noexcept { return font_; }
    /// Takes the font and resizes to the text; a font the system cannot make is ignored.
    void SetFont(const LabelFont& font);
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& caption);

    float Left() const noexcept;
    float Top() const noexcept;
    float Width() const noexcept;
    float Height() const noexcept;

    /// Told of every change of Visible (true: shown); for measurements.
    void SetVisibilityListener(std::function<void(bool)> listener) {
        visibilityListener_ = std::move(listener);
    }

  private:
    friend class frmMessage;

    void Attach(HWND owner, int dpiX, int dpiY);
    // The font keeps its points at the new DPI; the caption is measured again.
    void SetDpi(int dpiX, int dpiY);
    void Measure();
    // Only a label on the screen has pixels to redraw: a hidden one was invalidated when it
    // went, and paints nothing until it shows again.
    void Invalidate() const;
    void InvalidateArea() const;
    RECT PixelRect() const noexcept;
    void Paint(HDC dc) const;

    HWND owner_ = nullptr;
    // The DPI of the phrase's monitor along each axis: twips and points become pixels with them.
    int dpiX_ = kDefaultDpi;
    int dpiY_ = kDefaultDpi;
    bool visible_ = false;
    std::uint32_t foreColor_ = 0x00C0C0C0;
    LabelFont font_;
    win::UniqueFont hfont_;
    // A memory DC holding the label's font, kept for measuring: each step measures a new text,
    // and borrowing the window's DC every time costs round trips to the display server.
    // Declared after the font, so the font is put back out of the DC before either goes.
    win::UniqueOwnedDc measureDc_;
    std::optional<win::SelectGuard> measureFont_;
    std::string caption_ = " ";
    // The caption as the wide drawing calls take it.
    std::wstring wideCaption_ = L" ";
    // The label's size holds all of the text's ink; the pen starts this far in.
    SIZE size_{0, 0};
    int penOffset_ = 0;
    std::function<void(bool)> visibilityListener_;
};

class frmMessage final : public win::OwnedWindow,
                         private MessageView,
                         private CycleTimers,
                         private ScreenForm {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Creates and loads the window, not shown: screen measured, generator seeded, load list
    /// on the label, background keyed out. Answers null when the system refuses the window.
    static std::unique_ptr<frmMessage> Create(HINSTANCE instance = nullptr);

    explicit frmMessage(Key);
    frmMessage(const frmMessage&) = delete;
    frmMessage& operator=(const frmMessage&) = delete;
    /// Unloads: timers, window and screen object go.
    ~frmMessage() override;

    /// The phrase pool, read and assigned directly; may change at any time.
    PhrasePool& Phrases() noexcept { return cycle_.Phrases; }
    /// While true both timer events do nothing; read and written directly.
    bool& Paused() noexcept { return cycle_.Paused; }

    /// Starts or restarts the cycle (unless paused): label hidden, frequency timer on.
    void Begin() { cycle_.Begin(); }
    /// See MessageCycle::RndNum: changes the caller's Max.
    std::int32_t RndNum(std::int32_t& Max, std::int32_t Min) { return cycle_.RndNum(Max, Min); }

    /// Shows the window without activating it.
    void Show();
    bool Visible() const noexcept;
    void SetVisible(bool visible);

    /// The cycle itself, for callers that step it directly.
    MessageCycle& Cycle() noexcept { return cycle_; }
    /// Told each time a paint puts the label on the screen (true) or takes it off; for
    /// measurements.
    void SetPaintListener(std::function<void(bool)> listener) {
        paintListener_ = std::move(listener);
    }
    /// Plugs in the settings window; null means neither it nor its menu exists.
    void SetSettingsVisibility(const SettingsVisibility* visibility) noexcept {
        cycle_.SetSettingsVisibility(visibility);
    }

    MessageLabel lblMessage;
    /// Whole seconds, within the frequency range of the settings.
    WindowTimer TimerFrequency{{1000, kFrequencyMinimum, kFrequencyMaximum}, kDesignInterval};
    /// Milliseconds, within the display-length range of the settings.
    WindowTimer TimerDisplayLength{{1, kDurationMinimum, kDurationMaximum}, kDesignInterval};

  private:
    // Both timers' interval until the settings arrive, in their own units.
    static constexpr std::uint32_t kDesignInterval = 2;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Load();
    // Geometry set by a step is applied in one call, not four, before the label shows: each
    // window move costs a round trip to the display server, and the step must stay short.
    // It does not redraw: a step always ends by repainting the whole window, and the other
    // callers apply it to a hidden window.
    void ApplyGeometry();

    // MessageView
    void SetLabelText(const std::string& text) override { lblMessage.SetCaption(text); }
    float LabelWidth() const override { return lblMessage.Width(); }
    float LabelHeight() const override { return lblMessage.Height(); }
    float LabelLeft() const override { return lblMessage.Left(); }
    float LabelTop() const override { return lblMessage.Top(); }
    void SetLabelVisible(bool visible) override;
    void SetWindowHeight(float twips) override;
    void SetWindowWidth(float twips) override;
    void SetWindowLeft(float twips) override;
    void SetWindowTop(float twips) override;
    void MakeTopmost() override;
    void Repaint() override;
    float TwipsPerPixelX() const override { return static_cast<float>(TwipsPerPixelAt(dpiX_)); }
    float TwipsPerPixelY() const override { return static_cast<float>(TwipsPerPixelAt(dpiY_)); }

    // CycleTimers
    void Start(CycleTimer timer) override { TimerOf(timer).SetEnabled(true); }
    void Stop(CycleTimer timer) override { TimerOf(timer).SetEnabled(false); }
    WindowTimer& TimerOf(CycleTimer timer) noexcept {
        return timer == CycleTimer::Frequency ? TimerFrequency : TimerDisplayLength;
    }

    // ScreenForm
    HWND FormWindow() const override { return hWnd(); }

    UniformRandom random_;
    MessageCycle cycle_{*this, *this, random_};
    std::unique_ptr<clsScreen> screen_;
    // The DPI of the monitor the phrase appears on, read at load and when its scaling changes.
    int dpiX_ = kDefaultDpi;
    int dpiY_ = kDefaultDpi;
    RECT geometry_{0, 0, 0, 0};  // pixels, screen coordinates
    bool geometryPending_ = false;
    bool labelOnScreen_ = false;
    std::function<void(bool)> paintListener_;
    FormRegistration registration_{*this};
};

}  // namespace murmurex
