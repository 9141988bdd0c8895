#pragma once
// A controller that stands in for the camera in the sensor driver tests: it
// models the sensor's register file behind the register bus and the FPGA
// register file, records every transaction in order, and can be told to
// misbehave (a bus that stays busy, registers that do not keep what is
// written, failing transfers).

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "transport/CControllerBase.h"

namespace nodrix::test {

struct Transaction {
    enum class Kind { SensorWrite, SensorRead, FpgaWrite, FpgaRead };
    Kind kind;
    int address;
    int value;
    std::int64_t micros;  // real time (steady clock) when it happened

    bool operator==(const Transaction& o) const {
        return kind == o.kind && address == o.address && value == o.value;
    }
};

class FakeController : public CControllerBase {
public:
    FakeController();

    int ReadFpgaVersion() override;
    int I2cWrite(std::uint8_t busAddress, const std::uint8_t* data, int count,
                 std::uint32_t timeoutMs) override;
    int I2cRead(std::uint8_t busAddress, std::uint8_t* data, int count,
                std::uint32_t timeoutMs) override;
    int WriteFpgaRegister(std::uint8_t address, std::uint8_t value) override;
    int ReadFpgaRegister(std::uint8_t address, std::uint8_t* value) override;

    // Register files.
    std::map<int, std::uint8_t> sensor;
    std::uint8_t fpga[256] = {};
    // Sensor registers that read back this value whatever is written.
    std::map<int, std::uint8_t> sensorStuck;
    // FPGA registers whose writes have no effect.
    std::set<int> fpgaIgnoresWrites;

    // Faults.
    bool failI2cWrites = false;
    bool failI2cReads = false;
    bool failFpgaWrites = false;
    bool failFpgaReads = false;
    // Lets time pass after an address write, so that a read racing another
    // thread's address write shows up.
    int addressWriteDelayMicros = 0;

    // What the driver sent.
    std::vector<Transaction> log;
    int fpgaVersionReads = 0;
    std::uint8_t lastBusAddress = 0;
    std::uint32_t lastTimeoutMs = 0;
    std::vector<std::vector<std::uint8_t>> rawI2cWrites;

    // Helpers for the checks.
    int SensorValue(int address) const;
    std::uint32_t SensorMultiByte(int first, int count) const;
    std::uint32_t FpgaMultiByte(const std::vector<int>& addresses) const;
    std::vector<Transaction> Writes() const;  // sensor and FPGA writes, in order
    std::vector<Transaction> SensorWritesTo(int address) const;
    std::vector<Transaction> FpgaWritesTo(int address) const;
    int CountOf(Transaction::Kind kind, int address) const;
    // Index in the log of the first / last transaction of that kind and address; -1 if none.
    int FirstIndex(Transaction::Kind kind, int address, std::size_t from = 0) const;
    int LastIndex(Transaction::Kind kind, int address) const;
    void ClearLog();

    // Puts a value split low byte first over consecutive sensor registers.
    void SetSensorMultiByte(int first, int count, std::uint32_t value);

private:
    void Record(Transaction::Kind kind, int address, int value);

    mutable std::recursive_mutex mutex_;
    int pointer_ = 0;  // register address the last 2-byte write selected
};

}  // namespace nodrix::test
