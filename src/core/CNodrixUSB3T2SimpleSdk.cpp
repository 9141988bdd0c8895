#include "core/CNodrixUSB3T2SimpleSdk.h"

namespace nodrix {

// Stops the acquisition thread while the object is still whole.
CNodrixUSB3T2SimpleSdk::~CNodrixUSB3T2SimpleSdk() { Shutdown(); }

}  // namespace nodrix
