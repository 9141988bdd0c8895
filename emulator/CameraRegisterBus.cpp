// The camera's register bus: the FPGA, the auxiliary device, the EEPROM and
// the sensor, each at its own address.

#include "emulator/BusDevices.h"
#include "emulator/EmulatedCamera.h"
#include "emulator/FpgaRegisters.h"

namespace nodrix::emulator {

std::uint8_t EmulatedCamera::ReadFpga(std::uint8_t address) const {
    using namespace fpga_reg;
    switch (address) {
        case kBusBusy: return faults_.busBusy ? 1 : 0;
        case kFrameCounter: return static_cast<std::uint8_t>(triggerCount_);
        case kSensorState: return faults_.sensorNeverReady ? 0 : fpga_[address];
        default: return fpga_[address];
    }
}

void EmulatedCamera::WriteFpga(std::uint8_t address, std::uint8_t value) {
    using namespace fpga_reg;
    switch (address) {
        case kFrameCounter:
            triggerCount_ = value;
            break;
        case kStopStream:
            if (value == 2) StopStream();
            break;
        case kStreamReset:
            // The rising edge of the pulse flushes the endpoint; an exposure
            // under way (the pending header request) carries on.
            if ((value & 1) && !(fpga_[address] & 1)) DropEndpointData();
            break;
        case kSensorControl:
            if (value & 2) {
                sensor_.Reset();
                fpga_[kSensorState] = kSensorReady;
                value = static_cast<std::uint8_t>(value & ~2);
            }
            break;
        default:
            break;
    }
    fpga_[address] = value;
}

bool EmulatedCamera::NakThisTransfer(std::uint8_t address) {
    if (faults_.nakBusTransfers == 0) return false;
    if (faults_.nakBusAddress != 0 && (faults_.nakBusAddress & 0xFE) != (address & 0xFE)) {
        return false;
    }
    --faults_.nakBusTransfers;
    return true;
}

bool EmulatedCamera::BusWrite(std::uint8_t address, const std::uint8_t* data, std::uint32_t count,
                              std::uint64_t nowUs) {
    if (NakThisTransfer(address)) return false;
    switch (address) {
        case kBusFpga:
            if (count < 1) return false;
            fpgaPointer_ = data[0];
            if (count >= 3) WriteFpga(data[0], data[2]);
            return true;
        case kBusAux:
            if (count < 1) return false;
            auxPointer_ = data[0];
            if (count >= 2) aux_[data[0]] = data[1];
            return true;
        case kBusEeprom:
            return eeprom_.BusWrite(data, count, nowUs / 1000);
        case kBusSensor:
            if (count < 2) return false;
            sensorPointer_ = static_cast<std::uint16_t>((data[0] << 8) | data[1]);
            for (std::uint32_t i = 2; i < count; ++i) {
                sensor_.Write(sensorPointer_, data[i]);
                sensorPointer_ = static_cast<std::uint16_t>(sensorPointer_ + 1);
            }
            return true;
        default:
            return false;  // nobody acknowledges the address
    }
}

bool EmulatedCamera::BusRead(std::uint8_t address, std::uint8_t* data, std::uint32_t count,
                             std::uint64_t nowUs) {
    if (NakThisTransfer(address)) return false;
    switch (address) {
        case kBusFpga | 1:
            // The FPGA answers the register address, then its value.
            for (std::uint32_t i = 0; i < count; ++i) data[i] = 0;
            if (count >= 1) data[0] = fpgaPointer_;
            if (count >= 2) data[1] = ReadFpga(fpgaPointer_);
            return true;
        case kBusAux | 1:
            for (std::uint32_t i = 0; i < count; ++i) {
                data[i] = aux_[static_cast<std::uint8_t>(auxPointer_ + i)];
            }
            return true;
        case kBusEeprom | 1:
            return eeprom_.BusRead(data, count, nowUs / 1000);
        case kBusSensor | 1:
            for (std::uint32_t i = 0; i < count; ++i) {
                data[i] = sensor_.Read(sensorPointer_);
                sensorPointer_ = static_cast<std::uint16_t>(sensorPointer_ + 1);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace nodrix::emulator
