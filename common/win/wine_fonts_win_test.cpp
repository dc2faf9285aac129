// The Wine prefix the tests run in measures text as Windows does (script/lib/wine.sh sets it
// up): a face asked for by its Windows name keeps that name and has that face's widths, and
// text in scripts those faces lack still gets glyphs.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "win/unique_handle.h"

namespace {

// One pixel per design unit: the widths below are the faces' own, in units of 2048 per em.
constexpr int kEm = 2048;

struct Face {
    const wchar_t* name;
    int helloWidth;  // "Hello"
};
// Arial: H 1479, e 1139, l 455, o 1139. Times New Roman: H 1479, e 909, l 569, o 1024. Courier
// New: 1229 each. The MS Sans Serifs and Tahoma have no free twin and get Arial's.
const Face kFaces[] = {
    {L"Arial", 4667},         {L"Times New Roman", 4550},      {L"Courier New", 6145},
    {L"MS Sans Serif", 4667}, {L"Microsoft Sans Serif", 4667}, {L"Tahoma", 4667}};

class Measure {
  public:
    explicit Measure(const wchar_t* face) {
        LOGFONTW look{};
        look.lfHeight = -kEm;
        look.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(look.lfFaceName, face, LF_FACESIZE);
        font_.reset(::CreateFontIndirectW(&look));
        selected_.emplace(dc_.get(), font_.get());
    }
    std::wstring Face() const {
        wchar_t name[LF_FACESIZE] = {};
        ::GetTextFaceW(dc_.get(), LF_FACESIZE, name);
        return name;
    }
    int Width(const std::wstring& text) const {
        SIZE extent{};
        ::GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        return extent.cx;
    }

  private:
    win::UniqueOwnedDc dc_{::CreateCompatibleDC(nullptr)};
    win::UniqueFont font_;
    std::optional<win::SelectGuard> selected_;
};

TEST(WineFonts, WindowsFacesKeepTheirNamesAndHaveTheirWidths) {
    for (const Face& face : kFaces) {
        const Measure measure(face.name);
        EXPECT_EQ(measure.Face(), face.name);
        EXPECT_EQ(measure.Width(L"Hello"), face.helloWidth) << "in " << face.name;
    }
}

TEST(WineFonts, JapaneseAndGreekHaveGlyphsInArial) {
    const Measure arial(L"Arial");
    // A glyph missing from every face is drawn as the same box whatever it stands for.
    const int missing = arial.Width(L"\uE000");
    EXPECT_NE(arial.Width(L"\u3053"), missing);  // hiragana ko
    EXPECT_NE(arial.Width(L"\u4E16"), missing);  // the kanji for world
    EXPECT_NE(arial.Width(L"\u03A9"), missing);  // capital omega
}

}  // namespace
