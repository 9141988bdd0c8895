#pragma once
// Driver of the ZQ4410: a monochrome 1280 x 1024 sensor with 16-bit register
// addresses and 8-bit values on the camera's register bus. The FPGA beside it
// keeps copies of the frame and line lengths and, in triggered operation, the
// exposure; the driver keeps both sides consistent.

#include <cstdint>

#include "platform/RecursiveLock.h"
#include "sensors/CSensorBase.h"

namespace nodrix {

class CSensorZQ4410 : public CSensorBase {
public:
    static constexpr std::uint8_t kBusAddress = 72;
    static constexpr int kModelCode = 114;
    static constexpr std::uint32_t kFrameLengthMin = 2;
    static constexpr std::uint32_t kFrameLengthMax = 0x0FFFFFFF;

    // Touches no hardware; controller may be null (every register operation
    // then fails).
    CSensorZQ4410(CControllerBase* controller, std::uint8_t busAddress);
    ~CSensorZQ4410() override;

    // Initialisation.
    int WaitReady() override;
    int ApplyDefaults() override;
    int RequestReset() override;

    // Readout window: only the rows can be chosen; the full width is read.
    int SetWindow(int x, int width, int y, int height, int mode) override;
    int GetWindow(int* x, int* width, int* y, int* height, int* mode) override;
    int SetSampleWidth(int flag) override;

    int SetTriggerMode(int mode) override;
    int GetTriggerMode(int* mode) override;

    // Exposure.
    int SetExposureLines(int lines) override;
    int GetExposureLines(int* lines) override;
    int GetExposureLinesMin(int* value) override;
    int GetExposureLinesMax(int* value) override;
    int GetExposureLinesDefault(int* value) override;
    int SetExposureTenths(int tenths) override;
    int GetExposureTenths(int* value) override;
    int GetExposureTenthsMin(int* value) override;
    int GetExposureTenthsMax(int* value) override;
    int GetExposureTenthsDefault(int* value) override;
    int GetExposureSeconds(double* seconds) override;
    int SetExposureSeconds(double seconds) override;

    // Gain and black level.
    int SetGain(int code) override;
    int GetGain(int* code) override;
    int GetGainMin(int* value) override;
    int GetGainMax(int* value) override;
    int GetGainDefault(int* value) override;
    int SetBlackLevel(int value) override;
    int GetBlackLevel(int* value) override;

    // Flips.
    int SetMirrorV(int flag) override;
    int GetMirrorV(int* flag) override;
    int SetMirrorH(int flag) override;
    int GetMirrorH(int* flag) override;

    // Register access; everything else is built on these four.
    int WriteRegister(int address, int value) override;
    int ReadRegister(int address, int* value) override;
    int WriteRegisterVerified(int address, int value) override;
    int ReadRegisterWaited(int address, int* value) override;

    int HasTemperature() override { return 1; }
    int GetTemperature(double* degrees) override;

    int HasShortExposure() override { return 1; }
    int GetShortExposure(int* flag) override;
    int SetShortExposure(int flag) override;

    int HasGainMode() override { return 1; }
    int GetGainMode() override;
    int SetGainMode(int flag) override;

    // A monochrome sensor: 8- and 16-bit grey output only.
    int SupportsColorOutput() override { return 0; }

    // The frame length the current window needs, and the one last written to
    // (or read back from) the sensor.
    std::uint32_t FrameLengthTarget() const { return frameLengthTarget; }
    std::uint32_t FrameLengthWritten() const { return frameLengthWritten; }

private:
    void FillDescription();

    // Frame length: sensor registers 5..8 and the FPGA's copy in 80..83.
    int WriteFrameLength(std::uint32_t lines);
    void CopyFrameLengthToFpga(std::uint32_t lines);
    std::uint32_t ReadSensorFrameLength();
    std::int32_t ReadSensorLineLength();
    std::uint32_t ReadFpgaFrameLength();
    std::int32_t ReadFpgaLineLength();

    // Exposure of T nanoseconds, converted to whole lines.
    int SetExposureNanoseconds(std::uint64_t nanoseconds);
    // Writes the current exposure, line length and frame length to the FPGA
    // for triggered operation.
    void ProgramTriggerTiming();

    // The hold bit of register 2 freezes the black-level registers while the
    // three of them are updated.
    void SetHold(bool on);
    int ReadBlackLevelRegisters(int* r367, int* r368, int* r369);

    // True when FPGA register 2 can be read and reports an idle bus.
    bool BusIdle();

    std::uint32_t frameLengthMin = kFrameLengthMin;
    std::uint32_t frameLengthMax = kFrameLengthMax;
    std::uint32_t frameLengthTarget = 1082;
    std::uint32_t frameLengthWritten = 1054;
    // Serialises single register-bus transactions.
    platform::RecursiveLock lock;
};

}  // namespace nodrix
