#include "usb/UsbTestbed.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/EmulatedDriver.h"

namespace nodrix::testing {
namespace {

using Outcome = emulator::EmulatedDriver::UsbOutcome;

constexpr std::uint32_t kCapabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                        USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                        USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
constexpr std::size_t kSetupSize = 8;

// A URB the program submitted: the structure and its buffer, as umockdev
// mirrors them from the program's memory, and the open device file it was
// submitted on (held, so that its address names no later one). As on a real
// bus, a URB is reaped and discarded only through the file it was submitted
// on: a program may open one device twice, and the structure goes back
// over the connection it came from.
struct Urb {
    UMockdevIoctlData* urb = nullptr;
    UMockdevIoctlData* buffer = nullptr;
    UMockdevIoctlClient* client = nullptr;
    int status = 0;
    int actual = 0;

    usbdevfs_urb& Fields() const { return *reinterpret_cast<usbdevfs_urb*>(urb->data); }
    void Release() {
        if (buffer != nullptr) umockdev_ioctl_data_unref(buffer);
        umockdev_ioctl_data_unref(urb);
        g_object_unref(client);
    }
};

void PutInt(UMockdevIoctlData* data, std::size_t offset, int value) {
    umockdev_ioctl_data_update(data, offset, reinterpret_cast<guint8*>(&value), sizeof value);
}

}  // namespace

// One camera's device node: its URBs in flight and those ready to reap.
// The test bed's worker thread answers the requests; the lock also orders
// its last request before the node's end on the thread that ends the test
// bed, which waits for the worker in a way the race detector cannot see.
struct CameraNode {
    emulator::EmulatedDriver* driver = nullptr;
    int camera = 0;
    UMockdevIoctlBase* handler = nullptr;
    std::mutex lock;
    std::deque<Urb> submitted;
    std::deque<Urb> reapable;

    bool Present() const { return driver->IsPresent(camera); }
    bool HandleIoctl(UMockdevIoctlClient* client);
    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    bool Progress(Urb& urb);
};

struct UsbTestbed::Impl {
    UMockdevTestbed* testbed = nullptr;
    std::vector<std::unique_ptr<CameraNode>> nodes;
};

namespace {

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<CameraNode*>(self)->HandleIoctl(client);
}

}  // namespace

bool CameraNode::HandleIoctl(UMockdevIoctlClient* client) {
    std::lock_guard<std::mutex> guard(lock);
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    GError* error = nullptr;
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, 4, &error);
            std::uint32_t value = kCapabilities;
            if (caps) umockdev_ioctl_data_update(caps, 0, reinterpret_cast<guint8*>(&value), 4);
            umockdev_ioctl_client_complete(client, 0, 0);
            return TRUE;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_DISCONNECT_CLAIM:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_SETCONFIGURATION:
            if (!Present()) {
                umockdev_ioctl_client_complete(client, -1, ENODEV);
            } else {
                umockdev_ioctl_client_complete(client, 0, 0);
            }
            return TRUE;
        case USBDEVFS_RELEASEINTERFACE:
            umockdev_ioctl_client_complete(client, 0, 0);
            return TRUE;
        case USBDEVFS_GETDRIVER:
            umockdev_ioctl_client_complete(client, -1, ENODATA);
            return TRUE;
        case USBDEVFS_CLEAR_HALT: {
            UMockdevIoctlData* endpoint = umockdev_ioctl_data_resolve(arg, 0, 4, &error);
            if (endpoint != nullptr) {
                driver->UsbClearHalt(camera, static_cast<std::uint8_t>(endpoint->data[0]));
            }
            umockdev_ioctl_client_complete(client, Present() ? 0 : -1, Present() ? 0 : ENODEV);
            return TRUE;
        }
        case USBDEVFS_RESET:
            driver->UsbReset(camera);
            umockdev_ioctl_client_complete(client, Present() ? 0 : -1, Present() ? 0 : ENODEV);
            return TRUE;
        case USBDEVFS_SUBMITURB:
            Submit(client, arg);
            return TRUE;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            Reap(client, arg);
            return TRUE;
        case USBDEVFS_DISCARDURB:
            Discard(client, arg);
            return TRUE;
        default:
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
            return TRUE;
    }
}

void CameraNode::Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    GError* error = nullptr;
    if (!Present()) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), &error);
    if (data == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    Urb urb;
    urb.urb = umockdev_ioctl_data_ref(data);
    urb.client = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    const usbdevfs_urb& fields = urb.Fields();
    if (fields.buffer_length > 0) {
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
            data, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(fields.buffer_length), &error);
        if (buffer != nullptr) urb.buffer = umockdev_ioctl_data_ref(buffer);
    }
    if (fields.type == USBDEVFS_URB_TYPE_CONTROL) {
        // Endpoint 0 answers at once.
        std::uint8_t* setup = urb.buffer != nullptr ? urb.buffer->data : nullptr;
        if (setup == nullptr || fields.buffer_length < static_cast<int>(kSetupSize)) {
            urb.status = -EINVAL;
        } else {
            const std::uint16_t length = static_cast<std::uint16_t>(setup[6] | (setup[7] << 8));
            std::vector<std::uint8_t> stage(
                setup + kSetupSize,
                setup + kSetupSize + std::min<int>(length, fields.buffer_length - 8));
            std::uint32_t moved = 0;
            const Outcome outcome = driver->UsbControl(
                camera, setup[0], setup[1], static_cast<std::uint16_t>(setup[2] | (setup[3] << 8)),
                static_cast<std::uint16_t>(setup[4] | (setup[5] << 8)), stage.data(),
                static_cast<std::uint16_t>(stage.size()), moved);
            urb.status = outcome == Outcome::Done       ? 0
                         : outcome == Outcome::NoDevice ? -ENODEV
                                                        : -EPIPE;
            urb.actual = static_cast<int>(moved);
            if ((setup[0] & 0x80) != 0 && moved > 0) {
                umockdev_ioctl_data_update(urb.buffer, kSetupSize, stage.data(),
                                           static_cast<gint>(moved));
            }
        }
        reapable.push_back(urb);
    } else {
        submitted.push_back(urb);
    }
    umockdev_ioctl_client_complete(client, 0, 0);
}

bool CameraNode::Progress(Urb& urb) {
    const usbdevfs_urb& fields = urb.Fields();
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max(fields.buffer_length, 0)));
    if (urb.buffer != nullptr && !data.empty() && (fields.endpoint & 0x80) == 0) {
        std::memcpy(data.data(), urb.buffer->data, data.size());
    }
    std::uint32_t moved = 0;
    switch (driver->UsbBulk(camera, fields.endpoint, data.data(),
                            static_cast<std::uint32_t>(data.size()), moved)) {
        case Outcome::Pending:
            return false;
        case Outcome::Done:
            urb.status = 0;
            break;
        case Outcome::NoDevice:
            urb.status = -ENODEV;
            break;
        case Outcome::Stall:
            urb.status = -EPIPE;
            break;
    }
    urb.actual = static_cast<int>(moved);
    if ((fields.endpoint & 0x80) != 0 && moved > 0 && urb.buffer != nullptr) {
        umockdev_ioctl_data_update(urb.buffer, 0, data.data(), static_cast<gint>(moved));
    }
    return true;
}

void CameraNode::Reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    // The oldest transfer of each endpoint moves first.
    std::vector<unsigned char> seen;
    for (auto it = submitted.begin(); it != submitted.end();) {
        const unsigned char endpoint = it->Fields().endpoint;
        if (std::find(seen.begin(), seen.end(), endpoint) != seen.end()) {
            ++it;
            continue;
        }
        seen.push_back(endpoint);
        if (Progress(*it)) {
            reapable.push_back(*it);
            it = submitted.erase(it);
        } else {
            ++it;
        }
    }
    const auto own = std::find_if(reapable.begin(), reapable.end(),
                                  [client](const Urb& u) { return u.client == client; });
    if (own == reapable.end()) {
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
        return;
    }
    Urb urb = *own;
    reapable.erase(own);
    PutInt(urb.urb, offsetof(usbdevfs_urb, status), urb.status);
    PutInt(urb.urb, offsetof(usbdevfs_urb, actual_length), urb.actual);
    GError* error = nullptr;
    UMockdevIoctlData* target = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), &error);
    if (target != nullptr) umockdev_ioctl_data_set_ptr(target, 0, urb.urb);
    umockdev_ioctl_client_complete(client, 0, 0);
    urb.Release();
}

void CameraNode::Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    gulong address = 0;
    std::memcpy(&address, arg->data, sizeof address);
    for (auto it = submitted.begin(); it != submitted.end(); ++it) {
        if (it->client != client || it->urb->client_addr != address) continue;
        Urb urb = *it;
        submitted.erase(it);
        urb.status = -ENOENT;
        urb.actual = 0;
        reapable.push_back(urb);
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    }
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

bool UsbTestbed::Available() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

UsbTestbed::UsbTestbed(emulator::EmulatedDriver& driver) : impl_(std::make_unique<Impl>()) {
    impl_->testbed = umockdev_testbed_new();
    for (std::size_t i = 0; i < driver.CameraCount(); ++i) {
        const int camera = static_cast<int>(i);
        const unsigned devnum = static_cast<unsigned>(i) + 2;
        char devname[64];
        std::snprintf(devname, sizeof devname, "/dev/bus/usb/001/%03u", devnum);
        std::string hex;
        for (std::uint8_t byte : driver.UsbDescriptors(camera)) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", byte);
            hex += digits;
        }
        // The device as the system's device database describes it; the "N:"
        // line makes the device file that the handler answers.
        char record[512];
        std::snprintf(record, sizeof record,
                      "P: /devices/pci0000:00/usb1/1-%u\nN: bus/usb/001/%03u\n"
                      "E: DEVNAME=%s\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\n"
                      "E: BUSNUM=001\nE: DEVNUM=%03u\nA: busnum=1\nA: devnum=%u\n"
                      "A: speed=%u\nA: bConfigurationValue=1\nA: idVendor=%04x\n"
                      "A: idProduct=%04x\nH: descriptors=",
                      static_cast<unsigned>(i) + 1, devnum, devname, devnum, devnum,
                      driver.UsbSpeedMbps(), driver.UsbVendorId(), driver.UsbProductId(camera));
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(impl_->testbed, (record + hex + "\n").c_str(),
                                              &error)) {
            std::fprintf(stderr, "umockdev: %s\n", error != nullptr ? error->message : "?");
            g_clear_error(&error);
        }
        auto node = std::make_unique<CameraNode>();
        node->driver = &driver;
        node->camera = camera;
        node->handler = umockdev_ioctl_base_new();
        g_signal_connect(node->handler, "handle-ioctl", G_CALLBACK(OnIoctl), node.get());
        if (!umockdev_testbed_attach_ioctl(impl_->testbed, devname, node->handler, &error)) {
            std::fprintf(stderr, "umockdev: %s\n", error != nullptr ? error->message : "?");
            g_clear_error(&error);
        }
        impl_->nodes.push_back(std::move(node));
    }
}

UsbTestbed::~UsbTestbed() {
    // The test bed's worker thread stops with it; only then do the handlers go.
    g_object_unref(impl_->testbed);
    for (auto& node : impl_->nodes) {
        std::lock_guard<std::mutex> guard(node->lock);
        for (auto* queue : {&node->submitted, &node->reapable}) {
            for (Urb& urb : *queue) urb.Release();
        }
        g_object_unref(node->handler);
    }
}

}  // namespace nodrix::testing
