#include "connection/CoreLink.h"

#include <new>

#if __has_include("core/CNodrixUSB3T2SimpleSdk.h")
#include "core/CNodrixUSB3T2SimpleSdk.h"
#define NODRIX_HAVE_SIMPLE_SDK 1
#else
#define NODRIX_HAVE_SIMPLE_SDK 0
#endif

namespace nodrix {

void CoreDeleter::operator()(CNodrixU3T2Base* core) const {
#if NODRIX_HAVE_CORE
    delete core;
#else
    (void)core;  // no core can exist in this build
#endif
}

CoreHandle CreateCameraCore() {
#if NODRIX_HAVE_SIMPLE_SDK
    return CoreHandle(new (std::nothrow) CNodrixUSB3T2SimpleSdk());
#else
    return CoreHandle();
#endif
}

bool CameraCoreBuiltIn() { return NODRIX_HAVE_SIMPLE_SDK != 0; }

}  // namespace nodrix
