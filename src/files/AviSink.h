#pragma once
// Where an AVI writer's bytes go: normally its open file; a test may hand in
// memory that fails on demand.

#include <cstdint>

namespace nodrix::files {

class AviSink {
public:
    virtual ~AviSink() = default;
    // Writes size bytes at the current position; false when not all of
    // them were written.
    virtual bool Write(const void* data, std::uint32_t size) = 0;
    // Moves the current position to offset bytes from the start.
    virtual bool Seek(std::uint32_t offset) = 0;
    // Cuts the bytes from size on (what a failed write left behind).
    virtual bool Truncate(std::uint32_t size) = 0;
    virtual void Close() = 0;
};

}  // namespace nodrix::files
