#include "DeviceProvider.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Cameras.h"
#include "NodrixSrc.h"

struct _GstNodrixDevice {
    GstDevice parent;
    gchar* device;  // what nodrixsrc's device property takes
};

G_DEFINE_TYPE(GstNodrixDevice, gst_nodrix_device, GST_TYPE_DEVICE)

struct _GstNodrixDeviceProvider {
    GstDeviceProvider parent;
    GThread* thread;  // follows the cameras while the provider is started
    GMutex lock;
    GCond wake;
    gboolean stopping;
};

G_DEFINE_TYPE(GstNodrixDeviceProvider, gst_nodrix_device_provider, GST_TYPE_DEVICE_PROVIDER)

namespace {

constexpr gint64 kPollUs = G_USEC_PER_SEC;

GstElement* CreateElement(GstDevice* device, const gchar* name) {
    GstElement* element = gst_element_factory_make("nodrixsrc", name);
    if (element != nullptr) {
        g_object_set(element, "device", GST_NODRIX_DEVICE(device)->device, nullptr);
    }
    return element;
}

void DeviceFinalize(GObject* object) {
    g_free(GST_NODRIX_DEVICE(object)->device);
    G_OBJECT_CLASS(gst_nodrix_device_parent_class)->finalize(object);
}

GstDevice* NewDevice(const nodrix_gst::CameraEntry& camera) {
    const std::string id = camera.serial.empty() ? std::to_string(camera.index) : camera.serial;
    const std::string display =
        camera.serial.empty() ? camera.name : camera.name + " (" + camera.serial + ")";
    GstStructure* properties =
        gst_structure_new("nodrix-device", "device.api", G_TYPE_STRING, "nodrix", "device.name",
                          G_TYPE_STRING, camera.name.c_str(), "device.serial", G_TYPE_STRING,
                          camera.serial.c_str(), "device.index", G_TYPE_INT, camera.index, nullptr);
    GstCaps* caps = gst_nodrix_src_template_caps();
    auto* device = GST_NODRIX_DEVICE(g_object_new(GST_TYPE_NODRIX_DEVICE, "display-name",
                                                  display.c_str(), "device-class", "Video/Source",
                                                  "caps", caps, "properties", properties, nullptr));
    gst_caps_unref(caps);
    gst_structure_free(properties);
    device->device = g_strdup(id.c_str());
    return GST_DEVICE(device);
}

GList* Probe(GstDeviceProvider*) {
    GList* devices = nullptr;
    for (const nodrix_gst::CameraEntry& camera : nodrix_gst::ListCameras()) {
        devices = g_list_append(devices, gst_object_ref_sink(NewDevice(camera)));
    }
    return devices;
}

// Follows the cameras by their names (no camera is opened for that) and
// lists them afresh, serial numbers included, when the names change.
gpointer Follow(gpointer data) {
    auto* provider = GST_NODRIX_DEVICE_PROVIDER(data);
    auto* base = GST_DEVICE_PROVIDER(provider);
    std::vector<std::string> names = nodrix_gst::CameraNames();
    g_mutex_lock(&provider->lock);
    while (!provider->stopping) {
        g_cond_wait_until(&provider->wake, &provider->lock, g_get_monotonic_time() + kPollUs);
        if (provider->stopping) break;
        g_mutex_unlock(&provider->lock);
        std::vector<std::string> now = nodrix_gst::CameraNames();
        if (now != names) {
            names = now;
            GList* known = gst_device_provider_get_devices(base);
            for (GList* d = known; d != nullptr; d = d->next) {
                gst_device_provider_device_remove(base, GST_DEVICE(d->data));
            }
            g_list_free_full(known, gst_object_unref);
            for (const nodrix_gst::CameraEntry& camera : nodrix_gst::ListCameras()) {
                gst_device_provider_device_add(base, NewDevice(camera));
            }
        }
        g_mutex_lock(&provider->lock);
    }
    g_mutex_unlock(&provider->lock);
    return nullptr;
}

gboolean ProviderStart(GstDeviceProvider* base) {
    auto* provider = GST_NODRIX_DEVICE_PROVIDER(base);
    for (const nodrix_gst::CameraEntry& camera : nodrix_gst::ListCameras()) {
        gst_device_provider_device_add(base, NewDevice(camera));
    }
    provider->stopping = FALSE;
    provider->thread = g_thread_new("nodrix-devices", Follow, provider);
    return TRUE;
}

void ProviderStop(GstDeviceProvider* base) {
    auto* provider = GST_NODRIX_DEVICE_PROVIDER(base);
    g_mutex_lock(&provider->lock);
    provider->stopping = TRUE;
    g_cond_signal(&provider->wake);
    g_mutex_unlock(&provider->lock);
    if (provider->thread != nullptr) g_thread_join(provider->thread);
    provider->thread = nullptr;
}

void ProviderFinalize(GObject* object) {
    auto* provider = GST_NODRIX_DEVICE_PROVIDER(object);
    g_mutex_clear(&provider->lock);
    g_cond_clear(&provider->wake);
    G_OBJECT_CLASS(gst_nodrix_device_provider_parent_class)->finalize(object);
}

}  // namespace

static void gst_nodrix_device_class_init(GstNodrixDeviceClass* klass) {
    GST_DEVICE_CLASS(klass)->create_element = CreateElement;
    G_OBJECT_CLASS(klass)->finalize = DeviceFinalize;
}

static void gst_nodrix_device_init(GstNodrixDevice* device) {
    device->device = nullptr;
}

static void gst_nodrix_device_provider_class_init(GstNodrixDeviceProviderClass* klass) {
    auto* provider = GST_DEVICE_PROVIDER_CLASS(klass);
    provider->probe = Probe;
    provider->start = ProviderStart;
    provider->stop = ProviderStop;
    G_OBJECT_CLASS(klass)->finalize = ProviderFinalize;
    gst_device_provider_class_set_static_metadata(
        provider, "NodrixT520 camera provider", "Source/Video/Hardware",
        "Lists the NodrixT520 cameras and follows them being plugged in and out", "NodrixT520 SDK");
}

static void gst_nodrix_device_provider_init(GstNodrixDeviceProvider* provider) {
    provider->thread = nullptr;
    provider->stopping = FALSE;
    g_mutex_init(&provider->lock);
    g_cond_init(&provider->wake);
}
