#pragma once
// The platform's little-endian field helpers, under the transport's names
// for its driver records and camera headers.

#include "platform/LittleEndian.h"

namespace nodrix::transport {

using platform::GetLe16;
using platform::GetLe32;
using platform::GetLe64;
using platform::PutLe16;
using platform::PutLe32;
using platform::PutLe64;

}  // namespace nodrix::transport
