// The second process of the Windows shared-memory tests.
//   platform_ipc_helper map <name> <size>   opens the block, checks the
//       parent's marks, marks offset 100 with 0xAB
//   platform_ipc_helper abandon <name>      takes the mutex and exits
//       without releasing it
// Exit code 0 on success, a distinct code for each failed check.

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/SharedMemory.h"

int main(int argc, char** argv) {
    using nodrix::platform::NamedMutex;
    using nodrix::platform::SharedMemory;
    if (argc >= 4 && std::strcmp(argv[1], "map") == 0) {
        const std::size_t size = std::strtoul(argv[3], nullptr, 10);
        SharedMemory memory;
        bool existed = false;
        if (!memory.OpenOrCreate(argv[2], size, &existed)) return 10;
        if (!existed) return 11;
        if (memory.Data()[0] != 0x5A || memory.Data()[size - 1] != 0xA5) return 12;
        memory.Data()[100] = 0xAB;
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "abandon") == 0) {
        static NamedMutex mutex;  // never released
        if (!mutex.Open(argv[2])) return 20;
        mutex.lock();
        std::_Exit(0);
    }
    return 2;
}
