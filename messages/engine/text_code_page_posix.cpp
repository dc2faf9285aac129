// Off Windows there is no system code page: the files are read and written as the Western
// code page, which is what the program's tests take the platform's to be.
#include "text_file_encoding.h"

namespace murmurex {

const AnsiCodePage& SystemCodePage() {
    return WesternCodePage();
}

}  // namespace murmurex
