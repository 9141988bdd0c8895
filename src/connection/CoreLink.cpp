#include "connection/CoreLink.h"

#include <new>

#include "core/CNodrixUSB3T2SimpleSdk.h"

namespace nodrix {

void CoreDeleter::operator()(CNodrixU3T2Base* core) const { delete core; }

CoreHandle CreateCameraCore() { return CoreHandle(new (std::nothrow) CNodrixUSB3T2SimpleSdk()); }

bool CameraCoreBuiltIn() { return true; }

}  // namespace nodrix
