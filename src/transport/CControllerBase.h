#pragma once
// The request interface a sensor driver gets as its only path to the
// hardware. The base implements every operation as "return 0" (Close does
// nothing); CNodrixCy3 implements them over the driver.

#include <cstdint>

namespace nodrix {

class CControllerBase {
public:
    virtual ~CControllerBase() = default;
    virtual void Close() {}
    virtual int SelectDevice(int /*tableIndex*/) { return 0; }
    // FPGA register 17 * 256 + FPGA register 16.
    virtual int ReadFpgaVersion() { return 0; }
    // Register-bus transfers of at most 64 bytes; busAddress in 8-bit form.
    virtual int I2cWrite(std::uint8_t /*busAddress*/, const std::uint8_t* /*data*/, int /*count*/,
                         std::uint32_t /*timeoutMs*/) {
        return 0;
    }
    virtual int I2cRead(std::uint8_t /*busAddress*/, std::uint8_t* /*data*/, int /*count*/,
                        std::uint32_t /*timeoutMs*/) {
        return 0;
    }
    virtual int VendorWriteD0(std::uint16_t /*selector*/, std::uint32_t /*value*/) { return 0; }
    virtual int VendorReadD1(std::uint16_t /*argument*/, std::uint16_t* /*result*/) { return 0; }
    virtual int VendorWrite3E(std::uint16_t /*first*/, std::uint16_t /*second*/) { return 0; }
    virtual int VendorRead3F(std::uint16_t /*argument*/, std::uint16_t* /*result*/) { return 0; }
    virtual int WriteFpgaRegister(std::uint8_t /*address*/, std::uint8_t /*value*/) { return 0; }
    virtual int ReadFpgaRegister(std::uint8_t /*address*/, std::uint8_t* /*value*/) { return 0; }
    virtual int WriteAuxRegister(std::uint8_t /*address*/, std::uint8_t /*value*/) { return 0; }
    virtual int ReadAuxRegister(std::uint8_t /*address*/, std::uint8_t* /*value*/) { return 0; }
    // Aborts the transfers pending on endpoint 0x81; always 1 when implemented.
    virtual int AbortDataPipe() { return 0; }
};

}  // namespace nodrix
