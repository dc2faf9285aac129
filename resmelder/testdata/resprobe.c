/* A small Windows program whose resources the tests edit. Run as
 *   resprobe NAME EXPECTED_FILE [NAME EXPECTED_FILE]...
 *   resprobe --list LIST_FILE      (lines "NAME<TAB>EXPECTED_FILE", UTF-8)
 *   resprobe --no-version ...      (the same, without reading the version resource)
 * it finds each RCDATA entry NAME through the loader, with FindResourceA (the name in the
 * ANSI code page) and with FindResourceW, compares its bytes with the file, then reads its own
 * version resource. Names are looked up exactly as given: the loader upper-cases them itself.
 * Exit status 0 when everything matches. The list file keeps names with accents away from
 * command-line conversions. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static int compare(const char* label, HRSRC found, const char* expected_path) {
    HGLOBAL loaded = LoadResource(NULL, found);
    DWORD size = SizeofResource(NULL, found);
    const unsigned char* bytes = (const unsigned char*)LockResource(loaded);
    FILE* f = fopen(expected_path, "rb");
    if (!f) {
        printf("cannot open %s\n", expected_path);
        return 0;
    }
    unsigned char* want = (unsigned char*)malloc(size + 1);
    size_t got = fread(want, 1, size + 1, f);
    fclose(f);
    int ok = got == size && (size == 0 || (bytes && memcmp(bytes, want, size) == 0));
    free(want);
    if (!ok)
        printf("mismatch: %s (size %lu, file %lu)\n", label, size, (unsigned long)got);
    return ok;
}

/* The entry through both loader calls; `wide` is the name as UTF-16. */
static int check_entry_wide(const wchar_t* wide, const char* expected_path) {
    char ansi[1024];
    char utf8[1024];
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, NULL, NULL);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, NULL, NULL);
    int ok = 1;
    HRSRC byAnsi = FindResourceA(NULL, ansi, MAKEINTRESOURCEA(10));
    if (!byAnsi) {
        printf("not found by FindResourceA: %s (%lu)\n", utf8, GetLastError());
        ok = 0;
    } else {
        ok = compare(utf8, byAnsi, expected_path) && ok;
    }
    HRSRC byWide = FindResourceW(NULL, wide, MAKEINTRESOURCEW(10));
    if (!byWide) {
        printf("not found by FindResourceW: %s (%lu)\n", utf8, GetLastError());
        ok = 0;
    } else {
        ok = compare(utf8, byWide, expected_path) && ok;
    }
    return ok;
}

static int check_entry(const char* name, const char* expected_path) {
    wchar_t wide[512];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 512);
    return check_entry_wide(wide, expected_path);
}

static int check_list(const char* list_path) {
    FILE* f = fopen(list_path, "rb");
    if (!f) {
        printf("cannot open %s\n", list_path);
        return 0;
    }
    char line[2048];
    int ok = 1;
    int entries = 0;
    while (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        char* tab = strchr(line, '\t');
        if (!tab)
            continue;
        *tab = 0;
        wchar_t wide[512];
        MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, 512);
        ok = check_entry_wide(wide, tab + 1) && ok;
        ++entries;
    }
    fclose(f);
    return ok && entries > 0;
}

static int check_version(void) {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) {
        printf("no version info (%lu)\n", GetLastError());
        return 0;
    }
    void* block = malloc(size);
    int ok = 0;
    if (GetFileVersionInfoA(path, 0, size, block)) {
        char* value = NULL;
        UINT len = 0;
        if (VerQueryValueA(block, "\\StringFileInfo\\040904b0\\ProductName", (void**)&value,
                           &len) &&
            strcmp(value, "Resprobe") == 0) {
            ok = 1;
        }
    }
    free(block);
    if (!ok)
        printf("version info unreadable\n");
    return ok;
}

int main(int argc, char** argv) {
    /* A program built without resources has no version to read: --no-version skips it. */
    int ok = 1;
    if (argc > 1 && strcmp(argv[1], "--no-version") == 0) {
        --argc;
        ++argv;
    } else {
        ok = check_version();
    }
    if (argc == 3 && strcmp(argv[1], "--list") == 0) {
        ok = check_list(argv[2]) && ok;
    } else {
        for (int i = 1; i + 1 < argc; i += 2) {
            ok = check_entry(argv[i], argv[i + 1]) && ok;
        }
    }
    if (ok)
        printf("resprobe: all found\n");
    return ok ? 0 : 1;
}
