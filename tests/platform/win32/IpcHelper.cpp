// The second process of the Windows shared-memory tests:
//   platform_ipc_helper <role> <name> [<size>]   (SharedMemoryRoles.h)

#include <cstdlib>
#include <string>

#include "platform/SharedMemoryRoles.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const std::size_t size = argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 0;
    return nodrix::platform::test::RunSharedMemoryRole(argv[1], argv[2], size);
}
