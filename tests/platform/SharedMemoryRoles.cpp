#include "platform/SharedMemoryRoles.h"

#include <cstdlib>

#include "platform/SharedMemory.h"

namespace nodrix::platform::test {

int RunSharedMemoryRole(const std::string& role, const std::string& name, std::size_t size) {
    if (role == "map") {
        SharedMemory memory;
        bool existed = false;
        if (!memory.OpenOrCreate(name, size, &existed)) return 10;
        if (!existed) return 11;
        if (memory.Data()[0] != 0x5A || memory.Data()[size - 1] != 0xA5) return 12;
        memory.Data()[100] = 0xAB;
        return 0;
    }
    if (role == "abandon") {
        static NamedMutex mutex;  // never released
        if (!mutex.Open(name)) return 20;
        mutex.lock();
        std::_Exit(0);
    }
    return 2;
}

}  // namespace nodrix::platform::test
