/* A small Windows program whose resources the tests edit. Run as
 *   resprobe NAME EXPECTED_FILE [NAME EXPECTED_FILE]...
 * it finds each RCDATA entry NAME through the loader and compares its bytes with the file,
 * then reads its own version resource. Exit status 0 when everything matches. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static int check_entry(const char* name, const char* expected_path) {
    HRSRC found = FindResourceA(NULL, name, MAKEINTRESOURCEA(10));
    if (!found) {
        printf("not found: %s (%lu)\n", name, GetLastError());
        return 0;
    }
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
        printf("mismatch: %s (size %lu, file %lu)\n", name, size, (unsigned long)got);
    return ok;
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
    int ok = check_version();
    for (int i = 1; i + 1 < argc; i += 2) {
        ok = check_entry(argv[i], argv[i + 1]) && ok;
    }
    if (ok)
        printf("resprobe: all found\n");
    return ok ? 0 : 1;
}
