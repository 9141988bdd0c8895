#pragma once
// The metadata of one camera frame, attached to every buffer nodrixsrc
// pushes. An application reads it without linking the plugin:
//
//   const GstNodrixFrameMeta* meta = (const GstNodrixFrameMeta*)
//       gst_buffer_get_meta(buffer, g_type_from_name("GstNodrixFrameMetaAPI"));
//
// The type exists once the plugin is loaded (an element was made).

#include <gst/gst.h>

G_BEGIN_DECLS

typedef struct {
    GstMeta meta;
    guint32 frame_number;       /* the camera's, wraps after 0xFFFFFFFF */
    guint64 completion_time_us; /* host monotonic clock when the frame completed */
    gint32 exposure_us;         /* exposure in effect, microseconds */
    gint32 gain;                /* global gain code in effect */
    gint32 window_y;            /* top row of the capture window on the sensor */
    gint32 significant_bits;    /* 8, 12 (the camera's 16-bit samples) or 16 */
    guint32 lost_before;        /* frames lost since the previous buffer */
} GstNodrixFrameMeta;

#define GST_NODRIX_FRAME_META_API_NAME "GstNodrixFrameMetaAPI"

GType gst_nodrix_frame_meta_api_get_type(void);
const GstMetaInfo* gst_nodrix_frame_meta_get_info(void);
GstNodrixFrameMeta* gst_buffer_add_nodrix_frame_meta(GstBuffer* buffer);

G_END_DECLS
