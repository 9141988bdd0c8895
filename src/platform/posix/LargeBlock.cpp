#include "platform/LargeBlock.h"

#include <sys/mman.h>
#include <unistd.h>

namespace nodrix::platform {
namespace {

// The size of a transparent large page on the common processors: the block
// is aligned to it, so that every whole one inside can be a large page.
constexpr std::size_t kLargePage = 2u << 20;

}  // namespace

LargeBlock::~LargeBlock() {
    Free();
}

void LargeBlock::Free() {
    if (data_ != nullptr) ::munmap(data_, mapped_);
    data_ = nullptr;
    mapped_ = 0;
}

bool LargeBlock::Allocate(std::size_t bytes) {
    Free();
    if (bytes == 0 || bytes > SIZE_MAX - 2 * kLargePage) return false;
    const std::size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    // One large page more than needed, so that an aligned start fits; the
    // ends beyond it go back at once.
    const std::size_t reserve = size + kLargePage;
    void* mapping =
        ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return false;
    auto* const base = static_cast<std::uint8_t*>(mapping);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(base);
    auto* const aligned = base + (kLargePage - address % kLargePage) % kLargePage;
    const std::size_t head = static_cast<std::size_t>(aligned - base);
    if (head > 0) ::munmap(base, head);
    if (reserve - head > size) ::munmap(aligned + size, reserve - head - size);
    data_ = aligned;
    mapped_ = size;
#ifdef MADV_HUGEPAGE
    // Refused where large pages are off or not built in: small pages then.
    ::madvise(data_, mapped_, MADV_HUGEPAGE);
#endif
    // Every page made present now, not by the first frames.
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::size_t step = pageSize > 0 ? static_cast<std::size_t>(pageSize) : 4096;
    for (std::size_t at = 0; at < mapped_; at += step) {
        *static_cast<volatile std::uint8_t*>(data_ + at) = 0;
    }
    return true;
}

}  // namespace nodrix::platform
