#pragma once
// The camera models the library knows, one row each: the product
// identifier, which sensor driver it needs, the sensor's geometry and what
// its start-up and transfers need. The core's selection, the connection,
// the libusb port's scan, the mask layout and the flat field read this
// table; a new camera model is a new row (and, for a new sensor, a driver
// in sensors/ behind sensors/SensorFactory.h).
//
// The table is data alone, so that every floor may read it.

#include <cstdint>

namespace nodrix::catalogue {

// The sensor drivers of the library.
enum class SensorDriver { kNone, kZQ4410 };

struct SensorGeometry {
    int width = 0;
    int height = 0;
};

struct CameraModel {
    std::uint16_t productId = 0;
    SensorDriver sensor = SensorDriver::kNone;  // kNone: no driver in this library
    SensorGeometry geometry;
    // The FPGA is waited for at start-up and its transfer registers set.
    bool fpgaStartup = false;
    // Frames arrive on the second bulk endpoint.
    bool streamEndpoint = false;
    // Opened without any start-up of FPGA or sensor.
    bool noInitialisation = false;
};

inline constexpr SensorGeometry kZQ4410Geometry{1280, 1024};

inline constexpr CameraModel kCameraModels[] = {
    {0x33B0, SensorDriver::kZQ4410, kZQ4410Geometry, true, false, false},
    {0x32C0, SensorDriver::kZQ4410, kZQ4410Geometry, true, false, false},  // earlier firmware
    {0x3042, SensorDriver::kNone, {}, false, true, false},
    {0x33A0, SensorDriver::kNone, {}, false, false, true},
};

// The maker of every model above: a scan takes a device only when vendor
// and product both match, so another maker's device that happens to use one
// of these product numbers is never sent the camera's requests
// (packaging/linux/70-nodrix-t520.rules grants access by the same pair).
inline constexpr std::uint16_t kCameraVendor = 0x2E5A;

// The model a connection opens.
inline constexpr std::uint16_t kConnectionProductId = 0x33B0;

constexpr const CameraModel* FindCameraModel(int productId) {
    for (const CameraModel& model : kCameraModels) {
        if (model.productId == productId) return &model;
    }
    return nullptr;
}

// The sensor of the model a connection opens: the size of its frames,
// capture windows and mask planes.
inline constexpr SensorGeometry kConnectionSensor = FindCameraModel(kConnectionProductId)->geometry;

// Whether the library drives the product over USB: a sensor driver, or
// frames of its own endpoint.
constexpr bool ScannedOverUsb(const CameraModel& model) {
    return model.sensor != SensorDriver::kNone || model.streamEndpoint;
}

}  // namespace nodrix::catalogue
