#pragma once
// The transport object: one per camera core. Discovery and the device table
// come from CFx3Api; the requests to the controller's driver (control
// transfers carrying the camera's vendor requests, register and EEPROM
// access, queued bulk reads, the frame-header exchange and camera-memory
// transfers) are implemented here. Sensor drivers see it only through
// CControllerBase.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/DriverPort.h"
#include "platform/Event.h"
#include "platform/RecursiveLock.h"
#include "transport/CControllerBase.h"
#include "transport/CFx3Api.h"
#include "transport/DeviceClaim.h"
#include "transport/FrameDescriptor.h"
#include "transport/MemoryCommand.h"
#include "transport/TransferRecord.h"
#include "transport/TransferSlots.h"

namespace nodrix {

class CNodrixCy3 : public CFx3Api, public CControllerBase {
public:
    explicit CNodrixCy3(platform::DriverPort& port, const platform::Guid* interfaceClass = nullptr);
    ~CNodrixCy3() override;

    // --- CControllerBase ---
    void Close() override;
    int SelectDevice(int tableIndex) override;
    // Takes the entry's camera for this transport (a camera it holds
    // already is kept), releasing the one it held before; false, with the
    // earlier claim kept, when another connection or process holds it.
    bool ClaimDevice(int tableIndex);
    int ReadFpgaVersion() override;
    int I2cWrite(std::uint8_t busAddress, const std::uint8_t* data, int count,
                 std::uint32_t timeoutMs) override;
    int I2cRead(std::uint8_t busAddress, std::uint8_t* data, int count,
                std::uint32_t timeoutMs) override;
    int VendorWriteD0(std::uint16_t selector, std::uint32_t value) override;
    int VendorReadD1(std::uint16_t argument, std::uint16_t* result) override;
    int VendorWrite3E(std::uint16_t first, std::uint16_t second) override;
    int VendorRead3F(std::uint16_t argument, std::uint16_t* result) override;
    int WriteFpgaRegister(std::uint8_t address, std::uint8_t value) override;
    int ReadFpgaRegister(std::uint8_t address, std::uint8_t* value) override;
    int WriteAuxRegister(std::uint8_t address, std::uint8_t value) override;
    int ReadAuxRegister(std::uint8_t address, std::uint8_t* value) override;
    int AbortDataPipe() override;

    // --- the transport's own operations, in the order of its interface ---
    // Opens the data handle (overlapped) unless it is open.
    virtual int EnsureDataHandle();
    // Asks for the next frame header and reads it into frame (30 tries).
    virtual int ReadStatusBlock(transport::FrameDescriptor& frame);
    // Reads the payload announced by frame's header into its buffer.
    virtual int ReadFrameData(transport::FrameDescriptor& frame, std::uint32_t timeoutMs);
    // One read of frame.frameSize bytes from the stream endpoint 0x83.
    virtual int ReadStreamBlock(transport::FrameDescriptor& frame);
    // Reads stored frame frame.frameNumber from camera memory into frame's
    // buffer; count: bytes asked for in, bytes delivered out.
    virtual int ReadStoredFrame(transport::FrameDescriptor& frame, std::uint32_t* count);
    virtual void CloseDataHandle();
    // Camera memory moves whole 4096-byte blocks: count rounded down to a
    // block, plus one block. Only count bytes of source are read and only
    // count bytes of destination are written.
    virtual int WriteCameraMemory(std::uint64_t address, const std::uint8_t* source,
                                  std::uint32_t count);
    virtual int ReadCameraMemory(std::uint64_t address, std::uint8_t* destination,
                                 std::uint32_t count);
    virtual int WriteEepromByte(std::uint16_t address, std::uint8_t value);
    virtual int ReadEepromByte(std::uint16_t address, std::uint8_t* value);
    virtual int VendorCommandCC();
    virtual int WriteControlByte(std::uint8_t value);
    virtual int ReadControlByte(std::uint8_t* value);
    // Direct transfer through the request buffer (0x220024).
    virtual int TransferSync(platform::DriverHandle handle, std::uint8_t* destination,
                             std::uint32_t count, std::uint8_t endpoint,
                             std::uint32_t* transferred);
    // Request 0xC2, then a queued read with 5000 ms.
    virtual int TransferAsync5000(platform::DriverHandle handle, std::uint8_t* buffer,
                                  std::uint32_t count, std::uint8_t endpoint,
                                  std::uint32_t* transferred);
    virtual int BulkRead(platform::DriverHandle handle, std::uint8_t* buffer, std::uint32_t count,
                         std::uint8_t endpoint, std::uint32_t* transferred,
                         std::uint32_t timeoutMs);
    virtual int BulkWrite(platform::DriverHandle handle, const std::uint8_t* buffer,
                          std::uint32_t count, std::uint8_t endpoint, std::uint32_t* transferred);

    // --- further requests the camera core uses ---
    // 64-byte information blocks; block is written only when all 64 bytes came.
    int ReadFirmwareInfo(std::uint8_t* block);
    int ReadFirmwareInfoB1(std::uint8_t* block);
    int VendorCommandC0();
    // ready is written only when the full answer came (1: FPGA configured).
    int ReadFpgaReady(std::uint8_t* ready);
    // Bus speed code (4: SuperSpeed).
    int GetSpeed(std::uint32_t* speed);
    int ResetPort();
    int ResetDataPipe(std::uint8_t endpoint);

    // --- stopping the frame reads from another thread ---
    // Makes the reads from endpoint 0x81 give up: the header exchange and the
    // payload read see it between tries and pieces, a read not yet queued is
    // not queued, and a read that is pending is aborted. It stays in force
    // until AllowReads, so that a read racing with the stop cannot slip in
    // after the abort and wait out its time-out.
    void InterruptReads();
    void AllowReads();
    bool ReadsInterrupted() const { return readsInterrupted_.load(); }
    // Header tries that failed or came short since the last call (a try cut
    // short by a stop is not one): each lost the frame it carried.
    std::uint32_t TakeFailedHeaderReads() { return failedHeaderReads_.exchange(0); }

    // The request buffer (64 MiB + 38 bytes) every queued and direct
    // transfer needs; the core allocates it once at start-up.
    bool AllocateRequestBuffer();
    bool HasRequestBuffer() const { return requestBuffer_ != nullptr; }

    platform::DriverHandle DataHandle() const { return dataHandle_.load(); }
    int SelectedIndex() const { return selectedIndex_.load(); }
    // The driver's answer to the last queued-transfer submission.
    std::uint32_t LastSubmitResult() const { return lastSubmitResult_.load(); }
    CControllerBase& Controller() { return *this; }

private:
    struct ControlReply {
        bool ok = false;
        std::uint32_t dataBytes = 0;
        std::uint8_t data[transport::kControlDataSize] = {};
    };
    // One control request on handle.
    ControlReply ControlTransfer(platform::DriverHandle handle,
                                 const transport::ControlSetup& setup,
                                 const std::uint8_t* data = nullptr, std::size_t count = 0);
    // One control request on a handle opened for it alone.
    ControlReply VendorRequest(const transport::ControlSetup& setup,
                               const std::uint8_t* data = nullptr, std::size_t count = 0);
    int ReadInfoBlock(std::uint8_t request, std::uint8_t* block);
    int SendFrameHeaderRequest(platform::DriverHandle handle);
    // A synchronous request without a record on a handle of its own.
    bool SimpleIoControl(std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                         std::uint32_t outSize, std::uint32_t* returned);

    // The data handle for one operation: opened if needed; closed again by
    // ReleaseDataHandle only if this operation opened it.
    platform::DriverHandle AcquireDataHandle(bool* opened);
    void ReleaseDataHandle(bool opened);

    // The queued transfer with its wait, status check and abort.
    int QueuedTransfer(platform::DriverHandle handle, std::uint8_t* buffer, std::uint32_t count,
                       std::uint8_t endpoint, std::uint32_t* transferred, std::uint32_t timeoutMs);
    // Aborts the transfers pending on endpoint 0x81 and waits for the abort.
    void AbortPipe(platform::DriverHandle handle);
    // A wait between two header tries, cut short by InterruptReads.
    void PauseBetweenTries(std::uint32_t ms);
    int MemoryTransfer(transport::MemoryDirection direction, std::uint64_t address,
                       std::uint8_t* buffer, std::uint64_t bufferBytes, std::uint64_t total,
                       std::uint32_t pieceLimit);

    std::unique_ptr<transport::DeviceClaim> claim_;
    std::atomic<platform::DriverHandle> dataHandle_{platform::kInvalidDriverHandle};
    std::atomic<int> selectedIndex_{0};
    std::unique_ptr<std::uint8_t[]> requestBuffer_;
    // Overlapped records reused by the queued transfers, the header request
    // and the abort.
    transport::TransferSlots slots_{Port()};
    std::atomic<std::uint32_t> lastSubmitResult_{0};
    // Reads from endpoint 0x81 between their registration and their end;
    // InterruptReads aborts the pipe only when there is one.
    std::atomic<int> readsInFlight_{0};
    std::atomic<bool> readsInterrupted_{false};
    std::atomic<std::uint32_t> failedHeaderReads_{0};
    platform::Event interruption_{platform::EventReset::Manual, false};
    // Keeps the data handle open while InterruptReads aborts on it.
    platform::RecursiveLock dataHandleLock_;
    // Keeps the address write and value read of one FPGA register access
    // together.
    platform::RecursiveLock fpgaLock_;
};

}  // namespace nodrix
