#!/usr/bin/python3
"""The libraries our binaries import at load time: only known DLLs.

check_imports.py [--common-controls FILE]... FILE...
A library imported at load time is found before any of the program's code runs, beside the
program first, unless the system knows it: the known DLLs are always taken from the system
folder. So every file may import only the known DLLs of every Windows from 7 on that we use
(KNOWN_DLLS); a file given after --common-controls may also import comctl32, which its
application manifest takes from the side-by-side store. Every other system library is loaded
at run time from the system folder (common/win/system_library.h).
Prints OK and exits 0, or prints one line per refused import and exits 1.
"""
import os
import sys

import pefile

# In the KnownDLLs list of Windows 7, 8, 8.1, 10 and 11, x86 and x64 alike.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
              "ole32.dll", "oleaut32.dll", "comdlg32.dll", "msvcrt.dll"}
COMMON_CONTROLS = "comctl32.dll"


def imported_dlls(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


def problems_of(path, allowed):
    label = os.path.basename(path)
    if not os.path.isfile(path):
        return [f"{label} is missing ({path})"]
    return [f"{label} imports {dll} at load time, which is not a known DLL"
            for dll in imported_dlls(path) if dll not in allowed]


def main(argv):
    files = []  # (path, allowed)
    args = argv[1:]
    while args:
        if args[0] == "--common-controls" and len(args) > 1:
            files.append((args[1], KNOWN_DLLS | {COMMON_CONTROLS}))
            args = args[2:]
        else:
            files.append((args[0], KNOWN_DLLS))
            args = args[1:]
    if not files:
        print(__doc__)
        return 2
    problems = []
    for path, allowed in files:
        problems += problems_of(path, allowed)
    if problems:
        print("\n".join(problems))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
