// The control operations tests and tools use to steer the emulated cameras.

#include <string>

#include "emulator/DriverProtocol.h"
#include "emulator/EmulatedDriver.h"

namespace nodrix::emulator {

std::string EmulatedDriver::DevicePath(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? std::string() : cam->DevicePath();
}

void EmulatedDriver::UnplugLocked(int camera) {
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam == nullptr || !cam->Present()) return;
    cam->Unplug();
    CancelLocked(camera, -1, platform::kInvalidDriverHandle, kStatusNoSuchDevice, kUsbStatusDeviceGone);
}

bool EmulatedDriver::Unplug(int camera) {
    const AllLocks guard(*this);
    if (CameraLocked(camera) == nullptr) return false;
    NowUs();
    UnplugLocked(camera);
    return true;
}

bool EmulatedDriver::Replug(int camera) {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam == nullptr) return false;
    cam->Replug(NowUs());
    units_[static_cast<std::size_t>(camera)]->unplugAtUs = kNever;
    units_[static_cast<std::size_t>(camera)]->replugAtUs = kNever;
    return true;
}

bool EmulatedDriver::IsPresent(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam != nullptr && cam->Present();
}

bool EmulatedDriver::Trigger(int camera, std::uint32_t count) {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    if (cam == nullptr) return false;
    const bool ok = cam->Trigger(count, NowUs());
    PokePendingLocked(camera);
    return ok;
}

std::uint8_t EmulatedDriver::FpgaRegister(int camera, std::uint8_t address) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->ReadFpga(address);
}

void EmulatedDriver::SetFpgaRegister(int camera, std::uint8_t address, std::uint8_t value) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) {
        cam->WriteFpga(address, value);
        PokePendingLocked(camera);
    }
}

std::uint8_t EmulatedDriver::SensorRegister(int camera, std::uint16_t address) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->Sensor().Read(address);
}

void EmulatedDriver::SetSensorRegister(int camera, std::uint16_t address, std::uint8_t value) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) {
        cam->Sensor().Write(address, value);
        PokePendingLocked(camera);
    }
}

std::uint8_t EmulatedDriver::EepromByte(int camera, std::uint16_t address) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->Rom().Peek(address);
}

void EmulatedDriver::SetEepromByte(int camera, std::uint16_t address, std::uint8_t value) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->Rom().Poke(address, value);
}

std::uint8_t EmulatedDriver::AuxRegister(int camera, std::uint8_t address) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->AuxRegister(address);
}

void EmulatedDriver::SetAuxRegister(int camera, std::uint8_t address, std::uint8_t value) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->SetAuxRegister(address, value);
}

FaultConfig EmulatedDriver::Faults(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? FaultConfig{} : cam->Faults();
}

void EmulatedDriver::SetFaults(int camera, const FaultConfig& faults) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) {
        cam->Faults() = faults;
        PokePendingLocked(camera);
    }
}

void EmulatedDriver::SetPattern(int camera, Pattern pattern) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->SetPattern(pattern);
}

void EmulatedDriver::SetPace(int camera, Pace pace) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) {
        cam->SetPace(pace);
        PokePendingLocked(camera);
    }
}

void EmulatedDriver::ReadCameraMemory(int camera, std::uint64_t address, std::uint8_t* dest,
                                      std::uint32_t count) const {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->Memory().Read(address, dest, count);
}

void EmulatedDriver::WriteCameraMemory(int camera, std::uint64_t address, const std::uint8_t* src,
                                       std::uint32_t count) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->Memory().Write(address, src, count);
}

void EmulatedDriver::SetTriggerIntervalMs(int camera, std::uint32_t ms) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) {
        cam->SetTriggerIntervalMs(ms);
        PokePendingLocked(camera);
    }
}

void EmulatedDriver::SetNextFrameNumber(int camera, std::uint32_t frameNumber) {
    const AllLocks guard(*this);
    if (EmulatedCamera* cam = CameraLocked(camera)) cam->SetNextFrameNumber(frameNumber);
}

std::uint32_t EmulatedDriver::NextFrameNumber(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->NextFrameNumber();
}

std::uint64_t EmulatedDriver::FramesSent(int camera) const {
    const AllLocks guard(*this);
    EmulatedCamera* cam = CameraLocked(camera);
    return cam == nullptr ? 0 : cam->FramesSent();
}

std::size_t EmulatedDriver::PendingTransferCount() const {
    const AllLocks guard(*this);
    std::size_t count = 0;
    for (const auto& unit : units_) count += unit->pending.size();
    return count;
}

std::vector<LoggedRequest> EmulatedDriver::Requests() const {
    platform::LockGuard guard(lock_);
    return log_.Entries();
}

void EmulatedDriver::ClearRequests() {
    platform::LockGuard guard(lock_);
    log_.Clear();
}

}  // namespace nodrix::emulator
