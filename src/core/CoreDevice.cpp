// The camera core's device lifecycle: transport set-up, the device table
// queries, device open with the sensor selection, FPGA and sensor start-up,
// and shutdown.

#include <cstring>
#include <new>

#include "catalogue/CameraCatalogue.h"
#include "core/CNodrixU3T2Base.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/Time.h"
#include "sensors/CSensorBase.h"
#include "sensors/SensorFactory.h"
#include "transport/CNodrixCy3.h"
#include "transport/DeviceTable.h"
#include "transport/InterfaceClass.h"

namespace nodrix {

namespace {

constexpr int kTableSize = 32;
constexpr std::uint8_t kFpgaConfigLevel = 19;
constexpr int kFirmwareWithReadyWait = 0x1101;
constexpr int kFpgaReadyPolls = 40;
constexpr std::uint32_t kFpgaReadyPollMs = 500;

int FirmwareVersionOf(const std::uint8_t* block) { return block[24] | (block[25] << 8); }

// An entry of the device table; an empty one outside it.
transport::DeviceEntry EntryOf(const CNodrixCy3& transport, int tableIndex) {
    transport::DeviceEntry entry;
    if (!transport.GetEntry(tableIndex, &entry)) {
        entry = transport::DeviceEntry{};
    }
    return entry;
}

}  // namespace

CNodrixU3T2Base::CNodrixU3T2Base() = default;

CNodrixU3T2Base::~CNodrixU3T2Base() { Shutdown(); }

int CNodrixU3T2Base::FirmwareVersion() const { return FirmwareVersionOf(firmwareInfo_.data()); }

int CNodrixU3T2Base::Setup(platform::DriverPort& port, void*, const platform::Guid* guid) {
    Shutdown();
    const platform::Guid interfaceClass = guid ? *guid : transport::kCameraInterfaceClass;
    transport_.reset(new (std::nothrow) CNodrixCy3(port, &interfaceClass));
    return 1;
}

int CNodrixU3T2Base::ReadFirmwareInfo(std::uint8_t* block) {
    if (!transport_ || block == nullptr) {
        return 0;
    }
    return transport_->ReadFirmwareInfo(block);
}

int CNodrixU3T2Base::ReadFirmwareInfoB1(std::uint8_t* block) {
    if (!transport_ || block == nullptr) {
        return 0;
    }
    return transport_->ReadFirmwareInfoB1(block);
}

// --- The device table ------------------------------------------------------------

int CNodrixU3T2Base::SetProductId(int productId) {
    productId_ = productId;
    return 1;
}

int CNodrixU3T2Base::GetProductId() { return productId_; }

int CNodrixU3T2Base::UsesStreamEndpoint() {
    const catalogue::CameraModel* model = catalogue::FindCameraModel(productId_);
    return model != nullptr && model->streamEndpoint;
}

int CNodrixU3T2Base::GetCameraIndex() { return deviceNumber_; }

int CNodrixU3T2Base::GetTableVendorId(int tableIndex) {
    if (!transport_ || tableIndex < 0 || tableIndex >= kTableSize) {
        return 0;
    }
    return EntryOf(*transport_, tableIndex).vendorId;
}

int CNodrixU3T2Base::GetTableProductId(int tableIndex) {
    if (!transport_ || tableIndex < 0 || tableIndex >= kTableSize) {
        return 0;
    }
    return EntryOf(*transport_, tableIndex).productId;
}

int CNodrixU3T2Base::GetTableInstance(int tableIndex) {
    if (!transport_ || tableIndex < 0 || tableIndex >= kTableSize) {
        return -1;
    }
    return EntryOf(*transport_, tableIndex).instance;
}

int CNodrixU3T2Base::GetDeviceName(int tableIndex, char* text, int size) {
    if (!transport_ || text == nullptr || size <= 0) {
        return 0;
    }
    return transport_->GetDeviceName(tableIndex, text, static_cast<std::size_t>(size)) ? 1 : 0;
}

int CNodrixU3T2Base::IsCameraPresent(int deviceNumber) {
    if (productId_ == -1 || !transport_) {
        return 0;
    }
    for (int i = 0; i < kTableSize; ++i) {
        const transport::DeviceEntry entry = EntryOf(*transport_, i);
        if (entry.productId == productId_ && entry.instance == deviceNumber) {
            return transport_->IsDevicePresent(i) ? 1 : 0;
        }
    }
    return 0;
}

int CNodrixU3T2Base::CountCameras(int productId) {
    if (!transport_) {
        return 0;
    }
    const int deviceCount = transport_->Enumerate();
    if (productId == 0) {
        return deviceCount;
    }
    int count = 0;
    for (int i = 0; i < deviceCount && i < kTableSize; ++i) {
        if (EntryOf(*transport_, i).productId == productId && transport_->IsDevicePresent(i)) {
            ++count;
        }
    }
    return count;
}

// --- Open, start-up, close ----------------------------------------------------------

void CNodrixU3T2Base::CreateSensorDriver() {
    // Models unknown to the catalogue, and those whose sensor has no driver
    // in this library, get none.
    const catalogue::CameraModel* model = catalogue::FindCameraModel(productId_);
    if (model != nullptr) sensor_ = MakeSensorDriver(model->sensor, transport_.get());
}

void CNodrixU3T2Base::DestroySensorDriver() { sensor_.reset(); }

bool CNodrixU3T2Base::ClaimCamera(int deviceNumber) {
    if (!transport_ || productId_ == -1) return false;
    const int tableIndex =
        transport_->FindDevice(static_cast<std::uint16_t>(productId_), deviceNumber);
    return tableIndex >= 0 && transport_->ClaimDevice(tableIndex);
}

int CNodrixU3T2Base::OpenCamera(int deviceNumber) {
    if (!transport_ || productId_ == -1 || transport_->Enumerate() <= 0 ||
        !IsCameraPresent(deviceNumber)) {
        return 0;
    }
    const int tableIndex = transport_->FindDevice(static_cast<std::uint16_t>(productId_), deviceNumber);
    if (tableIndex < 0 || !transport_->SelectDevice(tableIndex)) {
        buffersNeedSetup_ = true;
        return InitializeCamera();
    }
    DestroySensorDriver();
    CreateSensorDriver();
    deviceNumber_ = deviceNumber;
    buffersNeedSetup_ = true;
    return InitializeCamera();
}

int CNodrixU3T2Base::InitializeCamera() {
    const catalogue::CameraModel* model = catalogue::FindCameraModel(productId_);
    if (model != nullptr && model->noInitialisation) {
        return 1;
    }
    if (!transport_) {
        return 0;
    }
    if (!transport_->HasRequestBuffer() && !transport_->AllocateRequestBuffer()) {
        return 0;
    }
    transport_->ResetPort();
    transport_->ReadFirmwareInfo(firmwareInfo_.data());
    if (!sensor_) {
        return 0;
    }

    if (model != nullptr && model->fpgaStartup) {
        std::uint8_t block[64] = {};
        const bool blockRead = transport_->ReadFirmwareInfo(block) != 0;
        std::uint8_t level = 0;
        const bool levelRead = transport_->ReadFpgaRegister(kFpgaConfigLevel, &level) != 0;
        if ((blockRead && FirmwareVersionOf(block) >= kFirmwareWithReadyWait) ||
            (levelRead && level >= 9)) {
            bool ready = false;
            for (int poll = 0; poll < kFpgaReadyPolls && !ready; ++poll) {
                std::uint8_t state = 0;
                if (transport_->ReadFpgaReady(&state) && state == 1) {
                    sensor_->WriteRegister(0, 4);
                    ready = true;
                } else {
                    platform::SleepMs(kFpgaReadyPollMs);
                }
            }
            if (!ready) {
                sensor_->RequestReset();
            }
        }
    }

    if (!sensor_->WaitReady()) {
        return 0;
    }
    return sensor_->ApplyDefaults();
}

int CNodrixU3T2Base::Reopen(int deviceNumber) {
    StopTransfer();
    return OpenCamera(deviceNumber) ? 0 : -1;
}

int CNodrixU3T2Base::Shutdown() {
    StopTransfer();
    // The driver borrows the transport's controller interface, so it goes
    // first; its destructor touches no hardware either way.
    DestroySensorDriver();
    if (transport_) {
        transport_->CloseDataHandle();
        transport_.reset();
    }
    firmwareInfo_.fill(0);
    acquisitionMode_.store(kModeContinuous);
    FreeBuffers();
    {
        platform::LockGuard guard(eventLock_);
        frameEvent_.reset();
        endEvent_.reset();
    }
    thread_.reset();
    streamFailed_.store(false);
    return 1;
}

}  // namespace nodrix
