#pragma once
// The camera core: owns the USB transport and, while a device is open, the
// sensor driver chosen by the product identifier; opens and closes the
// device, brings FPGA and sensor up, runs the acquisition thread with its
// ring of four frame buffers, and offers the camera controls.
//
// The 174 virtual operations below are the core's interface in slot order
// (the trailing comment is the slot). Operations that forward to the sensor
// driver return a neutral value while no driver is open: 0, except the last
// five (1) and GetGainMode / GetOutputSelect (-1). Getters return the value
// and set an optional ok flag.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/FrameCopy.h"
#include "core/FrameRing.h"
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

// Product identifiers of this camera model; both use CSensorZQ4410.
inline constexpr int kProductT520 = 0x33B0;
inline constexpr int kProductT520Early = 0x32C0;
// The one product whose frames arrive on the second bulk endpoint.
inline constexpr int kProductStreamEndpoint = 0x3042;

// Acquisition modes of the thread.
enum AcquisitionMode : int {
    kModeContinuous = 0,
    kModeSingle = 1,
    kModeTriggered = 2,
    kModeHeaderOnly = 3,
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
    virtual ~CNodrixU3T2Base();                                                         // 1
    // Shuts down, then creates a transport for the interface class (the
    // default one when guid is null). The first argument is not used.
    virtual int Setup(void* unused, const platform::Guid* guid);                        // 2
    virtual int InitializeCamera();                                                     // 3
    virtual int Shutdown();                                                             // 4
    // Request 0xB0 / 0xB1: a 64-byte information block into block.
    virtual int ReadFirmwareInfo(std::uint8_t* block);                                  // 5
    virtual int GetDescription(SensorDescription* buffer);                              // 6
    virtual int ReadFirmwareInfoB1(std::uint8_t* block);                                // 7
    // StopTransfer, then OpenCamera: 0 on success, -1 on failure.
    virtual int Reopen(int deviceNumber);                                               // 8
    virtual int OpenCamera(int deviceNumber);                                           // 9
    virtual int Reserved10() { return 0; }                                              // 10
    virtual int IsCameraPresent(int deviceNumber);                                      // 11
    // Product 0: every registered device; else the present ones of it.
    virtual int CountCameras(int productId);                                            // 12
    virtual int GetDeviceName(int tableIndex, char* text, int size);                    // 13
    virtual int SetProductId(int productId);                                            // 14
    virtual int GetProductId();                                                         // 15
    virtual int GetTableVendorId(int tableIndex);                                       // 16
    virtual int GetTableProductId(int tableIndex);                                      // 17
    virtual int GetTableInstance(int tableIndex);                                       // 18
    virtual int UsesStreamEndpoint();                                                   // 19
    virtual int GetCameraIndex();                                                       // 20

    // --- Acquisition --------------------------------------------------------
    virtual int StartTransfer(int mode);                                                // 21
    virtual int StopTransfer();                                                         // 22
    virtual int CopyFrame(std::uint8_t* buffer, std::uint32_t length, int fromFirst,
                          int bottomUp);                                                // 23
    virtual int SetAcquisitionMode(int mode);                                           // 24
    virtual int StopStream();                                                           // 25
    virtual int AcquisitionLoop();                                                      // 26
    virtual int StreamAcquisitionLoop();                                                // 27
    virtual int MemoryAcquisitionLoop();                                                // 28
    virtual int PrepareBuffers();                                                       // 29
    virtual int GetMaxCameras() { return 32; }                                          // 30
    virtual int ReadTriggerState();                                                     // 31
    virtual int CaptureOne();                                                           // 32
    virtual int Reserved33() { return -1; }                                             // 33
    virtual int ReadFrameDirect(std::uint8_t* buffer, int unused1, int unused2, int unused3,
                                int bottomUp);                                          // 34
    virtual int SetFrameTimeout(int milliseconds);                                      // 35
    virtual int WaitFrame(int milliseconds);                                            // 36
    virtual int ReadFrame(std::uint8_t* buffer, int unused1, int unused2, int unused3,
                          int bottomUp);                                                // 37
    virtual int Reserved38() { return 0; }                                              // 38

    // --- Controls -----------------------------------------------------------
    virtual int SetTransferBits(int mode);                                              // 39
    virtual int SetClockRate(int index);                                                // 40
    virtual int GetClockRate(int* ok = nullptr);                                        // 41
    virtual int SetCaptureWindow(int x, int y, int width, int height, int mode);        // 42
    virtual int GetCaptureWindow(int* x, int* y, int* width, int* height, int* mode);   // 43
    virtual int SetMirrorH(int flag);                                                   // 44
    virtual int SetMirrorV(int flag);                                                   // 45
    virtual int GetMirrorH(int* ok = nullptr);                                          // 46
    virtual int GetMirrorV(int* ok = nullptr);                                          // 47
    virtual int GetMirrorVDefault();                                                    // 48
    virtual int GetMirrorHDefault();                                                    // 49
    virtual int HasMirrorV();                                                           // 50
    virtual int HasMirrorH();                                                           // 51
    virtual int SetTriggerMode(int mode, int force);                                    // 52
    virtual int GetTriggerMode(int* ok = nullptr);                                      // 53
    virtual int WriteConfigByte(int address, int value);                                // 54
    virtual int ReadConfigByte(int address, std::uint8_t* value);                       // 55
    virtual int CanChangeWidth();                                                       // 56
    virtual int CanChangeHeight();                                                      // 57
    virtual int GetMaxWidth();                                                          // 58
    virtual int GetMaxHeight();                                                         // 59
    virtual int GetDefaultWidth();                                                      // 60
    virtual int GetDefaultHeight();                                                     // 61
    virtual int GetDefaultX();                                                          // 62
    virtual int GetDefaultY();                                                          // 63

    virtual int SetGain(int code);                                                      // 64
    virtual int GetGain(int* ok = nullptr);                                             // 65
    virtual int GetGainMin(int* ok = nullptr);                                          // 66
    virtual int GetGainMax(int* ok = nullptr);                                          // 67
    virtual int GetGainDefault(int* ok = nullptr);                                      // 68

    // Exposure in units of 0.1 ms; also sets the frame time-out.
    virtual int SetExposure(int tenths);                                                // 69
    virtual int GetExposureTenths(int* ok = nullptr);                                   // 70
    virtual int GetExposureTenthsMin(int* ok = nullptr);                                // 71
    virtual int GetExposureTenthsMax(int* ok = nullptr);                                // 72
    virtual int GetExposureTenthsDefault(int* ok = nullptr);                            // 73

    virtual int SetExposureLines(int lines);                                            // 74
    virtual int GetExposureLines(int* ok = nullptr);                                    // 75
    virtual int GetExposureLinesMin(int* ok = nullptr);                                 // 76
    virtual int GetExposureLinesMax(int* ok = nullptr);                                 // 77
    virtual int GetExposureLinesDefault(int* ok = nullptr);                             // 78

    virtual int HasExposureSeconds();                                                   // 79
    virtual int SetExposureSeconds(double seconds);                                     // 80
    virtual double GetExposureSeconds(int* ok = nullptr);                               // 81
    virtual double GetExposureSecondsMin(int* ok = nullptr);                            // 82
    virtual double GetExposureSecondsMax(int* ok = nullptr);                            // 83
    virtual double GetExposureSecondsDefault(int* ok = nullptr);                        // 84

    virtual int SetChannelGain(int channel, int value);                                 // 85
    virtual int GetChannelGain(int channel, int* ok = nullptr);                         // 86
    virtual int GetChannelGainMin(int* ok = nullptr);                                   // 87
    virtual int GetChannelGainMax(int* ok = nullptr);                                   // 88
    virtual int GetChannelGainDefault(int* ok = nullptr);                               // 89
    virtual int SetChannelOffset(int channel, int value);                               // 90
    virtual int GetChannelOffset(int channel, int* ok = nullptr);                       // 91
    virtual int GetChannelOffsetMin(int* ok = nullptr);                                 // 92
    virtual int GetChannelOffsetMax(int* ok = nullptr);                                 // 93
    virtual int GetChannelOffsetDefault(int* ok = nullptr);                             // 94

    virtual int SetRedGain(int value);                                                  // 95
    virtual int GetRedGain(int* ok = nullptr);                                          // 96
    virtual int SetGreen1Gain(int value);                                               // 97
    virtual int GetGreen1Gain(int* ok = nullptr);                                       // 98
    virtual int SetGreen2Gain(int value);                                               // 99
    virtual int GetGreen2Gain(int* ok = nullptr);                                       // 100
    virtual int SetBlueGain(int value);                                                 // 101
    virtual int GetBlueGain(int* ok = nullptr);                                         // 102
    virtual int GetColorGainMin(int* ok = nullptr);                                     // 103
    virtual int GetColorGainMax(int* ok = nullptr);                                     // 104
    virtual int GetColorGainDefault(int* ok = nullptr);                                 // 105

    virtual int HasBlackLevel();                                                        // 106
    virtual int SetBlackLevel(int value);                                               // 107
    virtual int GetBlackLevel(int* ok = nullptr);                                       // 108
    virtual int GetBlackLevelMin(int* ok = nullptr);                                    // 109
    virtual int GetBlackLevelMax(int* ok = nullptr);                                    // 110
    virtual int GetBlackLevelDefault(int* ok = nullptr);                                // 111

    virtual int WriteRegister(int address, int value);                                  // 112
    virtual int ReadRegister(int address, int* ok = nullptr);                           // 113
    virtual int WriteFpgaRegister(int address, int value);                              // 114
    virtual int ReadFpgaRegister(int address, int* ok = nullptr);                       // 115
    virtual int Reserved116() { return 0; }                                             // 116
    virtual int Reserved117() { return 0; }                                             // 117

    virtual void Restart();                                                             // 118
    virtual void AuxiliaryRestart();                                                    // 119
    virtual int ModelCommand(int code, void* data);                                     // 120
    virtual int HasGainMode();                                                          // 121
    virtual int SetGainMode(int flag);                                                  // 122
    virtual int GetGainMode();                                                          // 123

    // EEPROM byte 0x1080.
    virtual int WriteSettingsByte(int value);                                           // 124
    virtual int ReadSettingsByte(std::uint8_t* value);                                  // 125
    virtual int HasExtendedFirmware();                                                  // 126
    virtual int GetModelOption(int* ok = nullptr);                                      // 127
    virtual int SetModelOption(int value);                                              // 128

    // Level control of other camera models; none on this one.
    virtual int IsLevelSupported() { return 0; }                                        // 129
    virtual int SetLevel(int /*value*/) { return 0; }                                   // 130
    virtual int GetLevel() { return 0; }                                                // 131
    virtual int GetLevelMin() { return 0; }                                             // 132
    virtual int GetLevelMax() { return 0; }                                             // 133

    // Text channel of one other camera model; 0 on this one.
    virtual int ReceiveText(char* buffer, int length);                                  // 134
    virtual int SendText(const char* text, int length);                                 // 135

    virtual int HasPeltier();                                                           // 136
    virtual int GetPeltier();                                                           // 137
    virtual int SetPeltier(int flag);                                                   // 138
    virtual int HasTemperature();                                                       // 139
    virtual double GetTemperature(int* ok = nullptr);                                   // 140

    virtual int HasAuxSwitch();                                                         // 141
    virtual int GetAuxSwitch(int* ok = nullptr);                                        // 142
    virtual int SetAuxSwitch(int flag);                                                 // 143
    virtual int HasAuxMode();                                                           // 144
    virtual int GetAuxMode(int* ok = nullptr);                                          // 145
    virtual int SetAuxMode(int flag);                                                   // 146
    virtual int HasCoolingSetpoint();                                                   // 147
    virtual int Reserved148();                                                          // 148
    virtual int Reserved149();                                                          // 149
    virtual int GetCoolingTemperature(int* ok = nullptr);                               // 150
    virtual int SetCoolingSetpoint(int degrees);                                        // 151
    virtual int HasVersionInfo(int a, int b);                                           // 152

    virtual int GetVersionInfo(int* a, int* b, int* c, int* d);                         // 153
    virtual int SetReadoutOption(int value);                                            // 154
    virtual int ApplyReadoutOption();                                                   // 155
    virtual int HasReadoutOption();                                                     // 156
    virtual int HasShortExposure();                                                     // 157
    virtual int GetShortExposure(int* ok = nullptr);                                    // 158
    virtual int SetShortExposure(int flag);                                             // 159

    virtual int HasGainStep();                                                          // 160
    virtual int GetGainStepMin(int* ok = nullptr);                                      // 161
    virtual int GetGainStepMax(int* ok = nullptr);                                      // 162
    virtual int GetGainStepDefault(int* ok = nullptr);                                  // 163
    virtual int GetGainStep(int* ok = nullptr);                                         // 164
    virtual int SetGainStep(int index);                                                 // 165
    virtual int GetGainStepLabel(int index, char* label);                               // 166

    virtual int HasOutputSelect();                                                      // 167
    virtual int SetOutputSelect(int value);                                             // 168
    virtual int GetOutputSelect();                                                      // 169
    virtual int Supports8BitOutput();                                                   // 170
    virtual int Supports16BitOutput();                                                  // 171
    virtual int SupportsColorOutput();                                                  // 172
    virtual int HasFirmwareFeature();                                                   // 173
    virtual int EnableFirmwareFeature();                                                // 174

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
    core::FrameGeometry geometry_;  // of the frames the buffers were prepared for
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
    mutable platform::RecursiveLock eventLock_;  // guards the two event pointers
    std::shared_ptr<platform::Event> frameEvent_;
    std::shared_ptr<platform::Event> endEvent_;
};

}  // namespace nodrix
