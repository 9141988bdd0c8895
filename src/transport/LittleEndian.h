#pragma once
// The little-endian field helpers, under the transport's names for its
// driver records and camera headers.

#include "files/LittleEndian.h"

namespace nodrix::transport {

using files::GetLe16;
using files::GetLe32;
using files::GetLe64;
using files::PutLe16;
using files::PutLe32;
using files::PutLe64;

}  // namespace nodrix::transport
