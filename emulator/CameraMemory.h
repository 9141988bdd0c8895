#pragma once
// The camera's frame memory, reached by "AU3R"/"AU3W" commands on the bulk
// OUT endpoint. Kept sparse in 64 KiB pages so that an idle camera costs
// nothing; bytes never written read as 0.

#include <cstdint>
#include <map>
#include <memory>

namespace nodrix::emulator {

class CameraMemory {
public:
    void Read(std::uint64_t address, std::uint8_t* dest, std::uint32_t count) const;
    void Write(std::uint64_t address, const std::uint8_t* src, std::uint32_t count);
    void Clear() { pages_.clear(); }

private:
    static constexpr std::uint64_t kPageSize = 65536;
    std::map<std::uint64_t, std::unique_ptr<std::uint8_t[]>> pages_;
};

}  // namespace nodrix::emulator
