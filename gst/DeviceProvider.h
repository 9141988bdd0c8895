#pragma once
// The cameras as devices of class Video/Source, listed by a device monitor
// and followed while it runs (cameras plugged in or out later).

#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_NODRIX_DEVICE_PROVIDER (gst_nodrix_device_provider_get_type())
G_DECLARE_FINAL_TYPE(GstNodrixDeviceProvider, gst_nodrix_device_provider, GST,
                     NODRIX_DEVICE_PROVIDER, GstDeviceProvider)

#define GST_TYPE_NODRIX_DEVICE (gst_nodrix_device_get_type())
G_DECLARE_FINAL_TYPE(GstNodrixDevice, gst_nodrix_device, GST, NODRIX_DEVICE, GstDevice)

G_END_DECLS
