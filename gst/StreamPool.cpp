#include "StreamPool.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// One announced buffer: its identifier on the stream and the GstBuffer
// that carries its memory downstream. The pixels belong to the GstMemory
// and are freed with it, so a copy downstream that shares them keeps them.
struct Slot {
    int id = 0;
    GstBuffer* buffer = nullptr;
    GstMemory* memory = nullptr;  // owned by buffer
    bool downstream = false;
};

constexpr gsize kAlignment = 64;
// Empty buffers kept queued ahead of the camera while the pool may grow:
// enough for the frames of a streaming thread that comes back late on a
// loaded machine.
constexpr int kSpareBuffers = 4;

}  // namespace

struct _GstNodrixStreamPool {
    GstBufferPool parent;
    std::mutex* lock;  // the slots, the handle
    std::vector<std::unique_ptr<Slot>>* slots;
    int handle;  // 0 once detached
    gsize payloadBytes;
    guint maximum;
    // Written and read by the one streaming thread that waits.
    int timeoutMs;
    int waitResult;
    NodrixExStreamBuffer frame;
};

G_DEFINE_TYPE(GstNodrixStreamPool, gst_nodrix_stream_pool, GST_TYPE_BUFFER_POOL)

namespace {

Slot* FindSlot(GstNodrixStreamPool* pool, int id) {
    for (auto& slot : *pool->slots) {
        if (slot->id == id) return slot.get();
    }
    return nullptr;
}

Slot* FindSlot(GstNodrixStreamPool* pool, GstBuffer* buffer) {
    for (auto& slot : *pool->slots) {
        if (slot->buffer == buffer) return slot.get();
    }
    return nullptr;
}

GstMemory* WrapPixels(gsize bytes) {
    void* pixels = nullptr;
    if (posix_memalign(&pixels, kAlignment, bytes) != 0) return nullptr;
    return gst_memory_new_wrapped(GstMemoryFlags(0), pixels, bytes, 0, bytes, pixels, free);
}

// Announces one more buffer and queues it (pool locked).
bool AddSlot(GstNodrixStreamPool* pool) {
    if (pool->handle == 0 || pool->slots->size() >= pool->maximum) return false;
    GstMemory* memory = WrapPixels(pool->payloadBytes);
    if (memory == nullptr) return false;
    GstMapInfo map;
    gst_memory_map(memory, &map, GST_MAP_READ);
    void* pixels = map.data;
    gst_memory_unmap(memory, &map);
    auto slot = std::make_unique<Slot>();
    if (!NodrixEx_StreamAnnounceBuffer(pool->handle, pixels, pool->payloadBytes, nullptr,
                                       &slot->id)) {
        gst_memory_unref(memory);
        return false;
    }
    slot->buffer = gst_buffer_new();
    slot->memory = memory;
    gst_buffer_append_memory(slot->buffer, memory);
    GST_BUFFER_FLAG_UNSET(slot->buffer, GST_BUFFER_FLAG_TAG_MEMORY);
    if (!NodrixEx_StreamQueueBuffer(pool->handle, slot->id)) {
        NodrixEx_StreamRevokeBuffer(pool->handle, slot->id, nullptr, nullptr);
        gst_buffer_unref(slot->buffer);
        return false;
    }
    pool->slots->push_back(std::move(slot));
    return true;
}

// Forgets a buffer (pool locked): the stream no longer knows it, and its
// memory lives on as long as anyone downstream shares it.
void DropSlot(GstNodrixStreamPool* pool, Slot* slot) {
    if (pool->handle != 0) NodrixEx_StreamRevokeBuffer(pool->handle, slot->id, nullptr, nullptr);
    gst_buffer_unref(slot->buffer);
    for (auto it = pool->slots->begin(); it != pool->slots->end(); ++it) {
        if (it->get() == slot) {
            pool->slots->erase(it);
            break;
        }
    }
}

gboolean PoolStart(GstBufferPool*) {
    return TRUE;
}

gboolean PoolStop(GstBufferPool* base) {
    auto* pool = GST_NODRIX_STREAM_POOL(base);
    std::lock_guard<std::mutex> guard(*pool->lock);
    while (!pool->slots->empty()) DropSlot(pool, pool->slots->back().get());
    return TRUE;
}

// Slots not downstream: queued, filled or waiting for the pool's end.
guint Available(GstNodrixStreamPool* pool) {
    guint available = 0;
    for (auto& slot : *pool->slots) {
        if (!slot->downstream) ++available;
    }
    return available;
}

// Empty buffers the stream has queued now (pool locked).
int EmptyQueued(GstNodrixStreamPool* pool) {
    NodrixExStreamInfo info = {};
    info.size = sizeof info;
    return NodrixEx_StreamGetInfo(pool->handle, &info) ? info.queued : 0;
}

GstFlowReturn PoolAcquire(GstBufferPool* base, GstBuffer** buffer, GstBufferPoolAcquireParams*) {
    auto* pool = GST_NODRIX_STREAM_POOL(base);
    int handle;
    {
        std::lock_guard<std::mutex> guard(*pool->lock);
        // Grow before the stream runs dry: a downstream that keeps buffers
        // (a queue, an encoder's look-ahead) should not cost frames while
        // the pool may still grow.
        if (pool->handle != 0) {
            for (int empty = EmptyQueued(pool); empty < kSpareBuffers && AddSlot(pool); ++empty) {
            }
        }
        handle = pool->handle;
    }
    if (handle == 0 || GST_BUFFER_POOL_IS_FLUSHING(base)) return GST_FLOW_FLUSHING;
    pool->frame = {};
    pool->frame.size = sizeof pool->frame;
    pool->waitResult = NodrixEx_StreamWaitBuffer(handle, pool->timeoutMs, &pool->frame);
    switch (pool->waitResult) {
        case NODRIXEX_WAIT_BUFFER:
            break;
        case NODRIXEX_WAIT_CANCELLED:
        case NODRIXEX_WAIT_STOPPED:
            return GST_FLOW_FLUSHING;
        default:
            return GST_FLOW_ERROR;
    }
    std::lock_guard<std::mutex> guard(*pool->lock);
    Slot* slot = FindSlot(pool, pool->frame.id);
    if (slot == nullptr) return GST_FLOW_ERROR;
    slot->downstream = true;
    if (pool->frame.bytes != gst_buffer_get_size(slot->buffer)) {
        gst_buffer_set_size(slot->buffer, static_cast<gssize>(pool->frame.bytes));
    }
    *buffer = slot->buffer;
    return GST_FLOW_OK;
}

void PoolRelease(GstBufferPool* base, GstBuffer* buffer) {
    auto* pool = GST_NODRIX_STREAM_POOL(base);
    std::lock_guard<std::mutex> guard(*pool->lock);
    Slot* slot = FindSlot(pool, buffer);
    if (slot == nullptr) {
        gst_buffer_unref(buffer);
        return;
    }
    slot->downstream = false;
    // Memory a copy downstream still shares, or memory replaced downstream,
    // must not be filled again: the pool forgets that buffer.
    const bool intact = gst_buffer_n_memory(buffer) == 1 &&
                        gst_buffer_peek_memory(buffer, 0) == slot->memory &&
                        gst_buffer_is_all_memory_writable(buffer);
    if (!intact) {
        DropSlot(pool, slot);
        return;
    }
    // While the pool is flushing the stream is stopped or stopping; the
    // buffer waits, announced, for the pool's end.
    if (pool->handle != 0 && !GST_BUFFER_POOL_IS_FLUSHING(base) &&
        !NodrixEx_StreamQueueBuffer(pool->handle, slot->id)) {
        DropSlot(pool, slot);
    }
}

void PoolFinalize(GObject* object) {
    auto* pool = GST_NODRIX_STREAM_POOL(object);
    delete pool->slots;
    delete pool->lock;
    G_OBJECT_CLASS(gst_nodrix_stream_pool_parent_class)->finalize(object);
}

}  // namespace

static void gst_nodrix_stream_pool_class_init(GstNodrixStreamPoolClass* klass) {
    auto* pool = GST_BUFFER_POOL_CLASS(klass);
    pool->start = PoolStart;
    pool->stop = PoolStop;
    pool->acquire_buffer = PoolAcquire;
    pool->release_buffer = PoolRelease;
    G_OBJECT_CLASS(klass)->finalize = PoolFinalize;
}

static void gst_nodrix_stream_pool_init(GstNodrixStreamPool* pool) {
    pool->lock = new std::mutex;
    pool->slots = new std::vector<std::unique_ptr<Slot>>;
    pool->handle = 0;
    pool->payloadBytes = 0;
    pool->maximum = 0;
    pool->timeoutMs = NODRIXEX_WAIT_INFINITE;
    pool->waitResult = NODRIXEX_WAIT_FAILED;
    pool->frame = {};
}

GstNodrixStreamPool* gst_nodrix_stream_pool_new(int handle, gsize payloadBytes, guint initial,
                                                guint maximum) {
    auto* pool = GST_NODRIX_STREAM_POOL(g_object_new(GST_TYPE_NODRIX_STREAM_POOL, nullptr));
    gst_object_ref_sink(pool);
    pool->handle = handle;
    pool->payloadBytes = payloadBytes;
    pool->maximum = maximum;
    GstStructure* config = gst_buffer_pool_get_config(GST_BUFFER_POOL(pool));
    gst_buffer_pool_config_set_params(config, nullptr, static_cast<guint>(payloadBytes), 0,
                                      maximum);
    bool ok = gst_buffer_pool_set_config(GST_BUFFER_POOL(pool), config) &&
              gst_buffer_pool_set_active(GST_BUFFER_POOL(pool), TRUE);
    {
        std::lock_guard<std::mutex> guard(*pool->lock);
        for (guint i = 0; ok && i < initial; ++i) ok = AddSlot(pool);
    }
    if (!ok) {
        gst_buffer_pool_set_active(GST_BUFFER_POOL(pool), FALSE);
        gst_object_unref(pool);
        return nullptr;
    }
    return pool;
}

void gst_nodrix_stream_pool_detach(GstNodrixStreamPool* pool) {
    std::lock_guard<std::mutex> guard(*pool->lock);
    pool->handle = 0;
}

GstFlowReturn gst_nodrix_stream_pool_wait(GstNodrixStreamPool* pool, int timeoutMs,
                                          GstBuffer** buffer, NodrixExStreamBuffer* frame,
                                          int* waitResult) {
    pool->timeoutMs = timeoutMs;
    const GstFlowReturn result =
        gst_buffer_pool_acquire_buffer(GST_BUFFER_POOL(pool), buffer, nullptr);
    *frame = pool->frame;
    *waitResult = pool->waitResult;
    return result;
}

guint gst_nodrix_stream_pool_size(GstNodrixStreamPool* pool) {
    std::lock_guard<std::mutex> guard(*pool->lock);
    return static_cast<guint>(pool->slots->size());
}

guint gst_nodrix_stream_pool_outstanding(GstNodrixStreamPool* pool) {
    std::lock_guard<std::mutex> guard(*pool->lock);
    return static_cast<guint>(pool->slots->size()) - Available(pool);
}
