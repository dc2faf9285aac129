#include <iostream>

#include "tool/tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = resmelder::RunTool(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
