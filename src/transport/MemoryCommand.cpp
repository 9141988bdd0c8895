#include "transport/MemoryCommand.h"

#include <cstring>

#include "transport/LittleEndian.h"

namespace nodrix::transport {

void BuildMemoryCommand(MemoryDirection direction, std::uint64_t address, std::uint32_t length,
                        std::uint8_t* out) {
    std::memset(out, 0, kMemoryCommandSize);
    out[0] = 'A';
    out[1] = 'U';
    out[2] = '3';
    out[3] = direction == MemoryDirection::Read ? 'R' : 'W';
    PutLe32(out + 4, 2);
    PutLe64(out + 8, address);
    PutLe32(out + 16, length);
}

}  // namespace nodrix::transport
