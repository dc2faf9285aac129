#pragma once
// rtfHelp: a read-only rich edit control that shows a rich text file.

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "win/unique_handle.h"

namespace murmurex {

class RichTextBox {
  public:
    /// A hidden child of `parent`; null when neither rich edit library can be loaded.
    static std::unique_ptr<RichTextBox> Create(HWND parent, int controlId, RECT placement);

    explicit RichTextBox(HWND window) noexcept : window_(window) {}

    /// Replaces the content with the rich text of `file` (read whole, at most 16 MB). A file
    /// that cannot be read leaves the box empty and answers false.
    bool LoadFile(const std::filesystem::path& file);
    /// The plain text now shown.
    std::wstring Text() const;
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    win::UniqueWindow window_;
};

}  // namespace murmurex
