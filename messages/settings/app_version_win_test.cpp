#include "app_version_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "resource_ids.h"

namespace murmurex {
namespace {

constexpr AppVersion kProjectVersion{PROJECT_MAJOR, PROJECT_MINOR, PROJECT_PATCH};

TEST(AppVersionWin, ThisProgramReadsItsOwnVersionResource) {
    const std::optional<AppVersion> version = ReadOwnVersion();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(*version, kProjectVersion);
}

TEST(AppVersionWin, MessagesCarriesTheProjectVersionAndItsIcons) {
    const HMODULE program = ::LoadLibraryExW(MESSAGES_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(ReadModuleVersion(program), kProjectVersion);
    // The platform's own version reader agrees.
    DWORD ignored = 0;
    const DWORD infoSize = ::GetFileVersionInfoSizeW(MESSAGES_EXE_PATH, &ignored);
    ASSERT_GT(infoSize, 0u);
    std::vector<std::uint8_t> data(infoSize);
    ASSERT_TRUE(::GetFileVersionInfoW(MESSAGES_EXE_PATH, 0, infoSize, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), kProjectVersion.Major);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), kProjectVersion.Minor);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), kProjectVersion.Revision);

    for (const int id : {IDI_MURMUREX, IDI_RUNNING, IDI_STOPPED}) {
        for (const int size : {16, 32, 48}) {
            const HANDLE icon = ::LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size,
                                             LR_DEFAULTCOLOR);
            ASSERT_NE(icon, nullptr) << id << " at " << size;
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(static_cast<HICON>(icon), &info));
            BITMAP colour{};
            ::GetObjectW(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size);
            EXPECT_EQ(colour.bmBitsPixel, 32);
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
            ::DestroyIcon(static_cast<HICON>(icon));
        }
    }
    ::FreeLibrary(program);
}

}  // namespace
}  // namespace murmurex
