#pragma once
// The component's fixed identities; the type library and the registration script carry the
// same values (a test compares them).

#include <windows.h>

#include <ole2.h>

namespace resmelder::com {

constexpr GUID kLibidResBundleLib = {
    0x0F62E527, 0xC92F, 0x4A6F, {0x8B, 0x61, 0x55, 0x5C, 0x07, 0xF0, 0x65, 0xC7}};
constexpr GUID kClsidResBundle = {
    0x83A6D900, 0x7CC7, 0x4A9A, {0x9B, 0x1A, 0x5E, 0x3B, 0xAD, 0xC0, 0xB9, 0xE1}};
constexpr GUID kIidResBundle = {
    0xF360290F, 0xC146, 0x40A6, {0xB5, 0x98, 0xA2, 0x54, 0xE4, 0x24, 0xC0, 0x22}};

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;
constexpr LCID kTypeLibLocale = 0x409;

/// Where errors say they come from.
constexpr const char* kErrorSource = "Resmelder";

// Resource ids of the library.
constexpr int kTypeLibResource = 1;
constexpr int kRegistrationScriptResource = 102;
constexpr int kProjectNameString = 100;
constexpr int kIconGroupResource = 201;
constexpr int kToolboxBitmapResource = 203;
constexpr const wchar_t* kRegistrationScriptType = L"REGISTRY";

/// Recompose on resize, can't link inside, inside-out, activate when visible, invisible at
/// run time, set client site first.
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 132497);

}  // namespace resmelder::com
