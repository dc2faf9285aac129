/* A program that finds a payload appended to its own file at an offset recorded in its data,
 * as self-extracting archives and installers do. The offset and size are written in after the
 * build, behind the marker. Prints the payload and exits 0 when it is where the data says;
 * exits 1 when it is not there, 2 when none was recorded. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

struct PayloadPlace {
    char marker[16];
    unsigned int offset;
    unsigned int size;
};

/* volatile: read what the file holds once patched, not the values compiled in. */
static volatile const struct PayloadPlace kPlace = {"PAYLOAD@OFFSET:", 0, 0};
static const char kMagic[] = "OVERLAY-PAYLOAD:";

int main(void) {
    wchar_t self[MAX_PATH];
    char payload[4096];
    const unsigned int offset = kPlace.offset;
    const unsigned int size = kPlace.size;
    if (size < sizeof kMagic - 1 || size >= sizeof payload ||
        GetModuleFileNameW(NULL, self, MAX_PATH) == 0) {
        puts("overlay_probe: no payload recorded");
        return 2;
    }
    FILE* file = _wfopen(self, L"rb");
    const int found = file != NULL && fseek(file, (long)offset, SEEK_SET) == 0 &&
                      fread(payload, 1, size, file) == size &&
                      memcmp(payload, kMagic, sizeof kMagic - 1) == 0;
    if (file != NULL) {
        fclose(file);
    }
    if (!found) {
        printf("overlay_probe: no payload at %u\n", offset);
        return 1;
    }
    payload[size] = '\0';
    printf("overlay_probe: %s\n", payload + sizeof kMagic - 1);
    return 0;
}
