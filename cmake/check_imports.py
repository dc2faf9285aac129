#!/usr/bin/python3
"""The libraries our binaries import at load time: known DLLs only.

check_imports.py [--common-controls FILE | --tray-start FILE]... FILE...
A library imported at load time is looked for before any of the program's code runs, beside
the program first, unless it is a known DLL, which the system always takes from its own
folder. So a file may import only KNOWN_DLLS; one given after --common-controls may also
import comctl32, which its manifest takes from the side-by-side store. A program given after
--tray-start starts hidden in the tray and must start quickly: it may import only TRAY_START_DLLS,
what that start needs. Every other system library is loaded at run time from the system folder
(common/win/system_library.h).
Prints OK and exits 0, or one line per refused import and exits 1.
"""
import os
import sys

import pefile

# In the KnownDLLs list of Windows 7, 8, 8.1, 10 and 11, 32-bit and 64-bit alike.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
              "ole32.dll", "oleaut32.dll", "comdlg32.dll", "msvcrt.dll"}

# A tray program's hidden start: a window, a tray icon, files. Every library a later action
# needs (dialogs, OLE pictures) costs each start its loading time.
TRAY_START_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
                   "comctl32.dll"}
# What a file given after each option may import, and what the refusal says.
ALLOWED_AFTER = {None: (KNOWN_DLLS, "which is not a known DLL"),
                 "--common-controls": (KNOWN_DLLS | {"comctl32.dll"}, "which is not a known DLL"),
                 "--tray-start": (TRAY_START_DLLS, "which its tray start does not need")}


def problems_of(path, allowed, refusal):
    name = os.path.basename(path)
    if not os.path.isfile(path):
        return [f"{name} is missing ({path})"]
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    dlls = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    return [f"{name} imports {dll} at load time, {refusal}"
            for dll in dlls if dll not in allowed]


def main(args):
    problems = []
    while args:
        option = args[0] if args[0] in ALLOWED_AFTER and len(args) > 1 else None
        path = args[1] if option else args[0]
        problems += problems_of(path, *ALLOWED_AFTER[option])
        args = args[2 if option else 1:]
    print("\n".join(problems) if problems else "OK")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
