// libFuzzer entry point.
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resmelder::FuzzOneInput(data, size);
    return 0;
}
