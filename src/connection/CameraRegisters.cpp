// Direct register access, the I/O port, the sampling rate, the
// temperature and the configuration memory's bytes: thin forwards to the
// camera core with their error codes.
#include "connection/CameraRegisters.h"

namespace nodrix {

int CameraRegisters::ReadRegister(int address, int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    int good = 0;
    const int value = core_->ReadRegister(address, &good);
    if (good) {
        if (ok != nullptr) *ok = 1;
        return value;
    }
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CameraRegisters::WriteRegister(int address, int value) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (core_->WriteRegister(address, value)) return 1;
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CameraRegisters::ReadFpgaRegister(int reg, int* ok) {
    // ok is written only on failure.
    if (!core_) {
        if (ok != nullptr) *ok = 0;
        return PushError(NODRIX_ERROR_NO_CORE), 0;
    }
    int good = 0;
    const int value = core_->ReadFpgaRegister(reg, &good);
    if (good) return value & 0xFFFF;
    if (ok != nullptr) *ok = 0;
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

int CameraRegisters::WriteFpgaRegister(int reg, int value) {
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0;
    if (core_->WriteFpgaRegister(reg, value)) return 1;
    return PushError(NODRIX_ERROR_CAMERA_REQUEST), 0;
}

namespace {
// The FPGA register behind the I/O port.
constexpr int kIoPortRegister = 7;
}  // namespace

int CameraRegisters::SetIOPort(int value) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    return core_->WriteFpgaRegister(kIoPortRegister, value & 0xFF);
}

int CameraRegisters::GetIOPort(unsigned char* value) {
    if (!core_) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    if (value == nullptr) {
        PostError(NODRIX_ERROR_INVALID_ARGUMENT);
        return 0;
    }
    int good = 0;
    const int port = core_->ReadFpgaRegister(kIoPortRegister, &good);
    if (good) {
        *value = static_cast<unsigned char>(port);
        return 1;
    }
    PostError(NODRIX_ERROR_INVALID_ARGUMENT);
    return 0;
}

int CameraRegisters::SetSamplingRate(int rate) {
    if (!core_) return 0;
    return core_->ModelCommand(0, &rate);
}

double CameraRegisters::GetTemperatureEx(int* ok) {
    if (ok != nullptr) *ok = 0;
    if (!core_) return PushError(NODRIX_ERROR_NO_CORE), 0.0;
    if (!core_->HasTemperature()) return PushError(NODRIX_ERROR_NOT_SUPPORTED), 0.0;
    int good = 0;
    const double degrees = core_->GetTemperature(&good);
    if (!good) return PushError(NODRIX_ERROR_TEXT), 0.0;
    PushError(NODRIX_ERROR_NONE);
    if (ok != nullptr) *ok = 1;
    return degrees;
}

int CameraRegisters::ReadSromID(int address, int* ok) {
    if (ok != nullptr) *ok = 0;
    std::uint8_t byte = 0;
    if (core_ && core_->ReadConfigByte(address & 0xFFF, &byte)) {
        if (ok != nullptr) *ok = 1;
        return byte;
    }
    PostError(NODRIX_ERROR_NO_CORE);
    return 0;
}

int CameraRegisters::WriteSromID(int address, int value) {
    const int at = address & 0xFFF;
    if (!core_ || !core_->WriteConfigByte(at, value & 0xFF)) {
        PostError(NODRIX_ERROR_NO_CORE);
        return 0;
    }
    // Read back and rewrite until the byte holds, at most ten times.
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::uint8_t byte = 0;
        if (!core_->ReadConfigByte(at, &byte)) {
            PostError(NODRIX_ERROR_NO_CORE);
            break;
        }
        if (byte == static_cast<std::uint8_t>(value)) break;
        core_->WriteConfigByte(at, value & 0xFF);
    }
    return 1;
}

}  // namespace nodrix
