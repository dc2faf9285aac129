/* The program the resource-update benchmark edits: about 10 MB of initialized data, a version
 * resource, built stripped. It only needs to be a real program of that size. */
#include <stdio.h>

static const unsigned char kPayload[10 << 20] = {1, 2, 3, 4, 5, 6, 7, 8};

int main(int argc, char** argv) {
    (void)argv;
    printf("%d\n", kPayload[argc]);
    return 0;
}
