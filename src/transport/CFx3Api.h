#pragma once
// Device discovery and the device table: scans the driver's device
// interfaces, records each camera once with its instance number among the
// cameras of its product, and mirrors the table into the shared memory that
// all processes of the library join.

#include <cstddef>
#include <cstdint>

#include "platform/DriverPort.h"
#include "platform/SharedMemory.h"
#include "transport/DeviceTable.h"

namespace nodrix {

class CFx3Api {
public:
    // Joins the shared table; without a class the cameras' default one. The
    // port is the driver every request goes through; it outlives this object.
    explicit CFx3Api(platform::DriverPort& port, const platform::Guid* interfaceClass = nullptr);
    // Leaves the shared table.
    virtual ~CFx3Api();
    CFx3Api(const CFx3Api&) = delete;
    CFx3Api& operator=(const CFx3Api&) = delete;

    // Scans the present interfaces and adds the new ones. Returns the number
    // of registered devices (including those not attached any more).
    int Enumerate();
    // Table index of the first entry with that product and instance, or -1.
    int FindDevice(std::uint16_t productId, int instance) const;
    // Opens the entry's path; kInvalidDriverHandle on failure.
    platform::DriverHandle OpenDevice(int tableIndex, bool overlapped) const;
    // Whether the entry's path opens now.
    bool IsDevicePresent(int tableIndex) const;
    // The model name of an entry of another camera model, "<label>_NN".
    // Fails for entries not present, for this camera's products and when the
    // name does not fit textSize bytes.
    bool GetDeviceName(int tableIndex, char* text, std::size_t textSize) const;

    // Reading the process's table.
    int DeviceCount() const;
    // Copies entry tableIndex (0..31); false outside the table.
    bool GetEntry(int tableIndex, transport::DeviceEntry* entry) const;
    // Whether the object reached the shared memory.
    bool HasSharedTable() const;

protected:
    platform::DriverPort& Port() const { return *port_; }

private:
    void JoinSharedTable();
    void LeaveSharedTable();
    // Adds the device at path unless it is known; under the table locks.
    void RegisterDevice(const char* path);

    platform::DriverPort* port_;
    platform::Guid interfaceClass_;
    platform::SharedMemory shared_;
    platform::NamedMutex sharedLock_;
    bool hasShared_ = false;
    bool hasSharedLock_ = false;
};

}  // namespace nodrix
