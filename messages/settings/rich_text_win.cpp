#include "rich_text_win.h"

#include "child_control_win.h"
#include "win/system_library.h"

#include <richedit.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace murmurex {

namespace {

// A page file is small; anything larger is not one of ours.
constexpr std::uintmax_t kLargestPage = 16u * 1024u * 1024u;

struct StreamSource {
    const std::string* bytes;
    std::size_t offset;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t left = source->bytes->size() - source->offset;
    const std::size_t count = std::min(left, static_cast<std::size_t>(wanted));
    std::copy_n(source->bytes->data() + source->offset, count, buffer);
    source->offset += count;
    *given = static_cast<LONG>(count);
    return 0;
}

// The rich edit library stays loaded for the program's life: its windows need it. Only the
// system folder's copy ever loads.
const wchar_t* RichEditClass() {
    static const win::SystemLibrary msftedit(L"msftedit.dll");
    if (msftedit.Loaded()) {
        return MSFTEDIT_CLASS;
    }
    static const win::SystemLibrary riched20(L"riched20.dll");
    if (riched20.Loaded()) {
        return RICHEDIT_CLASSW;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<RichTextBox> RichTextBox::Create(HWND parent, int controlId, RECT placement) {
    const wchar_t* className = RichEditClass();
    if (className == nullptr) {
        return nullptr;
    }
    HWND window = CreateChildControl(parent, controlId, placement, className,
                                     WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                     WS_EX_CLIENTEDGE);
    if (window == nullptr) {
        return nullptr;
    }
    return std::make_unique<RichTextBox>(window);
}

bool RichTextBox::LoadFile(const std::filesystem::path& file) {
    ::SetWindowTextW(window_.get(), L"");
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kLargestPage) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    StreamSource source{&bytes, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadChunk;
    ::SendMessageW(window_.get(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

std::wstring RichTextBox::Text() const {
    const int length = ::GetWindowTextLengthW(window_.get());
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window_.get(), text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace murmurex
