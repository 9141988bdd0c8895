// The nodrix plugin: the camera source and the camera device provider.

#include <gst/gst.h>

#include "DeviceProvider.h"
#include "NodrixFrameMeta.h"
#include "NodrixSdkEx.h"
#include "NodrixSrc.h"

#ifndef NODRIX_GST_VERSION
#error "NODRIX_GST_VERSION: the SDK's version, given by the build"
#endif

namespace {

gboolean PluginInit(GstPlugin* plugin) {
    gst_nodrix_frame_meta_get_info();
    return gst_element_register(plugin, "nodrixsrc", GST_RANK_NONE, GST_TYPE_NODRIX_SRC) &&
           gst_device_provider_register(plugin, "nodrixdeviceprovider", GST_RANK_PRIMARY,
                                        GST_TYPE_NODRIX_DEVICE_PROVIDER);
}

}  // namespace

#define PACKAGE "nodrix-sdk"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, nodrix,
                  "NodrixT520 cameras: live source and device provider", PluginInit,
                  NODRIX_GST_VERSION, "Proprietary", "NodrixT520 SDK", "NodrixT520 SDK")
