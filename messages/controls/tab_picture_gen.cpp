// Writes the tab strip's pictures as .bmp files into the folder given:
//   tab_picture_gen OUTPUT_FOLDER
// The committed files under tab_pictures/ come from this program.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>

#include "tab_pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tab_picture_gen OUTPUT_FOLDER\n");
        return 2;
    }
    for (const murmurex::TabPictureId id : murmurex::kAllTabPictures) {
        std::string stem = murmurex::TabPictureName(id);
        for (char& c : stem) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::string path = std::string(argv[1]) + "/" + stem + ".bmp";
        const auto bytes = murmurex::EncodeBmp(murmurex::DrawTabPicture(id));
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
