// Vendor requests and the register bus, with the request bytes built by hand.

#include <gtest/gtest.h>

#include "HandBuiltRequests.h"
#include "emulator/DriverProtocol.h"
#include "platform/Time.h"

namespace nodrix::emulator::test {
namespace {

TEST(ControlRequest, FirmwareInformationBlockAnswersInTheCallersBuffer) {
    EmulatedDriver d;
    ControlResult r = RunControl(d, 0, ControlRequest(0xC0, 0xB0, 0, 0));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.returned, 102u);  // the record counts too
    EXPECT_GE(GetLe16(r.Data() + 24), 0x1101);
    EXPECT_EQ(GetLe32(&r.buffer[14]), 0u);  // driver status
    EXPECT_EQ(GetLe32(&r.buffer[18]), 0u);  // USB status
    // The setup fields come back as they were sent.
    EXPECT_EQ(r.buffer[0], 0xC0);
    EXPECT_EQ(r.buffer[1], 0xB0);
    EXPECT_EQ(GetLe16(&r.buffer[6]), 102);
}

TEST(ControlRequest, FpgaRegisterWriteAndReadOverTheBus) {
    EmulatedDriver d;
    d.ClearRequests();
    ASSERT_TRUE(WriteFpga(d, 0, 7, 0x5A));
    EXPECT_EQ(d.FpgaRegister(0, 7), 0x5A);

    // The read answers the address first and the value second.
    ASSERT_TRUE(BusWrite(d, 0, 0x40, {7}));
    Bytes v;
    ASSERT_TRUE(BusRead(d, 0, 0x41, 2, v));
    EXPECT_EQ(v[0], 7);
    EXPECT_EQ(v[1], 0x5A);
    EXPECT_EQ(ReadFpga(d, 0, 16) | (ReadFpga(d, 0, 17) << 8), 0x0205);
    EXPECT_GE(ReadFpga(d, 0, 19), 9);
    EXPECT_EQ(ReadFpga(d, 0, 33), 3);

    // The log holds the exact bytes of the first request.
    auto log = d.Requests();
    ASSERT_FALSE(log.empty());
    ControlSetup s;
    ASSERT_TRUE(DecodeControlRequest(log.front(), s));
    EXPECT_EQ(s.requestType, 0x40);
    EXPECT_EQ(s.request, 0x30);
    EXPECT_EQ(s.value, 3);
    EXPECT_EQ(s.index, 0x40);
    EXPECT_EQ(s.data[0], 7);
    EXPECT_EQ(s.data[1], 0);
    EXPECT_EQ(s.data[2], 0x5A);
    EXPECT_EQ(log.front().camera, 0);
    EXPECT_EQ(log.front().inSize, 102u);
}

TEST(ControlRequest, EepromByteRoundTripHonoursTheWriteCycle) {
    // A write cycle long enough that the next transfer surely falls into it
    // on a busy machine or in a sanitizer build (the part's own is 5 ms).
    EmulatorConfig config = EmulatedDriver::DefaultConfig();
    config.eepromWriteMs = 300;
    EmulatedDriver d(config);
    ASSERT_TRUE(BusWrite(d, 0, 0xA2, {0x01, 0x23, 0xC7}));
    // Busy with its write cycle: the next transfer is not acknowledged.
    EXPECT_FALSE(BusWrite(d, 0, 0xA2, {0x01, 0x23}));
    platform::SleepMs(310);
    ASSERT_TRUE(BusWrite(d, 0, 0xA2, {0x01, 0x23}));
    Bytes v;
    ASSERT_TRUE(BusRead(d, 0, 0xA3, 1, v));
    EXPECT_EQ(v[0], 0xC7);
    EXPECT_EQ(d.EepromByte(0, 0x0123), 0xC7);

    // Serial number text at 0x1040, ended by 0xFF; settings byte at 0x1080.
    ASSERT_TRUE(BusWrite(d, 0, 0xA2, {0x10, 0x40}));
    ASSERT_TRUE(BusRead(d, 0, 0xA3, 10, v));
    EXPECT_EQ(std::string(v.begin(), v.begin() + 9), "T520EMU00");
    EXPECT_EQ(v[9], 0xFF);
    EXPECT_EQ(d.EepromByte(0, 0x1080), 0);
}

TEST(ControlRequest, RefusedRequestsStallWithStatus) {
    EmulatedDriver d;
    // No device answers bus address 0x70.
    ControlResult r = RunControl(d, 0, ControlRequest(0x40, 0x30, 1, 0x70, {1}));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(GetLe32(&r.buffer[18]), 0u);
    // More than 64 bytes, a wrong request type, an unknown request.
    EXPECT_FALSE(RunControl(d, 0, ControlRequest(0xC0, 0x31, 65, 0x41)).ok);
    EXPECT_FALSE(RunControl(d, 0, ControlRequest(0x40, 0xB0, 0, 0)).ok);
    EXPECT_FALSE(RunControl(d, 0, ControlRequest(0xC0, 0x99, 0, 0)).ok);
    // A record that does not announce its data where they are.
    Bytes bad = ControlRequest(0xC0, 0xB0, 0, 0);
    PutLe32(&bad[30], 0);
    EXPECT_FALSE(RunControl(d, 0, bad).ok);
}

TEST(ControlRequest, FirmwareScratchRequestsAndFpgaReady) {
    EmulatedDriver d;
    ASSERT_TRUE(RunControl(d, 0, ControlRequest(0x40, 0x3C, 0, 0, {0x42})).ok);
    ControlResult r = RunControl(d, 0, ControlRequest(0xC0, 0x3D, 0, 0));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.DataBytes(), 1u);
    EXPECT_EQ(r.Data()[0], 0x42);

    ASSERT_TRUE(RunControl(d, 0, ControlRequest(0x40, 0x3E, 0, 0, {0x12, 0x34, 0xAB, 0xCD})).ok);
    r = RunControl(d, 0, ControlRequest(0xC0, 0x3F, 0x1234, 0));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(GetLe16(r.Data()), 0xABCD);

    ASSERT_TRUE(RunControl(d, 0, ControlRequest(0x40, 0xD0, 0x8000, 0x0005, {0x78, 0x56, 0x34, 0x12})).ok);
    r = RunControl(d, 0, ControlRequest(0xC0, 0xD1, 0, 0x8005));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.DataBytes(), 64u);
    EXPECT_EQ(GetLe16(r.Data()), 0x5678);

    r = RunControl(d, 0, ControlRequest(0xC0, 0xC3, 0, 0));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.DataBytes(), 64u);
    EXPECT_EQ(r.Data()[0], 1);

    FaultConfig f;
    f.fpgaNeverReady = true;
    f.sensorNeverReady = true;
    f.busBusy = true;
    d.SetFaults(0, f);
    r = RunControl(d, 0, ControlRequest(0xC0, 0xC3, 0, 0));
    EXPECT_EQ(r.Data()[0], 0);
    EXPECT_NE(ReadFpga(d, 0, 33), 3);
    EXPECT_EQ(ReadFpga(d, 0, 2), 1);
}

TEST(ControlRequest, SensorRegistersAndTheirResetRequest) {
    EmulatedDriver d;
    // Power-on values: line length 1344, temperature reading 1000.
    EXPECT_EQ(d.SensorRegister(0, 9) | (d.SensorRegister(0, 10) << 8), 1344);
    EXPECT_EQ(d.SensorRegister(0, 392) | (d.SensorRegister(0, 393) << 8), 1000);

    ASSERT_TRUE(WriteSensor(d, 0, 287, 40));
    ASSERT_TRUE(WriteSensor(d, 0, 4000, 0x99));  // not modelled: stored
    ASSERT_TRUE(BusWrite(d, 0, 0x48, {0x01, 0x1F}));
    Bytes v;
    ASSERT_TRUE(BusRead(d, 0, 0x49, 1, v));
    EXPECT_EQ(v[0], 40);
    ASSERT_TRUE(BusWrite(d, 0, 0x48, {0x0F, 0xA0}));
    ASSERT_TRUE(BusRead(d, 0, 0x49, 1, v));
    EXPECT_EQ(v[0], 0x99);

    // Bit 1 of FPGA register 164 resets the sensor.
    ASSERT_TRUE(WriteFpga(d, 0, 164, 0x02));
    EXPECT_EQ(d.SensorRegister(0, 287), 2);
    EXPECT_EQ(ReadFpga(d, 0, 33), 3);
}

TEST(ControlRequest, InjectedNaksAndBusSpeed) {
    EmulatedDriver d;
    FaultConfig f;
    f.nakBusTransfers = 2;
    f.nakBusAddress = 0x48;
    d.SetFaults(0, f);
    EXPECT_TRUE(WriteFpga(d, 0, 7, 1));  // another device is not affected
    EXPECT_FALSE(WriteSensor(d, 0, 287, 4));
    EXPECT_FALSE(WriteSensor(d, 0, 287, 4));
    EXPECT_TRUE(WriteSensor(d, 0, 287, 4));

    const auto h = d.Open(d.DevicePath(0).c_str(), false);
    std::uint8_t in[4] = {};
    std::uint8_t out[4] = {};
    std::uint32_t returned = 0;
    ASSERT_TRUE(d.IoControl(h, 0x22004C, in, 4, out, 4, &returned));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(GetLe32(out), 4u);
    d.Close(h);
}

}  // namespace
}  // namespace nodrix::emulator::test
