#include "platform/posix/usb/UsbDriverPort.h"

#include <algorithm>
#include <cstring>

#include "catalogue/CameraCatalogue.h"
#include "platform/posix/usb/UsbDevicePath.h"
#include "platform/posix/usb/UsbPendingIo.h"

namespace nodrix::platform::usb {
namespace {

// {328184C5-93E6-49B7-94B8-2ADA13AABB39}: the class the transport scans for.
constexpr Guid kCameraClass = {
    0x328184C5u, 0x93E6u, 0x49B7u, {0x94, 0xB8, 0x2A, 0xDA, 0x13, 0xAA, 0xBB, 0x39}};
constexpr std::uint8_t kVendorSpecificClass = 0xFF;
constexpr std::uint8_t kFrameEndpoint = 0x81;
// The interface detail record: a 32-bit size field, then the path.
constexpr std::uint32_t kDetailPathOffset = 4;
// How long closing a camera waits for its cancelled transfers to come back.
constexpr auto kCloseDrainTime = std::chrono::seconds(2);

bool SameGuid(const Guid& a, const Guid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

// A camera the library drives (catalogue/CameraCatalogue.h).
bool KnownProduct(std::uint16_t product) {
    const catalogue::CameraModel* model = catalogue::FindCameraModel(product);
    return model != nullptr && catalogue::ScannedOverUsb(*model);
}

bool KnownCamera(std::uint16_t vendor, std::uint16_t product) {
    return vendor == catalogue::kCameraVendor && KnownProduct(product);
}

// The number of the vendor-specific interface whose bulk IN endpoint carries
// the frames, or -1.
int CameraInterface(const libusb_config_descriptor& config) {
    for (int i = 0; i < config.bNumInterfaces; ++i) {
        const libusb_interface& iface = config.interface[i];
        if (iface.num_altsetting < 1) continue;
        const libusb_interface_descriptor& alt = iface.altsetting[0];
        if (alt.bInterfaceClass != kVendorSpecificClass) continue;
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            if (ep.bEndpointAddress == kFrameEndpoint &&
                (ep.bmAttributes & 0x03) == LIBUSB_TRANSFER_TYPE_BULK) {
                return alt.bInterfaceNumber;
            }
        }
    }
    return -1;
}

}  // namespace

UsbPendingIo::~UsbPendingIo() {
    port_.Orphan(*this);
}

UsbDriverPort::UsbDriverPort() {
    if (libusb_init(&context_) != LIBUSB_SUCCESS) context_ = nullptr;
}

UsbDriverPort::~UsbDriverPort() {
    std::vector<std::shared_ptr<Device>> open;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto& [handle, device] : handles_) {
            if (std::find(open.begin(), open.end(), device) == open.end()) open.push_back(device);
        }
        handles_.clear();
    }
    for (auto& device : open) CloseDevice(device);
    StopEventThreadWhenIdle();
    // Transfers that never came back keep the context: freeing it would
    // free their memory under the kernel.
    for (libusb_transfer* transfer : spareControls_) libusb_free_transfer(transfer);
    if (context_ != nullptr && flights_.empty()) libusb_exit(context_);
}

// ---- Scan -------------------------------------------------------------------

std::vector<UsbDriverPort::Found> UsbDriverPort::FindCameras() {
    std::vector<Found> found;
    if (context_ == nullptr) return found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list[i];
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS ||
            !KnownCamera(descriptor.idVendor, descriptor.idProduct)) {
            continue;
        }
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
            libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS) {
            continue;
        }
        const int interfaceNumber = CameraInterface(*config);
        libusb_free_config_descriptor(config);
        if (interfaceNumber < 0) continue;
        std::uint8_t ports[8];
        const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
        const std::vector<std::uint8_t> chain(ports, ports + std::max(depth, 0));
        const std::uint8_t bus = libusb_get_bus_number(device);
        std::vector<std::uint8_t> place{bus};
        place.insert(place.end(), chain.begin(), chain.end());
        found.push_back(
            Found{MakeUsbDevicePath(descriptor.idVendor, descriptor.idProduct, bus, chain),
                  libusb_ref_device(device), interfaceNumber, std::move(place)});
    }
    if (list != nullptr) libusb_free_device_list(list, 1);
    // libusb lists devices in no particular order; cameras are numbered in
    // scan order, so the scan walks the bus topology: the same sockets give
    // the same numbers on every run.
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.place < b.place; });
    return found;
}

void UsbDriverPort::ReleaseFound(std::vector<Found>& found) {
    for (Found& f : found) libusb_unref_device(f.device);
    found.clear();
}

DeviceInfoSet UsbDriverPort::GetClassDevices(const Guid& interfaceClass) {
    std::vector<std::string> paths;
    if (SameGuid(interfaceClass, kCameraClass)) {
        std::vector<Found> found = FindCameras();
        for (const Found& f : found) paths.push_back(f.path);
        ReleaseFound(found);
    }
    std::lock_guard<std::mutex> guard(mutex_);
    const DeviceInfoSet id = nextInfoSet_++;
    infoSets_[id] = std::move(paths);
    return id;
}

bool UsbDriverPort::EnumDeviceInterface(DeviceInfoSet set, const Guid& interfaceClass,
                                        std::uint32_t memberIndex) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = infoSets_.find(set);
    return it != infoSets_.end() && SameGuid(interfaceClass, kCameraClass) &&
           memberIndex < it->second.size();
}

bool UsbDriverPort::GetDeviceInterfaceDetail(DeviceInfoSet set, const Guid& interfaceClass,
                                             std::uint32_t memberIndex, void* detail,
                                             std::uint32_t detailSize,
                                             std::uint32_t* requiredSize) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = infoSets_.find(set);
    if (it == infoSets_.end() || !SameGuid(interfaceClass, kCameraClass) ||
        memberIndex >= it->second.size()) {
        return false;
    }
    const std::string& path = it->second[memberIndex];
    const std::uint32_t needed = kDetailPathOffset + static_cast<std::uint32_t>(path.size()) + 1;
    if (requiredSize != nullptr) *requiredSize = needed;
    if (detail == nullptr || detailSize < needed) return false;
    std::memcpy(static_cast<std::uint8_t*>(detail) + kDetailPathOffset, path.c_str(),
                path.size() + 1);
    return true;
}

void UsbDriverPort::DestroyDeviceInfoList(DeviceInfoSet set) {
    std::lock_guard<std::mutex> guard(mutex_);
    infoSets_.erase(set);
}

// ---- Handles ----------------------------------------------------------------

DriverHandle UsbDriverPort::Open(const char* path, bool) {
    if (path == nullptr || context_ == nullptr) return kInvalidDriverHandle;
    std::lock_guard<std::mutex> opening(openMutex_);
    {
        // A camera open already lends its handle to every other user.
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto& [handle, device] : handles_) {
            if (device->gone.load() || !SameDevicePath(path, device->path)) continue;
            ++device->users;
            const DriverHandle id = nextHandle_++;
            handles_[id] = device;
            return id;
        }
    }
    std::vector<Found> found = FindCameras();
    auto match = std::find_if(found.begin(), found.end(),
                              [&](const Found& f) { return SameDevicePath(path, f.path); });
    std::shared_ptr<Device> device;
    if (match != found.end()) {
        libusb_device_handle* handle = nullptr;
        if (libusb_open(match->device, &handle) == LIBUSB_SUCCESS) {
            // A kernel driver bound to the interface is set aside while we
            // hold it and given it back when we let go.
            libusb_set_auto_detach_kernel_driver(handle, 1);
            if (libusb_claim_interface(handle, match->interfaceNumber) == LIBUSB_SUCCESS) {
                device = std::make_shared<Device>();
                device->path = match->path;
                device->handle = handle;
                device->interfaceNumber = match->interfaceNumber;
                device->users = 1;
            } else {
                libusb_close(handle);
            }
        }
    }
    ReleaseFound(found);
    if (!device) return kInvalidDriverHandle;
    std::lock_guard<std::mutex> guard(mutex_);
    const DriverHandle id = nextHandle_++;
    handles_[id] = device;
    return id;
}

void UsbDriverPort::Close(DriverHandle handle) {
    std::shared_ptr<Device> last;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto it = handles_.find(handle);
        if (it == handles_.end()) return;
        if (--it->second->users == 0) last = it->second;
        handles_.erase(it);
    }
    if (last) CloseDevice(last);
    StopEventThreadWhenIdle();
}

void UsbDriverPort::CloseDevice(const std::shared_ptr<Device>& device) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        CancelEndpointLocked(*device, -1);
        // The handle goes only once the kernel has given every transfer back.
        if (!completed_.wait_for(lock, kCloseDrainTime, [&] { return device->inFlight == 0; })) {
            return;  // left open: its transfers still belong to the kernel
        }
    }
    if (!device->gone.load()) libusb_release_interface(device->handle, device->interfaceNumber);
    libusb_close(device->handle);
    device->handle = nullptr;
}

std::shared_ptr<UsbDriverPort::Device> UsbDriverPort::DeviceOf(DriverHandle handle) {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second;
}

// ---- Event thread -----------------------------------------------------------

void UsbDriverPort::EnsureEventThread() {
    std::lock_guard<std::mutex> guard(eventsMutex_);
    if (events_.joinable()) return;
    eventsRun_.store(true);
    events_ = std::thread([this] { EventLoop(); });
}

void UsbDriverPort::StopEventThreadWhenIdle() {
    std::lock_guard<std::mutex> guard(eventsMutex_);
    if (!events_.joinable()) return;
    {
        std::lock_guard<std::mutex> state(mutex_);
        if (!handles_.empty() || !flights_.empty() || pendingControls_ > 0) return;
    }
    eventsRun_.store(false);
    libusb_interrupt_event_handler(context_);
    events_.join();
}

void UsbDriverPort::EventLoop() {
    while (eventsRun_.load()) {
        timeval slice{0, 200000};
        libusb_handle_events_timeout_completed(context_, &slice, nullptr);
    }
}

}  // namespace nodrix::platform::usb
