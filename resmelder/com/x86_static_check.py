#!/usr/bin/python3
"""Static check of the 32-bit Resmelder.dll (and its tool), which cannot run on this machine.

x86_static_check.py DLL32 DLL64 [EXE32] [--wine-libraries DIR]
Checks, with pefile, that DLL32 is a PE32 DLL for i386 (machine 0x14C); that it exports exactly
DllGetClassObject, DllCanUnloadNow, DllRegisterServer, DllUnregisterServer and DllInstall,
undecorated;
that its resources are the 64-bit build's: the same entries (type, name, language), each
byte for byte, except the type library, which must be the same library built for 32-bit
Windows (SYSKIND win32 against win64, the same names and identities); and that it imports
only from DLLs every 32-bit Windows has, and only functions those DLLs export (checked
against Wine's 64-bit builds of them in DIR, when given; msvcrt.dll, whose i386 build has
entry points of its own, by name only). EXE32, when given, must be a PE32 i386
program with the same import rule.
Prints OK and exits 0, or prints the problems and exits 1.
"""
import os
import re
import sys

import pefile

MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_FILE_DLL = 0x2000
EXPORTS = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer",
           "DllInstall"}
RT_TYPELIB = "TYPELIB"
# DLLs of the system folder of every 32-bit Windows (and of SysWOW64 on 64-bit Windows). The
# mingw runtime DLLs (libgcc_s_dw2-1.dll, libstdc++-6.dll, libwinpthread-1.dll) are not.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
               "oleaut32.dll", "msvcrt.dll", "shell32.dll", "comctl32.dll", "comdlg32.dll",
               "shlwapi.dll", "version.dll", "uxtheme.dll", "ws2_32.dll", "riched20.dll"}
# Identities the type library must carry (LIBID, CLSID, IID), as stored: little-endian GUIDs.
GUIDS = ["0F62E527-C92F-4A6F-8B61-555C07F065C7", "83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1",
         "F360290F-C146-40A6-B598-A254E424C022"]
SYS_WIN32, SYS_WIN64 = 1, 3


def load(path):
    return pefile.PE(path)


def resource_leaves(pe):
    out = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return out

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for t in root.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                d = lang.data.struct
                out[(key(t), key(n), lang.id)] = pe.get_data(d.OffsetToData, d.Size)
    return out


def guid_bytes(text):
    parts = text.split("-")
    return (int(parts[0], 16).to_bytes(4, "little") + int(parts[1], 16).to_bytes(2, "little")
            + int(parts[2], 16).to_bytes(2, "little") + bytes.fromhex(parts[3] + parts[4]))


def typelib_problems(tlb32, tlb64):
    problems = []
    for name, tlb in (("32-bit", tlb32), ("64-bit", tlb64)):
        if tlb[:4] != b"MSFT":
            problems.append(f"the {name} type library is not an MSFT type library")
            return problems
    syskind32 = int.from_bytes(tlb32[20:24], "little") & 0xF
    syskind64 = int.from_bytes(tlb64[20:24], "little") & 0xF
    if syskind32 != SYS_WIN32:
        problems.append(f"the 32-bit type library has SYSKIND {syskind32}, not win32 ({SYS_WIN32})")
    if syskind64 != SYS_WIN64:
        problems.append(f"the 64-bit type library has SYSKIND {syskind64}, not win64 ({SYS_WIN64})")
    # Names and help strings: every text of four characters or more, in both the same.
    # widl stamps the time of the build into a comment: that text may differ between the two.
    texts = [{text for text in re.findall(rb"[A-Za-z_][A-Za-z0-9_ .\-]{3,}", t)
              if not text.startswith(b"Created by WIDL")} for t in (tlb32, tlb64)]
    if texts[0] != texts[1]:
        problems.append("type library texts differ: only 32-bit %s, only 64-bit %s"
                        % (sorted(texts[0] - texts[1]), sorted(texts[1] - texts[0])))
    for needed in (b"RESBUNDLELib", b"IResBundle", b"ResBundle", b"OpenExe", b"Extract"):
        if needed not in tlb32:
            problems.append(f"the 32-bit type library lacks {needed.decode()}")
    for guid in GUIDS:
        if guid_bytes(guid) not in tlb32:
            problems.append(f"the 32-bit type library lacks {{{guid}}}")
    return problems


def wine_exports(directory, dll):
    path = os.path.join(directory, dll.lower())
    if not os.path.exists(path):
        return None
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]])
    names = set()
    for symbol in getattr(pe, "DIRECTORY_ENTRY_EXPORT", None).symbols if hasattr(
            pe, "DIRECTORY_ENTRY_EXPORT") else []:
        if symbol.name:
            names.add(symbol.name.decode())
    return names


def import_problems(pe, label, wine_dir):
    problems = []
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        if dll not in SYSTEM_DLLS:
            problems.append(f"{label} imports from {dll}, which 32-bit Windows lacks")
            continue
        # msvcrt's i386 build has entry points its x64 build lacks (_setjmp3, __p__fmode):
        # Wine's 64-bit copy cannot vouch for them, so msvcrt is checked by name only.
        known = wine_exports(wine_dir, dll) if wine_dir and dll != "msvcrt.dll" else None
        if known is None:
            continue
        for imp in entry.imports:
            if imp.name and imp.name.decode() not in known:
                problems.append(f"{label} imports {imp.name.decode()} from {dll}, which has none")
    return problems


def pe32_problems(pe, label, want_dll):
    problems = []
    if pe.FILE_HEADER.Machine != MACHINE_I386:
        problems.append(f"{label}: machine {pe.FILE_HEADER.Machine:#x}, not {MACHINE_I386:#x}")
    if pe.OPTIONAL_HEADER.Magic != PE32_MAGIC:
        problems.append(f"{label}: optional header magic {pe.OPTIONAL_HEADER.Magic:#x}, not PE32")
    if bool(pe.FILE_HEADER.Characteristics & IMAGE_FILE_DLL) != want_dll:
        problems.append(f"{label}: the DLL flag is {'missing' if want_dll else 'set'}")
    return problems


def main(argv):
    args = argv[1:]
    wine_dir = None
    if "--wine-libraries" in args:
        i = args.index("--wine-libraries")
        wine_dir = args[i + 1]
        del args[i:i + 2]
    if len(args) not in (2, 3):
        print(__doc__)
        return 2
    dll32_path, dll64_path = args[0], args[1]
    dll32, dll64 = load(dll32_path), load(dll64_path)
    problems = pe32_problems(dll32, "the 32-bit DLL", True)
    if dll64.FILE_HEADER.Machine != 0x8664:
        problems.append("the reference DLL is not the 64-bit build")

    exports = [s.name.decode() if s.name else f"#{s.ordinal}"
               for s in getattr(dll32, "DIRECTORY_ENTRY_EXPORT", None).symbols] if hasattr(
                   dll32, "DIRECTORY_ENTRY_EXPORT") else []
    if sorted(exports) != sorted(EXPORTS):
        problems.append(f"exports are {sorted(exports)}, not exactly {sorted(EXPORTS)}")

    leaves32, leaves64 = resource_leaves(dll32), resource_leaves(dll64)
    if set(leaves32) != set(leaves64):
        problems.append("resource entries differ: only 32-bit %s, only 64-bit %s"
                        % (sorted(map(str, set(leaves32) - set(leaves64))),
                           sorted(map(str, set(leaves64) - set(leaves32)))))
    wanted = {"TYPELIB": (RT_TYPELIB, 1), "REGISTRY": ("REGISTRY", 102),
              "version": (pefile.RESOURCE_TYPE["RT_VERSION"], 1),
              "icon group": (pefile.RESOURCE_TYPE["RT_GROUP_ICON"], 201)}
    for label, (rtype, rname) in wanted.items():
        if not any(k[0] == rtype and k[1] == rname for k in leaves32):
            problems.append(f"the 32-bit DLL lacks its {label} resource ({rtype}/{rname})")
    if not any(k[0] == pefile.RESOURCE_TYPE["RT_ICON"] for k in leaves32):
        problems.append("the 32-bit DLL lacks its icon image")
    for k in sorted(set(leaves32) & set(leaves64), key=str):
        if k[0] == RT_TYPELIB:
            problems += typelib_problems(leaves32[k], leaves64[k])
        elif leaves32[k] != leaves64[k]:
            problems.append(f"resource {k} differs from the 64-bit build's")

    problems += import_problems(dll32, "the 32-bit DLL", wine_dir)
    if len(args) == 3:
        exe32 = load(args[2])
        problems += pe32_problems(exe32, "the 32-bit tool", False)
        problems += import_problems(exe32, "the 32-bit tool", wine_dir)

    if problems:
        print("\n".join(problems))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
