#pragma once
// Makes the sensor driver a camera model's row of the catalogue names.

#include <memory>

#include "catalogue/CameraCatalogue.h"
#include "sensors/CSensorBase.h"

namespace nodrix {

class CControllerBase;

// The driver on the controller's register bus; null for kNone or when it
// cannot be made.
std::unique_ptr<CSensorBase> MakeSensorDriver(catalogue::SensorDriver driver,
                                              CControllerBase* controller);

}  // namespace nodrix
