#include "sensors/FakeController.h"

#include <chrono>
#include <thread>

namespace nodrix::test {

FakeController::FakeController() {
    // Power-up state of a camera whose sensor is ready: the sensor's own frame
    // and line lengths, some unrelated bits around the fields the driver
    // changes, an idle register bus.
    SetSensorMultiByte(5, 4, 1054);
    SetSensorMultiByte(9, 2, 1344);
    sensor[1] = 0x81;
    sensor[2] = 0x10;
    sensor[367] = 0x1A;
    sensor[368] = 0x00;
    sensor[369] = 0xA8;
    fpga[2] = 0;
    fpga[16] = 0x34;
    fpga[17] = 0x12;
    fpga[33] = 3;
}

void FakeController::Record(Transaction::Kind kind, int address, int value) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    log.push_back(
        {kind, address, value, std::chrono::duration_cast<std::chrono::microseconds>(now).count()});
}

int FakeController::ReadFpgaVersion() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    ++fpgaVersionReads;
    return fpga[17] * 256 + fpga[16];
}

int FakeController::I2cWrite(std::uint8_t busAddress, const std::uint8_t* data, int count,
                             std::uint32_t timeoutMs) {
    std::unique_lock<std::recursive_mutex> guard(mutex_);
    lastBusAddress = busAddress;
    lastTimeoutMs = timeoutMs;
    rawI2cWrites.emplace_back(data, data + count);
    if (failI2cWrites || count < 2) return 0;
    const int address = data[0] << 8 | data[1];
    if (count == 2) {
        pointer_ = address;
        if (addressWriteDelayMicros > 0) {
            guard.unlock();
            std::this_thread::sleep_for(std::chrono::microseconds(addressWriteDelayMicros));
        }
        return 1;
    }
    if (count != 3) return 0;
    sensor[address] = data[2];
    Record(Transaction::Kind::SensorWrite, address, data[2]);
    return 1;
}

int FakeController::I2cRead(std::uint8_t busAddress, std::uint8_t* data, int count,
                            std::uint32_t timeoutMs) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    lastBusAddress = busAddress;
    lastTimeoutMs = timeoutMs;
    if (failI2cReads || count != 1) return 0;
    const int value = SensorValue(pointer_);
    data[0] = static_cast<std::uint8_t>(value);
    Record(Transaction::Kind::SensorRead, pointer_, value);
    return 1;
}

int FakeController::WriteFpgaRegister(std::uint8_t address, std::uint8_t value) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(Transaction::Kind::FpgaWrite, address, value);
    if (failFpgaWrites) return 0;
    if (fpgaIgnoresWrites.count(address) == 0) fpga[address] = value;
    return 1;
}

int FakeController::ReadFpgaRegister(std::uint8_t address, std::uint8_t* value) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(Transaction::Kind::FpgaRead, address, fpga[address]);
    if (failFpgaReads) return 0;
    *value = fpga[address];
    return 1;
}

int FakeController::SensorValue(int address) const {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    auto stuck = sensorStuck.find(address);
    if (stuck != sensorStuck.end()) return stuck->second;
    auto it = sensor.find(address);
    return it == sensor.end() ? 0 : it->second;
}

std::uint32_t FakeController::SensorMultiByte(int first, int count) const {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value |= static_cast<std::uint32_t>(SensorValue(first + i)) << (8 * i);
    }
    return value;
}

std::uint32_t FakeController::FpgaMultiByte(const std::vector<int>& addresses) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        value |= static_cast<std::uint32_t>(fpga[addresses[i]]) << (8 * i);
    }
    return value;
}

void FakeController::SetSensorMultiByte(int first, int count, std::uint32_t value) {
    for (int i = 0; i < count; ++i) {
        sensor[first + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::vector<Transaction> FakeController::Writes() const {
    std::vector<Transaction> out;
    for (const auto& t : log) {
        if (t.kind == Transaction::Kind::SensorWrite || t.kind == Transaction::Kind::FpgaWrite) {
            out.push_back(t);
        }
    }
    return out;
}

std::vector<Transaction> FakeController::SensorWritesTo(int address) const {
    std::vector<Transaction> out;
    for (const auto& t : log) {
        if (t.kind == Transaction::Kind::SensorWrite && t.address == address) out.push_back(t);
    }
    return out;
}

std::vector<Transaction> FakeController::FpgaWritesTo(int address) const {
    std::vector<Transaction> out;
    for (const auto& t : log) {
        if (t.kind == Transaction::Kind::FpgaWrite && t.address == address) out.push_back(t);
    }
    return out;
}

int FakeController::CountOf(Transaction::Kind kind, int address) const {
    int n = 0;
    for (const auto& t : log) {
        if (t.kind == kind && t.address == address) ++n;
    }
    return n;
}

int FakeController::FirstIndex(Transaction::Kind kind, int address, std::size_t from) const {
    for (std::size_t i = from; i < log.size(); ++i) {
        if (log[i].kind == kind && log[i].address == address) return static_cast<int>(i);
    }
    return -1;
}

int FakeController::LastIndex(Transaction::Kind kind, int address) const {
    for (std::size_t i = log.size(); i-- > 0;) {
        if (log[i].kind == kind && log[i].address == address) return static_cast<int>(i);
    }
    return -1;
}

void FakeController::ClearLog() {
    log.clear();
    rawI2cWrites.clear();
}

}  // namespace nodrix::test
