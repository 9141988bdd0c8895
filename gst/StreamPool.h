#pragma once
// A buffer pool whose memory is the camera stream's announced buffers.
// Acquiring a buffer waits for the stream's next filled frame; releasing it
// (downstream dropped its last reference) queues the same memory to the
// stream again. A buffer whose memory downstream still shares is never
// queued: the pool forgets it and grows a new one when needed. With every
// buffer downstream and the pool at its maximum the stream drops frames and
// counts them as lost for want of a buffer.

#include <gst/gst.h>

#include "NodrixSdkEx.h"

G_BEGIN_DECLS

#define GST_TYPE_NODRIX_STREAM_POOL (gst_nodrix_stream_pool_get_type())
G_DECLARE_FINAL_TYPE(GstNodrixStreamPool, gst_nodrix_stream_pool, GST, NODRIX_STREAM_POOL,
                     GstBufferPool)

// Announces and queues `initial` buffers of payloadBytes each on the
// connection's stream (not yet started); grows to `maximum`. NULL (with the
// SDK's error on the connection) when the stream refuses them.
GstNodrixStreamPool* gst_nodrix_stream_pool_new(int handle, gsize payloadBytes, guint initial,
                                                guint maximum);

// The connection is about to be released: nothing is queued or revoked on
// it any more (buffers still downstream are freed when they come back).
void gst_nodrix_stream_pool_detach(GstNodrixStreamPool* pool);

// Waits up to timeoutMs (-1: for ever) for the next frame. GST_FLOW_OK
// with *buffer and *frame filled; GST_FLOW_FLUSHING when a cancel or a stop
// woke it; GST_FLOW_ERROR with *waitResult the stream's answer
// (NODRIXEX_WAIT_TIMEOUT, or NODRIXEX_WAIT_FAILED: see the SDK's error).
GstFlowReturn gst_nodrix_stream_pool_wait(GstNodrixStreamPool* pool, int timeoutMs,
                                          GstBuffer** buffer, NodrixExStreamBuffer* frame,
                                          int* waitResult);

// Buffers the pool has announced, and those downstream holds now.
guint gst_nodrix_stream_pool_size(GstNodrixStreamPool* pool);
guint gst_nodrix_stream_pool_outstanding(GstNodrixStreamPool* pool);

G_END_DECLS
