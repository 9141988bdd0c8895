#include "connection/CoreLink.h"

#include <new>

#include "core/CNodrixUSB3T2SimpleSdk.h"

namespace nodrix {

CoreHandle CreateCameraCore() { return CoreHandle(new (std::nothrow) CNodrixUSB3T2SimpleSdk()); }

}  // namespace nodrix
