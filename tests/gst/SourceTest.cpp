// nodrixsrc in a harness against the emulated camera: negotiation, the
// frames and their metadata, the camera's parameters, trigger mode, the loss
// of the camera, a downstream that keeps buffers, and the plugin's loading
// from a fresh registry.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../../gst/NodrixFrameMeta.h"
#include "platform/posix/PrivateSettingsFile.h"

namespace {

const GstNodrixFrameMeta* MetaOf(GstBuffer* buffer) {
    return reinterpret_cast<const GstNodrixFrameMeta*>(
        gst_buffer_get_meta(buffer, g_type_from_name(GST_NODRIX_FRAME_META_API_NAME)));
}

// The source in a harness whose sink asks for the given caps, with a bus
// of its own for the element's messages.
class Source {
public:
    Source(const std::string& description, const std::string& caps) {
        harness_ = gst_harness_new_parse(description.c_str());
        gst_harness_set_sink_caps_str(harness_, caps.c_str());
        gst_harness_use_systemclock(harness_);
        bus_ = gst_bus_new();
        gst_element_set_bus(harness_->element, bus_);
    }
    ~Source() {
        gst_harness_teardown(harness_);
        gst_object_unref(bus_);
    }
    GstHarness* harness() { return harness_; }
    GstBus* bus() { return bus_; }
    GstElement* element() {
        GstElement* e = gst_bin_get_by_name(GST_BIN(harness_->element), "src");
        gst_object_unref(e);  // the bin keeps it
        return e;
    }
    void Play() { gst_harness_play(harness_); }
    GstBuffer* Pull() { return gst_harness_pull(harness_); }
    std::string Statistics() {
        GstStructure* s = nullptr;
        g_object_get(element(), "statistics", &s, nullptr);
        gchar* text = gst_structure_to_string(s);
        std::string result = text;
        g_free(text);
        gst_structure_free(s);
        return result;
    }
    guint64 Statistic(const char* name) {
        GstStructure* s = nullptr;
        g_object_get(element(), "statistics", &s, nullptr);
        guint64 value = 0;
        if (s != nullptr) {
            if (!gst_structure_get_uint64(s, name, &value)) {
                guint small = 0;
                if (gst_structure_get_uint(s, name, &small)) value = small;
            }
            gst_structure_free(s);
        }
        return value;
    }

private:
    GstHarness* harness_;
    GstBus* bus_;
};

// The emulated ramp: (X + Y + n) & 0xFF in 8 bits, (4X + Y + n) & 0xFFF
// in 16 (12 significant bits), Y the row on the sensor.
enum class Samples { k8, k12, k16 };

std::uint32_t Expected(Samples kind, int x, int y, std::uint32_t n) {
    if (kind == Samples::k8) return (x + y + n) & 0xFF;
    const std::uint32_t s = (4u * x + y + n) & 0x0FFF;
    return kind == Samples::k12 ? s : (s << 4 | s >> 8);
}

// The first mismatching pixel as text, or empty.
std::string CheckRamp(GstBuffer* buffer, Samples kind, int height) {
    const GstNodrixFrameMeta* meta = MetaOf(buffer);
    if (meta == nullptr) return "no frame metadata";
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_READ);
    std::string problem;
    for (int row = 0; row < height && problem.empty(); ++row) {
        for (int x = 0; x < 1280; ++x) {
            const std::size_t i = static_cast<std::size_t>(row) * 1280 + x;
            const std::uint32_t got =
                kind == Samples::k8 ? map.data[i] : reinterpret_cast<const guint16*>(map.data)[i];
            const std::uint32_t want = Expected(kind, x, meta->window_y + row, meta->frame_number);
            if (got != want) {
                problem = "frame " + std::to_string(meta->frame_number) + " pixel " +
                          std::to_string(x) + "," + std::to_string(row) + ": " +
                          std::to_string(got) + " instead of " + std::to_string(want);
                break;
            }
        }
    }
    gst_buffer_unmap(buffer, &map);
    return problem;
}

struct Negotiation {
    const char* format;
    int height;
    int bytesPerPixel;
};

class NegotiationTest : public testing::TestWithParam<Negotiation> {};

TEST_P(NegotiationTest, DownstreamPicksFormatAndHeight) {
    const Negotiation n = GetParam();
    Source source("nodrixsrc name=src", std::string("video/x-raw,format=") + n.format +
                                            ",height=" + std::to_string(n.height));
    source.Play();
    GstBuffer* buffer = source.Pull();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(gst_buffer_get_size(buffer), 1280u * n.height * n.bytesPerPixel);
    GstCaps* caps = gst_pad_get_current_caps(source.harness()->sinkpad);
    GstStructure* s = gst_caps_get_structure(caps, 0);
    int width = 0, height = 0;
    gst_structure_get_int(s, "width", &width);
    gst_structure_get_int(s, "height", &height);
    EXPECT_STREQ(gst_structure_get_string(s, "format"), n.format);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, n.height);
    EXPECT_TRUE(gst_structure_has_field(s, "framerate"));
    gst_caps_unref(caps);
    gst_buffer_unref(buffer);
}

INSTANTIATE_TEST_SUITE_P(Formats, NegotiationTest,
                         testing::Values(Negotiation{"GRAY8", 1024, 1},
                                         Negotiation{"GRAY8", 512, 1},
                                         Negotiation{"GRAY16_LE", 1024, 2},
                                         Negotiation{"GRAY16_LE", 256, 2}));

struct Content {
    const char* properties;
    const char* format;
    Samples samples;
    int frames;
};

class ContentTest : public testing::TestWithParam<Content> {};

// Every frame in order, its metadata, rising timestamps and every pixel.
TEST_P(ContentTest, FramesAreConsecutiveAndPixelExact) {
    const Content c = GetParam();
    // Buffers enough for every frame: the harness keeps all it is given.
    Source source(std::string("nodrixsrc name=src max-buffers=") + std::to_string(c.frames + 8) +
                      " " + c.properties,
                  std::string("video/x-raw,format=") + c.format + ",height=1024");
    source.Play();
    std::uint32_t previousNumber = 0;
    GstClockTime previousTime = 0;
    for (int i = 0; i < c.frames; ++i) {
        GstBuffer* buffer = source.Pull();
        ASSERT_NE(buffer, nullptr);
        const GstNodrixFrameMeta* meta = MetaOf(buffer);
        ASSERT_NE(meta, nullptr);
        ASSERT_TRUE(GST_BUFFER_PTS_IS_VALID(buffer));
        // Every frame number follows the previous one; a frame lost on the
        // way (a starved machine) is accounted for in the metadata.
        if (i > 0) {
            EXPECT_EQ(meta->frame_number, previousNumber + 1 + meta->lost_before)
                << source.Statistics();
            EXPECT_GT(GST_BUFFER_PTS(buffer), previousTime);
        }
        EXPECT_EQ(meta->significant_bits, c.samples == Samples::k8    ? 8
                                          : c.samples == Samples::k12 ? 12
                                                                      : 16);
        EXPECT_EQ(CheckRamp(buffer, c.samples, 1024), "");
        previousNumber = meta->frame_number;
        previousTime = GST_BUFFER_PTS(buffer);
        gst_buffer_unref(buffer);
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, ContentTest,
                         testing::Values(Content{"", "GRAY8", Samples::k8, 100},
                                         Content{"sample-bits=12", "GRAY16_LE", Samples::k12, 5},
                                         Content{"sample-bits=16", "GRAY16_LE", Samples::k16, 5}));

// Properties reach the camera: read back, they come from the SDK. A value
// out of range is refused with a warning that states the range.
TEST(SourceProperties, ReachTheCameraAndRefuseValuesOutOfRange) {
    Source source("nodrixsrc name=src black-level=120", "video/x-raw,format=GRAY8,height=1024");
    source.Play();
    gst_buffer_unref(source.Pull());
    GstElement* src = source.element();
    int black = 0;
    g_object_get(src, "black-level", &black, nullptr);
    EXPECT_EQ(black, 120);
    g_object_set(src, "gain", 8, "mirror-h", 1, "exposure-ms", 20.0, nullptr);
    int gain = 0, mirror = 0;
    double exposure = 0;
    g_object_get(src, "gain", &gain, "mirror-h", &mirror, "exposure-ms", &exposure, nullptr);
    EXPECT_EQ(gain, 8);
    EXPECT_EQ(mirror, 1);
    EXPECT_NEAR(exposure, 20.0, 0.05);

    g_object_set(src, "black-level", 20000, nullptr);
    g_object_get(src, "black-level", &black, nullptr);
    EXPECT_EQ(black, 120);
    GstMessage* warning = gst_bus_pop_filtered(source.bus(), GST_MESSAGE_WARNING);
    ASSERT_NE(warning, nullptr);
    GError* error = nullptr;
    gst_message_parse_warning(warning, &error, nullptr);
    EXPECT_NE(std::strstr(error->message, "0 to 16383"), nullptr) << error->message;
    g_error_free(error);
    gst_message_unref(warning);
}

// Waiting for a trigger that never comes, the element still stops: the
// state change wakes the wait.
TEST(SourceTrigger, StopsWhileWaitingForATrigger) {
    Source source("nodrixsrc name=src trigger-mode=true timeout=-1",
                  "video/x-raw,format=GRAY8,height=1024");
    source.Play();
    // The streaming thread negotiates and waits for a frame.
    for (int i = 0; i < 500 && source.Statistic("pool-buffers") == 0; ++i) g_usleep(10000);
    EXPECT_GT(source.Statistic("pool-buffers"), 0u);
    EXPECT_EQ(gst_element_set_state(source.harness()->element, GST_STATE_NULL),
              GST_STATE_CHANGE_SUCCESS);
    EXPECT_EQ(source.Statistic("frames-delivered"), 0u);
}

// The camera goes (NODRIX_EMULATION unplugs it): an element error with the
// SDK's text.
TEST(SourceUnplug, CameraLossIsAnElementError) {
    Source source("nodrixsrc name=src", "video/x-raw,format=GRAY8,height=1024");
    source.Play();
    GstMessage* message =
        gst_bus_timed_pop_filtered(source.bus(), 60 * GST_SECOND, GST_MESSAGE_ERROR);
    ASSERT_NE(message, nullptr);
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    EXPECT_NE(std::strstr(error->message, "the camera was lost"), nullptr) << error->message;
    g_error_free(error);
    gst_message_unref(message);
}

// A downstream that keeps 32 buffers: the pool grows to its maximum, the
// stream then drops frames (counted, and told by a QoS message), and the
// kept buffers are never written again.
TEST(SourcePool, DownstreamKeepsBuffers) {
    constexpr int kKept = 32;
    Source source("nodrixsrc name=src max-buffers=36", "video/x-raw,format=GRAY8,height=1024");
    source.Play();
    std::vector<GstBuffer*> kept;
    for (int i = 0; i < kKept; ++i) kept.push_back(source.Pull());
    ASSERT_EQ(kept.back() != nullptr, true);
    auto full = [&] {
        return source.Statistic("lost-no-buffer") > 0 && source.Statistic("pool-buffers") == 36;
    };
    for (int i = 0; i < 3000 && !full(); ++i) g_usleep(10000);
    EXPECT_GT(source.Statistic("lost-no-buffer"), 0u);
    EXPECT_EQ(source.Statistic("pool-buffers"), 36u);
    for (GstBuffer* buffer : kept) {
        EXPECT_EQ(CheckRamp(buffer, Samples::k8, 1024), "");
        gst_buffer_unref(buffer);
    }
    // Once they are back, frames flow again; the first after the gap says
    // how many were lost.
    bool gapSeen = false;
    for (int i = 0; i < 40 && !gapSeen; ++i) {
        GstBuffer* buffer = source.Pull();
        ASSERT_NE(buffer, nullptr);
        gapSeen = MetaOf(buffer)->lost_before > 0;
        gst_buffer_unref(buffer);
    }
    EXPECT_TRUE(gapSeen);
    GstMessage* qos = gst_bus_pop_filtered(source.bus(), GST_MESSAGE_QOS);
    ASSERT_NE(qos, nullptr);
    gst_message_unref(qos);
}

TEST(SourceRegistry, PluginLoadsFromAFreshRegistry) {
    GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), "nodrix");
    ASSERT_NE(plugin, nullptr);
    EXPECT_TRUE(gst_plugin_is_loaded(plugin) || gst_plugin_load(plugin) != nullptr);
    gst_object_unref(plugin);
    GstElementFactory* factory = gst_element_factory_find("nodrixsrc");
    ASSERT_NE(factory, nullptr);
    EXPECT_STREQ(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS),
                 "Source/Video/Hardware");
    gst_object_unref(factory);
    EXPECT_TRUE(std::filesystem::exists(getenv("GST_REGISTRY")));
}

}  // namespace

// GStreamer reads its registry from a fresh file of this program's own and
// finds only the plugin under test, loaded in this process (no scanner
// process: the plugin may need the sanitizer runtime this program carries).
int main(int argc, char** argv) {
    nodrix::testing_support::PrivateSettingsFile settings;
    std::filesystem::path folder = std::filesystem::path(settings.File()).parent_path();
    const std::string registry = (folder / "gst-registry.bin").string();
    setenv("GST_REGISTRY", registry.c_str(), 1);
    setenv("GST_REGISTRY_FORK", "no", 1);
    setenv("GST_PLUGIN_PATH", NODRIX_GST_PLUGIN_BUILD_DIR, 1);
    setenv("GST_PLUGIN_SYSTEM_PATH", folder.c_str(), 1);
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    gst_deinit();
    return status;
}
