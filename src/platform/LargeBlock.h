#pragma once
// A large block of memory that frames stream through: page aligned, backed by
// large pages where the system gives them on request, every page present
// once allocated. Filling and writing out a block of tens of megabytes on
// small pages costs a page fault per 4 KiB at its first use and a
// translation miss per 4 KiB on every pass, for the thread that fills it and
// for the system's copy when it is written to a file; on large pages both
// are a few hundred times rarer.

#include <cstddef>
#include <cstdint>

namespace nodrix::platform {

class LargeBlock {
public:
    LargeBlock() = default;
    ~LargeBlock();
    LargeBlock(const LargeBlock&) = delete;
    LargeBlock& operator=(const LargeBlock&) = delete;

    // Frees what was held, then allocates and touches bytes bytes. False
    // when the memory is missing.
    bool Allocate(std::size_t bytes);
    void Free();
    std::uint8_t* Data() const { return data_; }
    // The bytes held: at least what was asked for, 0 when none.
    std::size_t Bytes() const { return mapped_; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t mapped_ = 0;
};

}  // namespace nodrix::platform
