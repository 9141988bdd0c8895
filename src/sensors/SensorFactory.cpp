#include "sensors/SensorFactory.h"

#include <new>

#include "sensors/CSensorZQ4410.h"

namespace nodrix {

namespace {

constexpr std::uint8_t kZQ4410BusAddress = 72;
constexpr int kZQ4410ModelCode = 114;

}  // namespace

std::unique_ptr<CSensorBase> MakeSensorDriver(catalogue::SensorDriver driver,
                                              CControllerBase* controller) {
    switch (driver) {
        case catalogue::SensorDriver::kZQ4410: {
            std::unique_ptr<CSensorBase> sensor(new (std::nothrow)
                                                    CSensorZQ4410(controller, kZQ4410BusAddress));
            if (sensor) sensor->SetModelCode(kZQ4410ModelCode);
            return sensor;
        }
        case catalogue::SensorDriver::kNone:
            break;
    }
    return nullptr;
}

}  // namespace nodrix
