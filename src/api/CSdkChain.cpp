#include "api/CSdkChain.h"

#include <cstdlib>
#include <new>

#include "api/DriverPortChoice.h"
#include "connection/CNodrix.h"
#include "platform/Time.h"

namespace nodrix {

namespace {
// Constructed at load and destroyed at unload; connections still registered
// then are not shut down (their threads may already be gone), so the table
// lets go of them without destroying them.
class LeakedAtUnload : public CSdkChain {
public:
    ~LeakedAtUnload() override {
        while (Count() != 0) {
            std::int32_t handle = 0;
            if (!CurrentHandle(&handle)) break;
            WithNode(handle, [](Node* node) {
                if (node != nullptr) new std::shared_ptr<CNodrix>(std::move(node->data.connection));
                return 0;
            });
            Remove(handle);
        }
    }
};
LeakedAtUnload g_sdkChain;

// The registry's deleter. The last reference can go inside the
// connection's own frame callback (an export called from there after
// Release stopped waiting for it); the worker thread running that callback
// cannot join itself, so it ends and destroys the connection instead.
void DestroyConnection(CNodrix* connection) {
    if (connection != nullptr && connection->Acquiring().Frames().InOwnFrameCallback()) {
        connection->Acquiring().DestroyWhenWorkerEnds();
        return;
    }
    delete connection;
}

// How long Release waits for calls still inside the connection before it
// leaves the destruction to the last of them. Every call that waits on the
// camera is bounded well below this.
constexpr std::uint32_t kReleaseWaitMs = 15000;
}  // namespace

CSdkChain& SdkChain() {
    return g_sdkChain;
}

std::int32_t CSdkChain::Create() {
    CNodrix* made = new (std::nothrow) CNodrix(api::ActiveDriverPort());
    if (made == nullptr) return 0;
    std::shared_ptr<CNodrix> connection(made, DestroyConnection);

    platform::LockGuard guard(Lock());
    // Tick count, pseudo-random number and entry count, in wrap-around
    // arithmetic; computed again on the rare zero or collision so that a
    // handle always names exactly one connection.
    std::int32_t handle = 0;
    do {
        const std::uint32_t sum =
            platform::TickCount() + static_cast<std::uint32_t>(std::rand()) + Count();
        handle = static_cast<std::int32_t>(sum);
    } while (handle == 0 || Contains(handle));

    if (!Add(CSDKDATA{handle, std::move(connection)})) return 0;
    return handle;
}

int CSdkChain::Release(std::int32_t handle) {
    std::shared_ptr<CNodrix> connection;
    {
        // Detached under the lock: a second Release, or any lookup, from
        // another thread finds the handle unknown from here on.
        platform::LockGuard guard(Lock());
        connection = WithNode(handle, [](Node* node) {
            return node != nullptr ? std::move(node->data.connection) : nullptr;
        });
        if (connection == nullptr) return 0;
        Remove(handle);
    }
    // Threads waiting in the connection's stream return now, so that the
    // shutdown below need not wait for their time-outs.
    connection->Acquiring().Stream().StreamReleased();
    // The shutdown runs on this thread when the calls in flight return in
    // time, so that the camera is closed when Release returns; other handles
    // stay usable meanwhile.
    const std::uint32_t start = platform::TickCount();
    while (connection.use_count() > 1 && platform::TickCount() - start < kReleaseWaitMs) {
        platform::SleepMs(1);
    }
    connection.reset();
    return 1;
}

std::shared_ptr<CNodrix> CSdkChain::Lookup(std::int32_t handle) {
    return WithNode(handle, [](Node* node) -> std::shared_ptr<CNodrix> {
        return node != nullptr ? node->data.connection : nullptr;
    });
}

}  // namespace nodrix
