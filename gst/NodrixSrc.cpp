#include "NodrixSrc.h"

#include <gst/video/video.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CameraProperties.h"
#include "Cameras.h"
#include "NodrixFrameMeta.h"
#include "NodrixSdkEx.h"
#include "ParameterTable.h"
#include "StreamPool.h"

GST_DEBUG_CATEGORY_STATIC(nodrix_src_debug);
#define GST_CAT_DEFAULT nodrix_src_debug

namespace {

enum {
    kPropDevice = 1,
    kPropTriggerMode,
    kPropTimeout,
    kPropSampleBits,
    kPropMaxBuffers,
    kPropStatistics,
    kPropFirstParameter
};

constexpr int kDefaultTimeout = NODRIXEX_WAIT_INFINITE;
constexpr int kDefaultSampleBits = 16;
constexpr guint kDefaultMaxBuffers = 64;
constexpr guint kInitialBuffers = 8;
constexpr int kSensorWidth = 1280;
constexpr int kSensorHeight = 1024;
// The sensor's pixel clock: the frame period is frame length x line length
// clocks, both of which the FPGA keeps a copy of.
constexpr double kPixelClockHz = 37037000.0;

// Everything the element holds beside its GObject parts; one lock guards
// it. The streaming thread waits for frames without the lock.
struct State {
    std::mutex lock;
    std::string device;
    bool trigger = false;
    int timeout = kDefaultTimeout;
    int sampleBits = kDefaultSampleBits;
    guint maxBuffers = kDefaultMaxBuffers;
    std::vector<std::optional<nodrix_gst::Setting>> settings;  // per parameter
    std::vector<std::string> refusals;                         // warnings waiting for a bus
    int handle = 0;
    GstNodrixStreamPool* pool = nullptr;
    int bits = 0;
    int sampleShift = 0;  // 4: 12-bit samples scaled to 16 bits
    GstClockTime period = GST_CLOCK_TIME_NONE;
    guint64 delivered = 0;
    guint64 lost = 0;
};

}  // namespace

struct _GstNodrixSrc {
    GstPushSrc parent;
    State* state;
};

G_DEFINE_TYPE(GstNodrixSrc, gst_nodrix_src, GST_TYPE_PUSH_SRC)

namespace {

using nodrix_tool::Parameter;

guint ParameterCount() {
    return static_cast<guint>(nodrix_tool::ParametersEnd() - nodrix_tool::ParametersBegin());
}

// A refused value is said on the bus; before the element has one (set on
// the command line of a pipeline) the warning waits for the start.
void Refuse(GstNodrixSrc* src, const std::string& text) {
    GST_WARNING_OBJECT(src, "%s", text.c_str());
    GstBus* bus = gst_element_get_bus(GST_ELEMENT(src));
    if (bus != nullptr) {
        gst_object_unref(bus);
        GST_ELEMENT_WARNING(src, RESOURCE, SETTINGS, ("%s", text.c_str()), (nullptr));
        return;
    }
    std::lock_guard<std::mutex> guard(src->state->lock);
    src->state->refusals.push_back(text);
}

std::string RefusalText(int handle, const Parameter& p, const nodrix_gst::Setting& s) {
    const std::string value =
        p.kind == nodrix_tool::Kind::kWindow ? s.text : std::to_string(s.number);
    return std::string(p.info.name) + "=" + value + " refused: the range is " +
           nodrix_gst::RangeText(handle, p);
}

GstCaps* CapsFor(int maxHeight, const char* firstFormat, int rateNumerator, int rateDenominator) {
    GValue formats = G_VALUE_INIT;
    gst_value_list_init(&formats, 2);
    const char* order[2] = {firstFormat,
                            g_strcmp0(firstFormat, "GRAY8") == 0 ? "GRAY16_LE" : "GRAY8"};
    for (const char* f : order) {
        GValue v = G_VALUE_INIT;
        g_value_init(&v, G_TYPE_STRING);
        g_value_set_string(&v, f);
        gst_value_list_append_and_take_value(&formats, &v);
    }
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, kSensorWidth, "height",
                                        GST_TYPE_INT_RANGE, 1, maxHeight, nullptr);
    GstStructure* s = gst_caps_get_structure(caps, 0);
    gst_structure_take_value(s, "format", &formats);
    if (rateNumerator >= 0) {
        gst_structure_set(s, "framerate", GST_TYPE_FRACTION, rateNumerator, rateDenominator,
                          nullptr);
    } else {
        gst_structure_set(s, "framerate", GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT, 1, nullptr);
    }
    return caps;
}

// The frame period the camera's timing gives now (free-running), or none.
GstClockTime FramePeriod(int handle) {
    int ok = 0;
    guint64 frameLength = 0;
    for (int i = 0; i < 4; ++i) {
        const int byte = Nodrix_Fpga_ReadRegister(handle, 80 + i, &ok);
        if (!ok) return GST_CLOCK_TIME_NONE;
        frameLength |= static_cast<guint64>(byte & (i == 3 ? 0x0F : 0xFF)) << (8 * i);
    }
    const int low = Nodrix_Fpga_ReadRegister(handle, 84, &ok);
    const int high = ok ? Nodrix_Fpga_ReadRegister(handle, 85, &ok) : 0;
    const guint64 lineLength = static_cast<guint64>((high & 0xFF) << 8 | (low & 0xFF));
    if (!ok || frameLength == 0 || lineLength == 0) return GST_CLOCK_TIME_NONE;
    return static_cast<GstClockTime>(static_cast<double>(frameLength * lineLength) / kPixelClockHz *
                                     GST_SECOND);
}

// Puts every setting made before the camera opened into effect.
void ApplySettings(GstNodrixSrc* src, int handle) {
    State& st = *src->state;
    std::vector<std::string> failures;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        for (guint i = 0; i < ParameterCount(); ++i) {
            if (!st.settings[i]) continue;
            const Parameter& p = nodrix_tool::ParametersBegin()[i];
            if (!nodrix_gst::InRange(handle, p, *st.settings[i])) {
                failures.push_back(RefusalText(handle, p, *st.settings[i]));
            } else if (!nodrix_gst::WriteSetting(handle, p, *st.settings[i])) {
                failures.push_back(std::string(p.info.name) +
                                   " not set: " + nodrix_gst::LastErrorText(handle));
            }
        }
    }
    for (const std::string& f : failures) Refuse(src, f);
}

void StopStream(State& st) {
    if (st.pool == nullptr) return;
    NodrixEx_StreamStop(st.handle);
    gst_buffer_pool_set_active(GST_BUFFER_POOL(st.pool), FALSE);
    gst_object_unref(st.pool);
    st.pool = nullptr;
}

gboolean Start(GstBaseSrc* base) {
    auto* src = GST_NODRIX_SRC(base);
    State& st = *src->state;
    std::string device;
    std::vector<std::string> refusals;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        device = st.device;
        refusals.swap(st.refusals);
    }
    for (const std::string& r : refusals) {
        GST_ELEMENT_WARNING(src, RESOURCE, SETTINGS, ("%s", r.c_str()), (nullptr));
    }
    std::string error;
    const int handle = nodrix_gst::OpenCamera(device, &error);
    if (handle == 0) {
        GST_ELEMENT_ERROR(src, RESOURCE, NOT_FOUND, ("%s", error.c_str()), (nullptr));
        return FALSE;
    }
    ApplySettings(src, handle);
    std::lock_guard<std::mutex> guard(st.lock);
    st.handle = handle;
    st.delivered = st.lost = 0;
    NodrixEx_ResetStreamStatistics(handle);
    return TRUE;
}

gboolean Stop(GstBaseSrc* base) {
    State& st = *GST_NODRIX_SRC(base)->state;
    std::lock_guard<std::mutex> guard(st.lock);
    if (st.pool != nullptr) gst_nodrix_stream_pool_detach(st.pool);
    const int handle = st.handle;
    StopStream(st);
    st.handle = 0;
    if (handle != 0) Nodrix_Release(handle);
    return TRUE;
}

GstCaps* GetCaps(GstBaseSrc* base, GstCaps* filter) {
    State& st = *GST_NODRIX_SRC(base)->state;
    GstCaps* caps;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        if (st.handle == 0) {
            caps = gst_pad_get_pad_template_caps(GST_BASE_SRC_PAD(base));
        } else {
            NodrixCameraInfo info = {};
            info.size = NODRIX_CAMERA_INFO_BASIC_SIZE;
            const int maxHeight =
                Nodrix_GetCameraInfo(st.handle, &info) ? info.maxHeight : kSensorHeight;
            const char* first = Nodrix_GetColorMode(st.handle) == 8 ? "GRAY8" : "GRAY16_LE";
            const GstClockTime period = st.trigger ? GST_CLOCK_TIME_NONE : FramePeriod(st.handle);
            int n = 0, d = 1;
            if (period != GST_CLOCK_TIME_NONE && period > 0) {
                gst_util_double_to_fraction(static_cast<double>(GST_SECOND) / period, &n, &d);
            }
            caps = CapsFor(maxHeight, first, n, d);
        }
    }
    if (filter != nullptr) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

// Without a choice downstream, the camera's present window and format.
GstCaps* Fixate(GstBaseSrc* base, GstCaps* caps) {
    State& st = *GST_NODRIX_SRC(base)->state;
    int height = kSensorHeight;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        if (st.handle != 0 && Nodrix_Height(st.handle) > 0) height = Nodrix_Height(st.handle);
    }
    caps = gst_caps_make_writable(caps);
    caps = gst_caps_truncate(caps);
    GstStructure* s = gst_caps_get_structure(caps, 0);
    gst_structure_fixate_field_nearest_int(s, "height", height);
    gst_structure_fixate_field_nearest_fraction(s, "framerate", 25, 1);
    return GST_BASE_SRC_CLASS(gst_nodrix_src_parent_class)->fixate(base, caps);
}

gboolean SetCaps(GstBaseSrc* base, GstCaps* caps) {
    auto* src = GST_NODRIX_SRC(base);
    State& st = *src->state;
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, caps)) return FALSE;
    const int bits = GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_GRAY8 ? 8 : 16;
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    std::lock_guard<std::mutex> guard(st.lock);
    const int h = st.handle;
    StopStream(st);
    int total = 0, y = 0;
    Nodrix_GetCaptureWindowEx(h, nullptr, nullptr, nullptr, &total, &y, nullptr);
    if (total <= 0) total = kSensorHeight;
    if (y + height > total) y = total - height;
    if (!Nodrix_SetColorMode(h, bits) ||
        !Nodrix_SetCaptureWindowEx(h, kSensorWidth, 0, kSensorWidth, total, y, height)) {
        const std::string text = nodrix_gst::LastErrorText(h);
        GST_ELEMENT_ERROR(src, CORE, NEGOTIATION,
                          ("The camera refused %d rows at %d bits: %s", height, bits, text.c_str()),
                          (nullptr));
        return FALSE;
    }
    NodrixExStreamInfo stream = {};
    stream.size = sizeof stream;
    if (!NodrixEx_StreamGetInfo(h, &stream) ||
        stream.stride != GST_VIDEO_INFO_PLANE_STRIDE(&info, 0)) {
        GST_ELEMENT_ERROR(
            src, CORE, NEGOTIATION, ("The stream's frames do not match the caps"),
            ("stride %d, caps stride %d", stream.stride, GST_VIDEO_INFO_PLANE_STRIDE(&info, 0)));
        return FALSE;
    }
    st.pool = gst_nodrix_stream_pool_new(h, static_cast<gsize>(stream.payloadBytes),
                                         MIN(kInitialBuffers, st.maxBuffers), st.maxBuffers);
    const int flags = st.trigger ? NODRIXEX_STREAM_TRIGGER : 0;
    if (st.pool == nullptr || !NodrixEx_StreamStart(h, flags)) {
        const std::string text = nodrix_gst::LastErrorText(h);
        StopStream(st);
        GST_ELEMENT_ERROR(src, RESOURCE, FAILED,
                          ("The camera's stream did not start: %s", text.c_str()), (nullptr));
        return FALSE;
    }
    st.bits = bits;
    st.sampleShift = bits == 16 && st.sampleBits == 16 ? 4 : 0;
    const int n = GST_VIDEO_INFO_FPS_N(&info), d = GST_VIDEO_INFO_FPS_D(&info);
    st.period = n > 0 ? gst_util_uint64_scale_int(GST_SECOND, d, n) : GST_CLOCK_TIME_NONE;
    return TRUE;
}

gboolean Unlock(GstBaseSrc* base) {
    State& st = *GST_NODRIX_SRC(base)->state;
    std::lock_guard<std::mutex> guard(st.lock);
    if (st.handle != 0) NodrixEx_StreamCancelWaits(st.handle, 1);
    return TRUE;
}

gboolean UnlockStop(GstBaseSrc* base) {
    State& st = *GST_NODRIX_SRC(base)->state;
    std::lock_guard<std::mutex> guard(st.lock);
    if (st.handle != 0) NodrixEx_StreamCancelWaits(st.handle, 0);
    return TRUE;
}

// 12 significant bits in 16-bit words, widened to the full 16-bit range
// (the top bits repeated below) so that a 16-bit consumer shows the picture
// at its brightness.
void ScaleSamples(GstBuffer* buffer) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return;
    auto* samples = reinterpret_cast<guint16*>(map.data);
    const gsize count = map.size / 2;
    for (gsize i = 0; i < count; ++i) {
        const guint16 s = samples[i] & 0x0FFF;
        samples[i] = static_cast<guint16>(s << 4 | s >> 8);
    }
    gst_buffer_unmap(buffer, &map);
}

GstFlowReturn Create(GstPushSrc* push, GstBuffer** out) {
    auto* src = GST_NODRIX_SRC(push);
    State& st = *src->state;
    GstNodrixStreamPool* pool;
    int timeout, handle, shift;
    GstClockTime period;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        if (st.pool == nullptr) return GST_FLOW_NOT_NEGOTIATED;
        pool = GST_NODRIX_STREAM_POOL(gst_object_ref(st.pool));
        timeout = st.timeout;
        handle = st.handle;
        shift = st.sampleShift;
        period = st.period;
    }
    GstBuffer* buffer = nullptr;
    NodrixExStreamBuffer frame;
    int waitResult = NODRIXEX_WAIT_FAILED;
    const GstFlowReturn flow =
        gst_nodrix_stream_pool_wait(pool, timeout, &buffer, &frame, &waitResult);
    gst_object_unref(pool);
    if (flow == GST_FLOW_FLUSHING) return flow;
    if (flow != GST_FLOW_OK) {
        if (waitResult == NODRIXEX_WAIT_TIMEOUT) {
            GST_ELEMENT_ERROR(src, RESOURCE, READ,
                              ("No frame from the camera within %d ms", timeout),
                              ("set timeout=-1 to wait for ever, e.g. for a trigger"));
        } else {
            const std::string text = nodrix_gst::LastErrorText(handle);
            GST_ELEMENT_ERROR(src, RESOURCE, READ, ("%s", text.c_str()), (nullptr));
        }
        return GST_FLOW_ERROR;
    }
    const NodrixExFrameMetadata& m = frame.metadata;
    int significant = m.significantBits;
    if (shift != 0 && m.bitsPerPixel == 16 && significant == 12) {
        ScaleSamples(buffer);
        significant = 16;
    }
    GstNodrixFrameMeta* meta = gst_buffer_add_nodrix_frame_meta(buffer);
    meta->frame_number = m.frameNumber;
    meta->completion_time_us = m.timestampUs;
    meta->exposure_us = m.exposure10 * 100;
    meta->gain = m.gain;
    meta->window_y = m.y;
    meta->significant_bits = significant;
    meta->lost_before = m.lostBefore;
    guint64 delivered, lost;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        delivered = ++st.delivered;
        lost = st.lost += m.lostBefore;
    }
    GST_BUFFER_OFFSET(buffer) = delivered - 1;
    GST_BUFFER_OFFSET_END(buffer) = delivered;
    GST_BUFFER_DURATION(buffer) = period;
    if (m.lostBefore > 0) {
        GstMessage* qos = gst_message_new_qos(GST_OBJECT(src), TRUE, GST_CLOCK_TIME_NONE,
                                              GST_CLOCK_TIME_NONE, GST_CLOCK_TIME_NONE, period);
        gst_message_set_qos_stats(qos, GST_FORMAT_BUFFERS, delivered, lost);
        gst_element_post_message(GST_ELEMENT(src), qos);
    }
    *out = buffer;
    return GST_FLOW_OK;
}

GstStructure* Statistics(State& st) {
    NodrixExStreamStatistics s = {};
    s.size = sizeof s;
    guint poolSize = 0, outstanding = 0;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        if (st.handle != 0) NodrixEx_GetStreamStatistics(st.handle, &s);
        if (st.pool != nullptr) {
            poolSize = gst_nodrix_stream_pool_size(st.pool);
            outstanding = gst_nodrix_stream_pool_outstanding(st.pool);
        }
    }
    return gst_structure_new(
        "nodrix-statistics", "frames-received", G_TYPE_UINT64, s.framesReceived, "frames-delivered",
        G_TYPE_UINT64, s.framesDelivered, "lost-header", G_TYPE_UINT64, s.lostHeader,
        "lost-payload", G_TYPE_UINT64, s.lostPayload, "lost-gap", G_TYPE_UINT64, s.lostGap,
        "lost-overwritten", G_TYPE_UINT64, s.lostOverwritten, "lost-no-buffer", G_TYPE_UINT64,
        s.lostNoBuffer, "recoveries", G_TYPE_UINT64, s.recoveries, "received-rate", G_TYPE_DOUBLE,
        s.receivedRate, "delivered-rate", G_TYPE_DOUBLE, s.deliveredRate, "pool-buffers",
        G_TYPE_UINT, poolSize, "pool-downstream", G_TYPE_UINT, outstanding, nullptr);
}

void SetParameter(GstNodrixSrc* src, const Parameter& p, const GValue* value) {
    State& st = *src->state;
    const nodrix_gst::Setting setting = nodrix_gst::SettingFrom(p, value);
    std::string refusal;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        const guint index = static_cast<guint>(&p - nodrix_tool::ParametersBegin());
        if (!nodrix_gst::InRange(st.handle, p, setting)) {
            refusal = RefusalText(st.handle, p, setting);
        } else if (st.handle != 0 && !nodrix_gst::WriteSetting(st.handle, p, setting)) {
            refusal =
                std::string(p.info.name) + " not set: " + nodrix_gst::LastErrorText(st.handle);
        } else {
            st.settings[index] = setting;
        }
    }
    if (!refusal.empty()) Refuse(src, refusal);
}

void GetParameter(GstNodrixSrc* src, const Parameter& p, GValue* value) {
    State& st = *src->state;
    std::lock_guard<std::mutex> guard(st.lock);
    const guint index = static_cast<guint>(&p - nodrix_tool::ParametersBegin());
    nodrix_gst::Setting setting;
    if (st.handle != 0 && nodrix_gst::ReadSetting(st.handle, p, &setting)) {
        nodrix_gst::SettingTo(p, setting, value);
    } else if (st.settings[index]) {
        nodrix_gst::SettingTo(p, *st.settings[index], value);
    } else {
        nodrix_gst::SettingTo(p, setting, value);
    }
}

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* spec) {
    auto* src = GST_NODRIX_SRC(object);
    State& st = *src->state;
    if (const Parameter* p = nodrix_gst::ParameterOf(id, kPropFirstParameter)) {
        SetParameter(src, *p, value);
        return;
    }
    std::string refusal;
    {
        std::lock_guard<std::mutex> guard(st.lock);
        switch (id) {
            case kPropDevice: {
                const char* d = g_value_get_string(value);
                st.device = d != nullptr ? d : "";
                break;
            }
            case kPropTriggerMode:
                st.trigger = g_value_get_boolean(value);
                break;
            case kPropTimeout:
                st.timeout = g_value_get_int(value);
                break;
            case kPropSampleBits: {
                const int bits = g_value_get_int(value);
                if (bits == 12 || bits == 16) {
                    st.sampleBits = bits;
                } else {
                    refusal = "sample-bits=" + std::to_string(bits) + " refused: it is 12 or 16";
                }
                break;
            }
            case kPropMaxBuffers:
                st.maxBuffers = g_value_get_uint(value);
                break;
            default:
                G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
        }
    }
    if (!refusal.empty()) Refuse(src, refusal);
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* spec) {
    auto* src = GST_NODRIX_SRC(object);
    State& st = *src->state;
    if (const Parameter* p = nodrix_gst::ParameterOf(id, kPropFirstParameter)) {
        GetParameter(src, *p, value);
        return;
    }
    if (id == kPropStatistics) {
        g_value_take_boxed(value, Statistics(st));
        return;
    }
    std::lock_guard<std::mutex> guard(st.lock);
    switch (id) {
        case kPropDevice:
            g_value_set_string(value, st.device.empty() ? nullptr : st.device.c_str());
            break;
        case kPropTriggerMode:
            g_value_set_boolean(value, st.trigger);
            break;
        case kPropTimeout:
            g_value_set_int(value, st.timeout);
            break;
        case kPropSampleBits:
            g_value_set_int(value, st.sampleBits);
            break;
        case kPropMaxBuffers:
            g_value_set_uint(value, st.maxBuffers);
            break;
        default:
            G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, spec);
    }
}

void Finalize(GObject* object) {
    delete GST_NODRIX_SRC(object)->state;
    G_OBJECT_CLASS(gst_nodrix_src_parent_class)->finalize(object);
}

}  // namespace

GstCaps* gst_nodrix_src_template_caps(void) {
    return CapsFor(kSensorHeight, "GRAY16_LE", -1, 1);
}

static void gst_nodrix_src_class_init(GstNodrixSrcClass* klass) {
    GST_DEBUG_CATEGORY_INIT(nodrix_src_debug, "nodrixsrc", 0, "NodrixT520 camera source");
    auto* object = G_OBJECT_CLASS(klass);
    auto* element = GST_ELEMENT_CLASS(klass);
    auto* base = GST_BASE_SRC_CLASS(klass);
    object->set_property = SetProperty;
    object->get_property = GetProperty;
    object->finalize = Finalize;

    const auto rw = GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS);
    const auto ready = GParamFlags(rw | GST_PARAM_MUTABLE_READY);
    g_object_class_install_property(
        object, kPropDevice,
        g_param_spec_string("device", "Device",
                            "The camera: its index (0, 1, ...), its name (NodrixT520_01) or its "
                            "serial number; unset: the first camera",
                            nullptr, ready));
    g_object_class_install_property(
        object, kPropTriggerMode,
        g_param_spec_boolean("trigger-mode", "Trigger mode",
                             "One frame per trigger instead of free-running frames", FALSE, ready));
    g_object_class_install_property(
        object, kPropTimeout,
        g_param_spec_int("timeout", "Timeout",
                         "Milliseconds to wait for a frame before the element fails; -1 waits for "
                         "ever (the default, right for a trigger that may come at any time; the "
                         "loss of the camera ends a wait at once)",
                         -1, G_MAXINT, kDefaultTimeout,
                         GParamFlags(rw | GST_PARAM_MUTABLE_PLAYING)));
    g_object_class_install_property(
        object, kPropSampleBits,
        g_param_spec_int("sample-bits", "Sample bits",
                         "GRAY16_LE output: 12 gives the camera's 12-bit samples as sent (0 to "
                         "4095); 16 scales them to the full 16-bit range (0 to 65535) so that "
                         "16-bit consumers show the picture at its brightness. 12 or 16",
                         G_MININT, G_MAXINT, kDefaultSampleBits, ready));
    g_object_class_install_property(
        object, kPropMaxBuffers,
        g_param_spec_uint("max-buffers", "Max buffers",
                          "Buffers the stream may fill at most (those downstream holds "
                          "included); once all are taken, frames are lost and counted",
                          2, 4096, kDefaultMaxBuffers, ready));
    g_object_class_install_property(
        object, kPropStatistics,
        g_param_spec_boxed("statistics", "Statistics",
                           "The stream's statistics: frames received and delivered, frames lost "
                           "by reason (lost-no-buffer: no empty buffer), rates per second, and "
                           "the buffers of the pool and those downstream holds",
                           GST_TYPE_STRUCTURE,
                           GParamFlags(G_PARAM_READABLE | G_PARAM_STATIC_STRINGS)));
    nodrix_gst::InstallCameraProperties(object, kPropFirstParameter);

    GstCaps* caps = gst_nodrix_src_template_caps();
    gst_element_class_add_pad_template(
        element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
    gst_caps_unref(caps);
    gst_element_class_set_static_metadata(
        element, "NodrixT520 camera source", "Source/Video/Hardware",
        "Live grey frames from a NodrixT520 camera, in buffers the camera's stream filled "
        "directly",
        "NodrixT520 SDK");

    base->start = Start;
    base->stop = Stop;
    base->get_caps = GetCaps;
    base->fixate = Fixate;
    base->set_caps = SetCaps;
    base->unlock = Unlock;
    base->unlock_stop = UnlockStop;
    GST_PUSH_SRC_CLASS(klass)->create = Create;
}

static void gst_nodrix_src_init(GstNodrixSrc* src) {
    src->state = new State;
    src->state->settings.resize(ParameterCount());
    gst_base_src_set_live(GST_BASE_SRC(src), TRUE);
    gst_base_src_set_format(GST_BASE_SRC(src), GST_FORMAT_TIME);
    gst_base_src_set_do_timestamp(GST_BASE_SRC(src), TRUE);
}
