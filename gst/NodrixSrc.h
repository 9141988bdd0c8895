#pragma once
// nodrixsrc: the camera as a live source of grey video frames, pushed in
// buffers whose memory the camera's stream filled directly.

#include <gst/base/gstpushsrc.h>
#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_NODRIX_SRC (gst_nodrix_src_get_type())
G_DECLARE_FINAL_TYPE(GstNodrixSrc, gst_nodrix_src, GST, NODRIX_SRC, GstPushSrc)

// The caps nodrixsrc can give on this camera model, before one is open.
GstCaps* gst_nodrix_src_template_caps(void);

G_END_DECLS
