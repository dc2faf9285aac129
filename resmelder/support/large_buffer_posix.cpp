// POSIX large buffers: on Linux, blocks from the threshold up are mapped at a large-page
// boundary and marked for transparent huge pages (where the system has them switched off,
// the mark does nothing and the block is an ordinary one).

#include <sys/mman.h>

#include "support/large_buffer.h"

namespace resmelder {
namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

}  // namespace

struct LargeBuffer::Impl {
    void* mapped = nullptr;
    std::size_t mappedSize = 0;
};

void LargeBuffer::ImplDeleter::operator()(Impl* impl) const noexcept {
    ::munmap(impl->mapped, impl->mappedSize);
    std::default_delete<Impl>()(impl);
}

namespace {

// A block of whole large pages starting at a large-page boundary: mapped with a large page
// to spare, then trimmed at both ends.
void* MapAligned(std::size_t size, std::size_t& mappedSize) {
    mappedSize = (size + kLargePage - 1) / kLargePage * kLargePage;
    const std::size_t spare = mappedSize + kLargePage;
    void* raw = ::mmap(nullptr, spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned != start) {
        ::munmap(raw, aligned - start);
    }
    if (const std::size_t tail = start + spare - (aligned + mappedSize); tail != 0) {
        ::munmap(reinterpret_cast<void*>(aligned + mappedSize), tail);
    }
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), mappedSize, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

std::uint8_t* LargeBuffer::MapLargePages(std::size_t size) {
#ifdef MADV_HUGEPAGE
    if (size >= kLargePageThreshold) {
        std::size_t mappedSize = 0;
        if (void* mapped = MapAligned(size, mappedSize)) {
            impl_.reset(std::make_unique<Impl>(Impl{mapped, mappedSize}).release());
            return static_cast<std::uint8_t*>(mapped);
        }
    }
#else
    (void)size;
#endif
    return nullptr;
}

}  // namespace resmelder
