// Windows entry: the wide command line, converted to UTF-8; standard output in binary mode so
// that `get` writes the bytes unchanged.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <iostream>

#include "support/xstring.h"
#include "tool/tool.h"
#include "win/system_library.h"

int wmain(int argc, wchar_t** argv) {
    // Before anything can load a library: none may come from the tool's own folder.
    win::RestrictLibrarySearchToSystem();
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(
            resmelder::XString::FromUtf16(reinterpret_cast<const char16_t*>(argv[i])).Utf8());
    }
    const int status = resmelder::RunTool(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
