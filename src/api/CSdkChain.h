#pragma once
// The process-wide table that maps a handle to its camera connection.

#include <cstdint>

#include "api/CTRing.h"

namespace nodrix {

class CNodrix;

// One registry entry. A null connection marks an entry being released;
// every caller treats it as an unknown handle.
struct CSDKDATA {
    std::int32_t handle;
    CNodrix* connection;  // owned until Release
};

class CSdkChain : public CTRing<CSDKDATA> {
public:
    // Makes a connection and registers it under a new handle, which is
    // never 0 and never one already in the table. 0 when the connection
    // cannot be allocated (nothing is registered then).
    std::int32_t Create();
    // Destroys the connection and drops its entry: 1, or 0 for a handle
    // that is unknown or already being released.
    int Release(std::int32_t handle);
    // The connection behind the handle, or null.
    CNodrix* Lookup(std::int32_t handle);
};

// The one registry, constructed when the library is loaded.
CSdkChain& SdkChain();

}  // namespace nodrix
