// Under Windows (Wine here): the portable upper-case table agrees with the loader's own
// upper-casing (RtlUpcaseUnicodeChar), and with CharUpperBuffW and LCMapStringEx, for every
// UTF-16 unit the ANSI code pages produce (the whole BMP is checked).

#include <windows.h>

#include <gtest/gtest.h>

#include "image/resource_name.h"

namespace resmelder {
namespace {

using RtlUpcaseUnicodeCharFunction = WCHAR(WINAPI*)(WCHAR);

RtlUpcaseUnicodeCharFunction LoaderUpcase() {
    return reinterpret_cast<RtlUpcaseUnicodeCharFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
}

bool IsSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

TEST(ResourceNameWinTest, TableAgreesWithTheLoader) {
    const auto upcase = LoaderUpcase();
    ASSERT_NE(upcase, nullptr);
    int differences = 0;
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
        const auto unit = static_cast<char16_t>(u);
        const auto platform = static_cast<char16_t>(upcase(static_cast<WCHAR>(u)));
        if (UpcaseResourceUnit(unit) != platform && ++differences <= 20) {
            ADD_FAILURE() << std::hex << "U+" << u << ": table " << int(UpcaseResourceUnit(unit))
                          << ", loader " << int(platform);
        }
    }
    EXPECT_EQ(differences, 0);
    // The units the tests name, through the loader itself.
    EXPECT_EQ(upcase(0xFF), 0x178);
    EXPECT_EQ(upcase(0xB5), 0xB5);
    EXPECT_EQ(upcase(0x3C2), 0x3C2);
}

TEST(ResourceNameWinTest, TableAgreesWithCharUpperAndInvariantLcMap) {
    int differences = 0;
    for (std::uint32_t u = 1; u < 0x10000; ++u) {
        if (IsSurrogate(u)) {
            continue;
        }
        const auto unit = static_cast<char16_t>(u);
        WCHAR viaCharUpper[1] = {static_cast<WCHAR>(u)};
        ::CharUpperBuffW(viaCharUpper, 1);
        const WCHAR source[1] = {static_cast<WCHAR>(u)};
        WCHAR viaLcMap[2] = {};
        const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, source, 1, viaLcMap,
                                      2, nullptr, nullptr, 0);
        const char16_t table = UpcaseResourceUnit(unit);
        if ((table != viaCharUpper[0] || n != 1 || table != viaLcMap[0]) && ++differences <= 20) {
            ADD_FAILURE() << std::hex << "U+" << u << ": table " << int(table)
                          << ", CharUpperBuffW " << int(viaCharUpper[0]) << ", LCMapStringEx "
                          << int(viaLcMap[0]);
        }
    }
    EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace resmelder
