// A stand-in for a system library, for the tests that plant it beside a program under the
// system library's name: loading it leaves "<its file name>.loaded" beside it. It offers
// nothing else, so a program that loaded it cannot use it either.

#include <windows.h>

#include "win/unique_handle.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t marker[MAX_PATH + 8] = {};
    const DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return TRUE;
    }
    ::lstrcpyW(marker + length, L".loaded");
    // Made and closed at once: the file's presence is the whole message.
    win::UniqueFile(::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}
