#!/usr/bin/python3
"""The libraries our binaries import at load time: known DLLs only.

check_imports.py [--common-controls FILE]... FILE...
A library imported at load time is looked for before any of the program's code runs, beside
the program first, unless it is a known DLL, which the system always takes from its own
folder. So a file may import only KNOWN_DLLS; one given after --common-controls may also
import comctl32, which its manifest takes from the side-by-side store. Every other system
library is loaded at run time from the system folder (common/win/system_library.h).
Prints OK and exits 0, or one line per refused import and exits 1.
"""
import os
import sys

import pefile

# In the KnownDLLs list of Windows 7, 8, 8.1, 10 and 11, 32-bit and 64-bit alike.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
              "ole32.dll", "oleaut32.dll", "comdlg32.dll", "msvcrt.dll"}


def problems_of(path, allowed):
    name = os.path.basename(path)
    if not os.path.isfile(path):
        return [f"{name} is missing ({path})"]
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    dlls = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    return [f"{name} imports {dll} at load time, which is not a known DLL"
            for dll in dlls if dll not in allowed]


def main(args):
    problems = []
    while args:
        manifested = args[0] == "--common-controls" and len(args) > 1
        path = args[1] if manifested else args[0]
        problems += problems_of(path, KNOWN_DLLS | ({"comctl32.dll"} if manifested else set()))
        args = args[2 if manifested else 1:]
    print("\n".join(problems) if problems else "OK")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
