#pragma once
// The process-wide table that maps a handle to its camera connection.

#include <cstdint>
#include <memory>

#include "api/CTRing.h"

namespace nodrix {

class CNodrix;

// One registry entry. The table holds one reference to the connection; every
// call that finds it holds another until it returns, so a Release on one
// thread never destroys a connection under a call running on another.
struct CSDKDATA {
    std::int32_t handle;
    std::shared_ptr<CNodrix> connection;
};

class CSdkChain : public CTRing<CSDKDATA> {
public:
    // Makes a connection and registers it under a new handle, which is
    // never 0 and never one already in the table. 0 when the connection
    // cannot be allocated (nothing is registered then).
    std::int32_t Create();
    // Detaches the handle at once (later lookups fail) and destroys the
    // connection: here once the calls still inside it have returned, or,
    // when one of them is still waiting on the camera after a bounded
    // wait, by the last of them as it leaves. 1, or 0 for an unknown handle.
    int Release(std::int32_t handle);
    // The connection behind the handle, kept alive for as long as the
    // returned pointer lives; null for an unknown handle.
    std::shared_ptr<CNodrix> Lookup(std::int32_t handle);
};

// The one registry, constructed when the library is loaded.
CSdkChain& SdkChain();

}  // namespace nodrix
