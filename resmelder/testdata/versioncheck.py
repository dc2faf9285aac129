#!/usr/bin/python3
"""Independent reading of an executable's version resource with pefile.

versioncheck.py FILE
Prints, one per line: "file A.B.C.D", "product A.B.C.D", "translation LLLL CCCC" (hex) for
each translation pair, and "string LLLLCCCC KEY=VALUE" for each string of each table (key and
value UTF-8, table key in lower case). Exits 1 when pefile finds no version resource.
"""
import sys

import pefile


def text(b):
    return b.decode("utf-8") if isinstance(b, bytes) else str(b)


def version(ms, ls):
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def main(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "VS_FIXEDFILEINFO") or not pe.VS_FIXEDFILEINFO:
        print("no version resource")
        return 1
    fixed = pe.VS_FIXEDFILEINFO[0]
    print("file", version(fixed.FileVersionMS, fixed.FileVersionLS))
    print("product", version(fixed.ProductVersionMS, fixed.ProductVersionLS))
    for group in getattr(pe, "FileInfo", []):
        for info in group:
            key = text(info.Key)
            if key == "VarFileInfo":
                for var in info.Var:
                    for name, pairs in var.entry.items():
                        if text(name) == "Translation":
                            words = text(pairs).split()
                            for i in range(0, len(words) - 1, 2):
                                print("translation %04x %04x" % (int(words[i], 16), int(words[i + 1], 16)))
            elif key == "StringFileInfo":
                for table in info.StringTable:
                    for name, value in table.entries.items():
                        print(f"string {text(table.LangID).lower()} {text(name)}={text(value)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
