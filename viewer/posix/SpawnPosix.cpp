#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "Spawn.h"

extern char** environ;

namespace nodrix_viewer {

bool SpawnViewer(int device) {
    // Children are not waited for: they live as long as the user wants.
    std::signal(SIGCHLD, SIG_IGN);
    std::string program = "/proc/self/exe";
    std::string flag = "--device";
    std::string index = std::to_string(device + 1);
    char* argv[] = {program.data(), flag.data(), index.data(), nullptr};
    pid_t child = 0;
    return posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace nodrix_viewer
