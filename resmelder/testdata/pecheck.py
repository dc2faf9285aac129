#!/usr/bin/python3
"""Independent check of an edited executable with pefile.

pecheck.py ORIGINAL EDITED [--add NAME DATAFILE]... [--delete NAME]...
Checks that EDITED parses, that its headers are consistent (resource and relocation
directories, size of image, checksum, symbol table), that every resource directory is
sorted the way the loader searches it, and that its resource leaves are exactly the
original's minus the deleted names plus the added RCDATA entries (upper-cased, as the
loader looks them up), byte for byte.
Prints OK and exits 0, or prints the problems and exits 1.
"""
import sys

import pefile


def leaves(pe):
    out = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return out

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for t in root.entries:
        for n in getattr(t, "directory", None).entries if hasattr(t, "directory") else []:
            for lang in n.directory.entries if hasattr(n, "directory") else []:
                d = lang.data.struct
                out[(key(t), key(n), lang.id)] = pe.get_data(d.OffsetToData, d.Size)
    return out


def loader_upper(name):
    """The name as the loader upper-cases it: each character's simple capital, where that
    capital lower-cases back to the same character (so µ, ı, ſ, ς and ß stay)."""
    out = []
    for c in name:
        u = c.upper()
        out.append(u if len(u) == 1 and u.lower() == c else c)
    return "".join(out)


def fold(name):
    return [ord(c) for c in loader_upper(name)]


def check_sorted(directory, problems, path="root"):
    named = [e for e in directory.entries if e.name is not None]
    numeric = [e for e in directory.entries if e.name is None]
    if directory.entries[: len(named)] != named:
        problems.append(f"{path}: named entries are not first")
    names = [fold(str(e.name)) for e in named]
    if names != sorted(names):
        problems.append(f"{path}: names not sorted: {[str(e.name) for e in named]}")
    ids = [e.id for e in numeric]
    if ids != sorted(ids):
        problems.append(f"{path}: ids not ascending: {ids}")
    for e in directory.entries:
        if hasattr(e, "directory"):
            check_sorted(e.directory, problems, f"{path}/{e.name or e.id}")


def section_of(pe, rva):
    for s in pe.sections:
        if s.VirtualAddress <= rva < s.VirtualAddress + max(s.Misc_VirtualSize, s.SizeOfRawData):
            return s
    return None


def main(argv):
    original_path, edited_path = argv[1], argv[2]
    adds, deletes = {}, set()
    i = 3
    while i < len(argv):
        if argv[i] == "--add":
            with open(argv[i + 2], "rb") as f:
                adds[argv[i + 1]] = f.read()
            i += 3
        elif argv[i] == "--delete":
            deletes.add(argv[i + 1])
            i += 2
        else:
            raise SystemExit(f"unknown argument {argv[i]}")

    original = pefile.PE(original_path)
    edited = pefile.PE(edited_path)
    problems = []
    new_warnings = set(edited.get_warnings()) - set(original.get_warnings())
    problems += [f"pefile warning: {w}" for w in new_warnings]

    opt = edited.OPTIONAL_HEADER
    if original.OPTIONAL_HEADER.CheckSum != 0 and not edited.verify_checksum():
        problems.append(f"checksum {opt.CheckSum:#x} != {edited.generate_checksum():#x}")

    res_dir = opt.DATA_DIRECTORY[2]
    # An edited image may keep an old, unreferenced .rsrc beside the new one at the end.
    rsrc = [s for s in edited.sections if s.Name.rstrip(b"\0") == b".rsrc"]
    if rsrc and res_dir.VirtualAddress != 0:
        if not any(res_dir.VirtualAddress == s.VirtualAddress and
                   res_dir.Size <= s.Misc_VirtualSize for s in rsrc):
            problems.append("resource directory entry does not match a .rsrc section")
    reloc_dir = opt.DATA_DIRECTORY[5]
    if reloc_dir.VirtualAddress != 0:
        s = section_of(edited, reloc_dir.VirtualAddress)
        if s is None or s.Name.rstrip(b"\0") != b".reloc":
            problems.append("base relocation directory is not inside .reloc")
        elif edited.get_data(reloc_dir.VirtualAddress, reloc_dir.Size) != original.get_data(
                original.OPTIONAL_HEADER.DATA_DIRECTORY[5].VirtualAddress,
                original.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size):
            problems.append("base relocation data changed")

    end = 0
    previous_end = 0
    for s in edited.sections:
        if s.VirtualAddress < previous_end:
            problems.append(f"section {s.Name} overlaps the one before")
        extent = s.Misc_VirtualSize or s.SizeOfRawData
        previous_end = s.VirtualAddress + extent
        end = max(end, previous_end)
    align = opt.SectionAlignment
    if opt.SizeOfImage != (end + align - 1) // align * align:
        problems.append(f"size of image {opt.SizeOfImage:#x}, sections end at {end:#x}")

    if original.FILE_HEADER.PointerToSymbolTable:
        count = original.FILE_HEADER.NumberOfSymbols * 18
        old = original.__data__[original.FILE_HEADER.PointerToSymbolTable:][:count]
        new = edited.__data__[edited.FILE_HEADER.PointerToSymbolTable:][:count]
        if old != new:
            problems.append("symbol table did not move with its bytes")

    if hasattr(edited, "DIRECTORY_ENTRY_RESOURCE"):
        check_sorted(edited.DIRECTORY_ENTRY_RESOURCE, problems)

    # Names are matched as the loader matches them, and added ones are stored upper-cased.
    deleted = {loader_upper(name) for name in deletes}
    expected = {k: v for k, v in leaves(original).items()
                if loader_upper(str(k[0])) not in deleted and loader_upper(str(k[1])) not in deleted}
    for name, data in adds.items():
        expected[(10, loader_upper(name), 1)] = data
    got = leaves(edited)
    for k in sorted(set(expected) | set(got), key=str):
        if expected.get(k) != got.get(k):
            problems.append(f"leaf {k}: expected {len(expected.get(k) or b'')} bytes, "
                            f"got {None if got.get(k) is None else len(got[k])}")

    if problems:
        print("\n".join(problems))
        return 1
    print(f"OK: {len(got)} leaves")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
