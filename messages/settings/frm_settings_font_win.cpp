// The font button of the settings window: the preview label's font goes into the common font
// dialog, and whatever the dialog holds afterwards becomes the preview's font and the settings
// file's font lines. The message label takes it at the next Start.

#include "frm_settings_win.h"

#include "helper_error.h"
#include "portable/round_half_even.h"
#include "text_file_encoding.h"

namespace murmurex {

void frmSettings::cmdEditFont_Click() {
    Dialog.hwnd = hWnd();
    Dialog.flags = 1;  // screen fonts only
    Dialog.FontSize(RoundHalfEven(previewFont_.Size));
    // The dialog speaks the ANSI code page. A name it cannot hold goes in empty and, if the
    // dialog hands back what it was given, comes back whole rather than as "?".
    const std::string handedIn = SystemCodePage().FromUtf8(previewFont_.Name).value_or("");
    Dialog.FontName(handedIn);
    Dialog.FontBold(previewFont_.Bold);
    Dialog.FontItalic(previewFont_.Italic);

    // A cancel answers False without an error and leaves the values copied above, which are
    // then stored again. A dialog that could not open raises an error: nothing changes then.
    if (!Dialog.ShowFont() && dialogs::LastHelperError().number != 0) {
        return;
    }

    const auto chosen = Dialog.Font();
    const std::string name =
        chosen->name == handedIn ? previewFont_.Name : SystemCodePage().ToUtf8(chosen->name);
    previewFont_ = LabelFont{name, static_cast<float>(chosen->size), chosen->bold, chosen->italic};
    MakePreviewFont();
    ::InvalidateRect(Picture1_, nullptr, FALSE);

    settings_.FontChosen(name, Dialog.FontSize(), Dialog.FontBold(), Dialog.FontItalic());
    ::InvalidateRect(hWnd(), nullptr, TRUE);
}

}  // namespace murmurex
