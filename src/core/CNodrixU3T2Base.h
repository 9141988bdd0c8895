#pragma once
// The camera core: owns the USB transport and, while a device is open, the
// sensor driver chosen by the product identifier; opens and closes the
// device, brings FPGA and sensor up, runs the acquisition thread with its
// ring of four frame buffers, and offers the camera controls.
//
// The class never leaves the library, so the order of its operations binds
// nobody. Operations that forward to the sensor driver return a neutral
// value while no driver is open: 0, except the output formats and the
// firmware feature (1) and GetGainMode / GetOutputSelect (-1). Getters return the value
// and set an optional ok flag.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/FrameCopy.h"
#include "core/FrameRing.h"
#include "core/FrameSink.h"
#include "core/StreamStatistics.h"
#include "platform/DriverPort.h"
#include "platform/RecursiveLock.h"

namespace nodrix {

namespace platform {
class Event;
class Thread;
}  // namespace platform

class CNodrixCy3;
class CSensorBase;
namespace transport {
struct FrameDescriptor;
}  // namespace transport
struct SensorDescription;

// Acquisition modes of the thread.
enum AcquisitionMode : int {
    kModeContinuous = 0,
    kModeSingle = 1,
    kModeTriggered = 2,
    kModeHeaderOnly = 3,
    // A frame per trigger, as kModeTriggered, but the run goes on after
    // each frame instead of ending with it.
    kModeTriggeredStream = 4,
};

// WaitFrame results.
inline constexpr int kWaitStreamFailed = 1;
inline constexpr int kWaitNoFrame = 2;
inline constexpr int kWaitNewFrame = 3;

class CNodrixU3T2Base {
public:
    CNodrixU3T2Base();
    CNodrixU3T2Base(const CNodrixU3T2Base&) = delete;
    CNodrixU3T2Base& operator=(const CNodrixU3T2Base&) = delete;

    // --- Device lifecycle -------------------------------------------------
    virtual ~CNodrixU3T2Base();
    // Shuts down, then creates a transport over the port for the interface
    // class (the default one when guid is null). The second argument is not
    // used. The port outlives the core.
    virtual int Setup(platform::DriverPort& port, void* unused, const platform::Guid* guid);
    virtual int InitializeCamera();
    virtual int Shutdown();
    // Request 0xB0 / 0xB1: a 64-byte information block into block.
    virtual int ReadFirmwareInfo(std::uint8_t* block);
    virtual int GetDescription(SensorDescription* buffer);
    virtual int ReadFirmwareInfoB1(std::uint8_t* block);
    // StopTransfer, then OpenCamera: 0 on success, -1 on failure.
    virtual int Reopen(int deviceNumber);
    virtual int OpenCamera(int deviceNumber);
    // Takes the camera for this core before it is opened: false when
    // another connection (of this process or, on a real camera, another
    // one) holds it. The camera held before is let go once this succeeds.
    bool ClaimCamera(int deviceNumber);
    virtual int IsCameraPresent(int deviceNumber);
    // Product 0: every registered device; else the present ones of it.
    virtual int CountCameras(int productId);
    virtual int GetDeviceName(int tableIndex, char* text, int size);
    virtual int SetProductId(int productId);
    virtual int GetProductId();
    virtual int GetTableVendorId(int tableIndex);
    virtual int GetTableProductId(int tableIndex);
    virtual int GetTableInstance(int tableIndex);
    virtual int UsesStreamEndpoint();
    virtual int GetCameraIndex();

    // --- Acquisition --------------------------------------------------------
    virtual int StartTransfer(int mode);
    virtual int StopTransfer();
    virtual int CopyFrame(std::uint8_t* buffer, std::uint32_t length, int fromFirst, int bottomUp);
    virtual int SetAcquisitionMode(int mode);
    virtual int StopStream();
    virtual int AcquisitionLoop();
    virtual int StreamAcquisitionLoop();
    virtual int MemoryAcquisitionLoop();
    virtual int PrepareBuffers();
    virtual int GetMaxCameras() { return 32; }
    virtual int ReadTriggerState();
    virtual int CaptureOne();
    virtual int ReadFrameDirect(std::uint8_t* buffer, int bottomUp);
    virtual int SetFrameTimeout(int milliseconds);
    virtual int WaitFrame(int milliseconds);
    virtual int ReadFrame(std::uint8_t* buffer, int bottomUp);

    // --- Controls -----------------------------------------------------------
    virtual int SetTransferBits(int mode);
    virtual int SetClockRate(int index);
    virtual int GetClockRate(int* ok = nullptr);
    virtual int SetCaptureWindow(int x, int y, int width, int height, int mode);
    virtual int GetCaptureWindow(int* x, int* y, int* width, int* height, int* mode);
    virtual int SetMirrorH(int flag);
    virtual int SetMirrorV(int flag);
    virtual int GetMirrorH(int* ok = nullptr);
    virtual int GetMirrorV(int* ok = nullptr);
    virtual int GetMirrorVDefault();
    virtual int GetMirrorHDefault();
    virtual int HasMirrorV();
    virtual int HasMirrorH();
    virtual int SetTriggerMode(int mode, int force);
    virtual int GetTriggerMode(int* ok = nullptr);
    virtual int WriteConfigByte(int address, int value);
    virtual int ReadConfigByte(int address, std::uint8_t* value);
    virtual int CanChangeWidth();
    virtual int CanChangeHeight();
    virtual int GetMaxWidth();
    virtual int GetMaxHeight();
    virtual int GetDefaultWidth();
    virtual int GetDefaultHeight();
    virtual int GetDefaultX();
    virtual int GetDefaultY();

    virtual int SetGain(int code);
    virtual int GetGain(int* ok = nullptr);
    virtual int GetGainMin(int* ok = nullptr);
    virtual int GetGainMax(int* ok = nullptr);
    virtual int GetGainDefault(int* ok = nullptr);

    // Exposure in units of 0.1 ms; also sets the frame time-out.
    virtual int SetExposure(int tenths);
    virtual int GetExposureTenths(int* ok = nullptr);
    virtual int GetExposureTenthsMin(int* ok = nullptr);
    virtual int GetExposureTenthsMax(int* ok = nullptr);
    virtual int GetExposureTenthsDefault(int* ok = nullptr);

    virtual int SetExposureLines(int lines);
    virtual int GetExposureLines(int* ok = nullptr);
    virtual int GetExposureLinesMin(int* ok = nullptr);
    virtual int GetExposureLinesMax(int* ok = nullptr);
    virtual int GetExposureLinesDefault(int* ok = nullptr);

    virtual int HasExposureSeconds();
    virtual int SetExposureSeconds(double seconds);
    virtual double GetExposureSeconds(int* ok = nullptr);
    virtual double GetExposureSecondsMin(int* ok = nullptr);
    virtual double GetExposureSecondsMax(int* ok = nullptr);
    virtual double GetExposureSecondsDefault(int* ok = nullptr);

    virtual int SetChannelGain(int channel, int value);
    virtual int GetChannelGain(int channel, int* ok = nullptr);
    virtual int GetChannelGainMin(int* ok = nullptr);
    virtual int GetChannelGainMax(int* ok = nullptr);
    virtual int GetChannelGainDefault(int* ok = nullptr);
    virtual int SetChannelOffset(int channel, int value);
    virtual int GetChannelOffset(int channel, int* ok = nullptr);
    virtual int GetChannelOffsetMin(int* ok = nullptr);
    virtual int GetChannelOffsetMax(int* ok = nullptr);
    virtual int GetChannelOffsetDefault(int* ok = nullptr);

    virtual int SetRedGain(int value);
    virtual int GetRedGain(int* ok = nullptr);
    virtual int SetGreen1Gain(int value);
    virtual int GetGreen1Gain(int* ok = nullptr);
    virtual int SetGreen2Gain(int value);
    virtual int GetGreen2Gain(int* ok = nullptr);
    virtual int SetBlueGain(int value);
    virtual int GetBlueGain(int* ok = nullptr);
    virtual int GetColorGainMin(int* ok = nullptr);
    virtual int GetColorGainMax(int* ok = nullptr);
    virtual int GetColorGainDefault(int* ok = nullptr);

    virtual int HasBlackLevel();
    virtual int SetBlackLevel(int value);
    virtual int GetBlackLevel(int* ok = nullptr);
    virtual int GetBlackLevelMin(int* ok = nullptr);
    virtual int GetBlackLevelMax(int* ok = nullptr);
    virtual int GetBlackLevelDefault(int* ok = nullptr);

    virtual int WriteRegister(int address, int value);
    virtual int ReadRegister(int address, int* ok = nullptr);
    virtual int WriteFpgaRegister(int address, int value);
    virtual int ReadFpgaRegister(int address, int* ok = nullptr);

    virtual void Restart();
    virtual void AuxiliaryRestart();
    virtual int ModelCommand(int code, void* data);
    virtual int HasGainMode();
    virtual int SetGainMode(int flag);
    virtual int GetGainMode();

    // EEPROM byte 0x1080.
    virtual int WriteSettingsByte(int value);
    virtual int ReadSettingsByte(std::uint8_t* value);
    virtual int HasExtendedFirmware();
    virtual int GetModelOption(int* ok = nullptr);
    virtual int SetModelOption(int value);

    // Level control of other camera models; none on this one.
    virtual int IsLevelSupported() { return 0; }
    virtual int SetLevel(int /*value*/) { return 0; }
    virtual int GetLevel() { return 0; }
    virtual int GetLevelMin() { return 0; }
    virtual int GetLevelMax() { return 0; }

    // Text channel of one other camera model; 0 on this one.
    virtual int ReceiveText(char* buffer, int length);
    virtual int SendText(const char* text, int length);

    virtual int HasPeltier();
    virtual int GetPeltier();
    virtual int SetPeltier(int flag);
    virtual int HasTemperature();
    virtual double GetTemperature(int* ok = nullptr);

    virtual int HasAuxSwitch();
    virtual int GetAuxSwitch(int* ok = nullptr);
    virtual int SetAuxSwitch(int flag);
    virtual int HasAuxMode();
    virtual int GetAuxMode(int* ok = nullptr);
    virtual int SetAuxMode(int flag);
    virtual int HasCoolingSetpoint();
    virtual int GetCoolingTemperature(int* ok = nullptr);
    virtual int SetCoolingSetpoint(int degrees);
    virtual int HasVersionInfo(int a, int b);

    virtual int GetVersionInfo(int* a, int* b, int* c, int* d);
    virtual int SetReadoutOption(int value);
    virtual int ApplyReadoutOption();
    virtual int HasReadoutOption();
    virtual int HasShortExposure();
    virtual int GetShortExposure(int* ok = nullptr);
    virtual int SetShortExposure(int flag);

    virtual int HasGainStep();
    virtual int GetGainStepMin(int* ok = nullptr);
    virtual int GetGainStepMax(int* ok = nullptr);
    virtual int GetGainStepDefault(int* ok = nullptr);
    virtual int GetGainStep(int* ok = nullptr);
    virtual int SetGainStep(int index);
    virtual int GetGainStepLabel(int index, char* label);

    virtual int HasOutputSelect();
    virtual int SetOutputSelect(int value);
    virtual int GetOutputSelect();
    virtual int Supports8BitOutput();
    virtual int Supports16BitOutput();
    virtual int SupportsColorOutput();
    virtual int HasFirmwareFeature();
    virtual int EnableFirmwareFeature();

    // --- Not part of the interface: for the connection and for tests --------
    int FrameTimeoutMs() const { return frameTimeoutMs_.load(); }
    std::uint32_t FrameSize() const { return frameSize_; }
    std::uint32_t TransferCapacity() const { return transferCapacity_; }
    // ReadFrame (bottom-up flag set) with the rows in reverse order once more
    // when lastRowFirst, and the frame kept: CopyKeptFrame copies the same
    // frame again later, as ReadFrame would have, however many frames came
    // since. Returns 0 like ReadFrame, -1 without a frame.
    int ReadFrameKept(std::uint8_t* buffer, bool lastRowFirst);
    // The frame of the last ReadFrameKept into buffer (frame-size bytes, as
    // ReadFrame with the bottom-up flag set); false when it is gone.
    bool CopyKeptFrame(std::uint8_t* buffer);
    int BitDepthMode() const { return bitDepthMode_; }
    int AcquisitionModeNow() const { return acquisitionMode_.load(); }
    bool BuffersNeedSetup() const { return buffersNeedSetup_; }
    bool StreamFailed() const { return streamFailed_.load(); }
    bool Acquiring() const { return running_.load(); }
    int TriggeredFrameCount() const { return triggeredFrames_.load(); }
    std::uint32_t LastFrameNumber() const { return lastFrameNumber_.load(); }
    int FirmwareVersion() const;
    CSensorBase* Sensor() const { return sensor_.get(); }
    CNodrixCy3* Transport() const { return transport_.get(); }
    // The counts of the frame stream, shared with the connection that hands
    // the frames out.
    core::StreamStatistics& Statistics() { return statistics_; }
    // What the ring recorded of the frame the last ReadFrame or
    // ReadFrameKept copied out (its number and completion time).
    core::FrameRing::SlotInfo LastReadInfo() const { return lastReadInfo_; }
    // Hands the next runs' frames to sink instead of the ring (null: the
    // ring again). Set only while no acquisition thread runs.
    void SetFrameSink(core::FrameSink* sink) { sink_.store(sink); }
    // How the stored rows map onto the raw image's memory order (the order
    // ReadFrame with the bottom-up flag gives).
    core::FrameOrientation RawOrientation() const;

protected:
    // The FPGA register that pulses the stream reset, by the driver's model
    // code; 0 for none.
    int StreamResetRegister() const;
    void PulseStreamReset();
    // Frame event and end event: created on demand, dropped by StopTransfer.
    // A waiter holds its own reference, so dropping one never pulls the
    // event out from under a thread blocked on it.
    std::shared_ptr<platform::Event> FrameEvent() const;
    void EnsureFrameEvent();
    void SignalFrameEvent() const;
    void DropFrameEvent();
    void SignalEndEvent() const;
    // Leaves the thread body: closes the data handle, signals the end event
    // (and the frame event after a stream failure), clears the running flag.
    void FinishThread();
    void ThreadBody();
    bool WholeFrame(const transport::FrameDescriptor& descriptor) const;
    // Reads the payload whose header is in descriptor into buffer; whether
    // a whole frame arrived.
    bool ReadPayloadInto(transport::FrameDescriptor& descriptor, std::uint8_t* buffer,
                         std::size_t capacity, std::uint32_t timeoutMs);
    // Creates the sensor driver of the product identifier; none for a
    // product this library has no driver for.
    void CreateSensorDriver();
    void DestroySensorDriver();
    void FreeBuffers();
    // Counts the frames in the ring that no one took as overwritten and
    // marks them taken.
    void DiscardUntakenFrames();
    // A reader took the frame `taken` (0: none) when `stored` frames were
    // in the ring and `before` had been taken: the frames it passed over
    // were overwritten.
    void CountTaken(std::uint64_t before, std::uint64_t stored, std::uint64_t taken);
    // Hands the transport's failed header tries to the statistics.
    void CountFailedHeaders();
    core::FrameGeometry PreparedGeometry() const { return geometry_; }
    // The payload whose header is in descriptor into the ring, counted as
    // received when whole; or into the sink's memory.
    bool ReadIntoRing(transport::FrameDescriptor& descriptor, std::uint32_t timeoutMs);
    bool ReadIntoSink(core::FrameSink& sink, transport::FrameDescriptor& descriptor,
                      std::uint32_t timeoutMs);

private:
    std::unique_ptr<CNodrixCy3> transport_;
    std::array<std::uint8_t, 64> firmwareInfo_{};
    std::uint32_t transferCapacity_ = 0;
    std::atomic<int> acquisitionMode_{kModeContinuous};
    int productId_ = -1;
    int bitDepthMode_ = 0;
    int triggerMode_ = -1;

    core::FrameRing ring_;
    core::StreamStatistics statistics_;
    core::FrameRing::SlotInfo lastReadInfo_;  // written by the reader's thread
    core::FrameGeometry geometry_;            // of the frames the buffers were prepared for
    std::uint32_t frameSize_ = 0;
    std::atomic<bool> streamFailed_{false};
    bool buffersNeedSetup_ = true;

    std::unique_ptr<CSensorBase> sensor_;
    std::atomic<std::uint32_t> lastFrameNumber_{0};
    int deviceNumber_ = 0;
    std::atomic<int> frameTimeoutMs_{5000};
    std::atomic<int> triggeredFrames_{0};
    std::atomic<bool> sensorCommandPending_{false};
    std::atomic<int> sensorCommandValue_{0};

    std::unique_ptr<platform::Thread> thread_;
    std::atomic<bool> running_{false};
    std::atomic<core::FrameSink*> sink_{nullptr};
    // Set by a single-frame or triggered run once it has its frame and
    // leaves the loop without being stopped.
    std::atomic<bool> endingByItself_{false};
    mutable platform::RecursiveLock eventLock_;  // guards the two event pointers
    std::shared_ptr<platform::Event> frameEvent_;
    std::shared_ptr<platform::Event> endEvent_;
};

}  // namespace nodrix
