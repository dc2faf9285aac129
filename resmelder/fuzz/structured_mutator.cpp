// libFuzzer's custom mutator for resmelder_fuzz_structured: most steps apply one of the
// structure-aware PE mutations (located by parsing the input), the rest are libFuzzer's own
// byte-level changes, so the hostile structures also meet noise and each other.
#include <cstring>

#include "fuzz/pe_mutator.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    using namespace resmelder::fuzz;
    if (seed % 4 == 0) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const auto kinds = AllMutations();
    const std::uint32_t step = seed / 4;
    const auto mutant = Mutate({data, size}, kinds[step % kinds.size()],
                               static_cast<std::uint32_t>(step / kinds.size()));
    // The mutations work in place, but an input libFuzzer shortened may have lost its tail.
    if (!mutant || mutant->bytes.size() > maxSize) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    std::memcpy(data, mutant->bytes.data(), mutant->bytes.size());
    return mutant->bytes.size();
}
