// libFuzzer entry point for the version block codec.
#include "fuzz/version_block_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resmelder::FuzzVersionBlockInput(data, size);
    return 0;
}
