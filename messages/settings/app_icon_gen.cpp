// Writes the program's icons as .ico files into the folder given:
//   app_icon_gen OUTPUT_FOLDER
// The committed files under icons/ come from this program.

#include <cstdio>
#include <fstream>
#include <string>

#include "app_icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_icon_gen OUTPUT_FOLDER\n");
        return 2;
    }
    for (const murmurex::AppIconId id : murmurex::kAllAppIcons) {
        const std::string path =
            std::string(argv[1]) + "/" + murmurex::AppIconFileStem(id) + ".ico";
        const auto bytes = murmurex::AppIconFile(id);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
