#include <pthread.h>

#include "ThreadName.h"

namespace nodrix_viewer {

void NameThisThread(const char* name) {
    pthread_setname_np(pthread_self(), name);
}

}  // namespace nodrix_viewer
