#include "api/CSdkChain.h"

#include <cstdlib>

#include "connection/CNodrix.h"
#include "platform/Time.h"

namespace nodrix {

namespace {
// Constructed at load and destroyed at unload; connections still registered
// then are not shut down (their threads may already be gone).
CSdkChain g_sdkChain;
}  // namespace

CSdkChain& SdkChain() { return g_sdkChain; }

std::int32_t CSdkChain::Create() {
    CNodrix* connection = new (std::nothrow) CNodrix();
    if (connection == nullptr) return 0;

    platform::LockGuard guard(Lock());
    // Tick count, pseudo-random number and entry count, in wrap-around
    // arithmetic; computed again on the rare zero or collision so that a
    // handle always names exactly one connection.
    std::int32_t handle = 0;
    do {
        const std::uint32_t sum = platform::TickCount() + static_cast<std::uint32_t>(std::rand()) +
                                  Count();
        handle = static_cast<std::int32_t>(sum);
    } while (handle == 0 || Contains(handle));

    if (!Add(CSDKDATA{handle, connection})) {
        delete connection;
        return 0;
    }
    return handle;
}

int CSdkChain::Release(std::int32_t handle) {
    // Take the connection out under the lock so that a second Release (or
    // any lookup) from another thread sees the entry as being released.
    CNodrix* connection = WithNode(handle, [](Node* node) -> CNodrix* {
        if (node == nullptr) return nullptr;
        CNodrix* taken = node->data.connection;
        node->data.connection = nullptr;
        return taken;
    });
    if (connection == nullptr) return 0;
    // The shutdown may wait for worker threads; other handles stay usable
    // meanwhile.
    delete connection;
    Remove(handle);
    return 1;
}

CNodrix* CSdkChain::Lookup(std::int32_t handle) {
    return WithNode(handle,
                    [](Node* node) { return node != nullptr ? node->data.connection : nullptr; });
}

}  // namespace nodrix
