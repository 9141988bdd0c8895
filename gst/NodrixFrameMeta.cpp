#include "NodrixFrameMeta.h"

namespace {

gboolean InitMeta(GstMeta* meta, gpointer, GstBuffer*) {
    auto* m = reinterpret_cast<GstNodrixFrameMeta*>(meta);
    m->frame_number = 0;
    m->completion_time_us = 0;
    m->exposure_us = 0;
    m->gain = 0;
    m->window_y = 0;
    m->significant_bits = 0;
    m->lost_before = 0;
    return TRUE;
}

// A copy of the buffer (or of a region of it) describes the same frame.
gboolean TransformMeta(GstBuffer* destination, GstMeta* meta, GstBuffer*, GQuark type, gpointer) {
    if (!GST_META_TRANSFORM_IS_COPY(type)) return FALSE;
    auto* from = reinterpret_cast<GstNodrixFrameMeta*>(meta);
    GstNodrixFrameMeta* to = gst_buffer_add_nodrix_frame_meta(destination);
    if (to == nullptr) return FALSE;
    to->frame_number = from->frame_number;
    to->completion_time_us = from->completion_time_us;
    to->exposure_us = from->exposure_us;
    to->gain = from->gain;
    to->window_y = from->window_y;
    to->significant_bits = from->significant_bits;
    to->lost_before = from->lost_before;
    return TRUE;
}

}  // namespace

GType gst_nodrix_frame_meta_api_get_type(void) {
    static GType type = 0;
    static const gchar* tags[] = {nullptr};
    if (g_once_init_enter(&type)) {
        GType t = gst_meta_api_type_register(GST_NODRIX_FRAME_META_API_NAME, tags);
        g_once_init_leave(&type, t);
    }
    return type;
}

const GstMetaInfo* gst_nodrix_frame_meta_get_info(void) {
    static const GstMetaInfo* info = nullptr;
    if (g_once_init_enter(&info)) {
        const GstMetaInfo* i =
            gst_meta_register(gst_nodrix_frame_meta_api_get_type(), "GstNodrixFrameMeta",
                              sizeof(GstNodrixFrameMeta), InitMeta, nullptr, TransformMeta);
        g_once_init_leave(&info, i);
    }
    return info;
}

GstNodrixFrameMeta* gst_buffer_add_nodrix_frame_meta(GstBuffer* buffer) {
    return reinterpret_cast<GstNodrixFrameMeta*>(
        gst_buffer_add_meta(buffer, gst_nodrix_frame_meta_get_info(), nullptr));
}
