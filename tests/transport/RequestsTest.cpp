// Every request the transport sends, byte for byte, and its answers,
// against the scripted driver.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "transport/CNodrixCy3.h"
#include "transport/DriverRequests.h"
#include "transport/ParkedTransfers.h"
#include "transport/TransportTestSupport.h"

namespace nodrix::testing {
namespace {

using transport::GetLe32;
using transport::kIoctlControlTransfer;
using transport::kIoctlQueuedTransfer;

class Requests : public FakePortTest {
protected:
    void SetUp() override {
        FakePortTest::SetUp();
        port_.AddDevice(DevicePathFor(0x04B4, 0x33B0, 1));
        transport_ = std::make_unique<CNodrixCy3>(port_);
        ASSERT_EQ(1, transport_->Enumerate());
        ASSERT_EQ(1, transport_->SelectDevice(0));
        port_.ClearLog();
    }
    void TearDown() override {
        transport_.reset();
        FakePortTest::TearDown();
    }

    // The control requests sent so far, as (type, request, value, index, data...).
    std::vector<std::vector<std::uint8_t>> ControlRequests() {
        std::vector<std::vector<std::uint8_t>> result;
        for (const LoggedRequest& r : port_.Log(kIoctlControlTransfer)) result.push_back(r.in);
        return result;
    }
    static BulkReply Bytes(std::vector<std::uint8_t> data) {
        BulkReply reply;
        reply.data = std::move(data);
        return reply;
    }
    // Answers control requests with only this many data bytes.
    void AnswerShort(std::uint32_t dataBytes) {
        port_.SetControlHandler([dataBytes](std::vector<std::uint8_t>& request, std::uint32_t* n) {
            std::memset(request.data() + 38, 0x5A, 64);
            *n = 38 + dataBytes;
            return true;
        });
    }

    std::unique_ptr<CNodrixCy3> transport_;
};

void ExpectSetup(const std::vector<std::uint8_t>& in, std::uint8_t type, std::uint8_t request,
                 std::uint16_t value, std::uint16_t index) {
    ASSERT_EQ(102u, in.size());
    EXPECT_EQ(type, in[0]);
    EXPECT_EQ(request, in[1]);
    EXPECT_EQ(value, transport::GetLe16(in.data() + 2));
    EXPECT_EQ(index, transport::GetLe16(in.data() + 4));
    EXPECT_EQ(102, transport::GetLe16(in.data() + 6));
    EXPECT_EQ(3u, GetLe32(in.data() + 8));
    EXPECT_EQ(0, in[13]);
    EXPECT_EQ(38u, GetLe32(in.data() + 30));
    EXPECT_EQ(64u, GetLe32(in.data() + 34));
}

TEST_F(Requests, BusTransfersOfMoreThan64BytesSendNothing) {
    std::uint8_t data[65] = {};
    EXPECT_EQ(0, transport_->I2cWrite(0x48, data, 65, 3000));
    EXPECT_EQ(0, transport_->I2cRead(0x48, data, 65, 3000));
    EXPECT_EQ(0, transport_->I2cWrite(0x48, data, -1, 3000));
    EXPECT_TRUE(port_.Log().empty());

    EXPECT_EQ(1, transport_->I2cWrite(0x48, data, 64, 3000));
    EXPECT_EQ(1, transport_->I2cRead(0x48, data, 64, 3000));
    const auto sent = ControlRequests();
    ASSERT_EQ(2u, sent.size());
    ExpectSetup(sent[0], 0x40, 0x30, 64, 0x48);
    ExpectSetup(sent[1], 0xC0, 0x31, 64, 0x49);
    EXPECT_EQ(0, port_.OpenHandles());  // each request had a handle of its own
}

TEST_F(Requests, VendorRequestsByteForByte) {
    EXPECT_EQ(1, transport_->VendorWriteD0(0x8123, 0x11223344));
    EXPECT_EQ(1, transport_->VendorWrite3E(0x1234, 0xABCD));
    EXPECT_EQ(1, transport_->WriteControlByte(0x77));
    EXPECT_EQ(1, transport_->VendorCommandC0());
    EXPECT_EQ(1, transport_->VendorCommandCC());
    std::uint16_t word = 0;
    EXPECT_EQ(1, transport_->VendorRead3F(0x0102, &word));
    EXPECT_EQ(1, transport_->VendorReadD1(0x0304, &word));
    const auto sent = ControlRequests();
    ASSERT_EQ(7u, sent.size());
    ExpectSetup(sent[0], 0x40, 0xD0, 0x8000, 0x0123);
    EXPECT_EQ((std::vector<std::uint8_t>{0x44, 0x33, 0x22, 0x11}),
              std::vector<std::uint8_t>(sent[0].begin() + 38, sent[0].begin() + 42));
    ExpectSetup(sent[1], 0x40, 0x3E, 0, 0);
    EXPECT_EQ((std::vector<std::uint8_t>{0x12, 0x34, 0xAB, 0xCD}),
              std::vector<std::uint8_t>(sent[1].begin() + 38, sent[1].begin() + 42));
    ExpectSetup(sent[2], 0x40, 0x3C, 0, 0);
    EXPECT_EQ(0x77, sent[2][38]);
    ExpectSetup(sent[3], 0x40, 0xC0, 0, 0);
    ExpectSetup(sent[4], 0x42, 0xCC, 0, 0);
    ExpectSetup(sent[5], 0xC0, 0x3F, 0x0102, 0);
    ExpectSetup(sent[6], 0xC0, 0xD1, 0, 0x0304);
}

TEST_F(Requests, ShortAnswersLeaveInformationBlocksUntouched) {
    AnswerShort(63);
    std::uint8_t block[64];
    std::memset(block, 0x11, sizeof(block));
    std::uint8_t ready = 0x22;
    std::uint16_t word = 0x3333;
    EXPECT_EQ(1, transport_->ReadFirmwareInfo(block));
    EXPECT_EQ(1, transport_->ReadFirmwareInfoB1(block));
    EXPECT_EQ(1, transport_->ReadFpgaReady(&ready));
    for (std::uint8_t b : block) ASSERT_EQ(0x11, b);
    EXPECT_EQ(0x22, ready);
    EXPECT_EQ(1, transport_->VendorReadD1(1, &word));
    EXPECT_EQ(0, word);  // anything short of 64 bytes reads as 0
    EXPECT_EQ(0, transport_->I2cRead(0x48, block, 64, 3000));  // a read that came short failed

    AnswerShort(64);
    EXPECT_EQ(1, transport_->ReadFirmwareInfo(block));
    EXPECT_EQ(0x5A, block[0]);
    EXPECT_EQ(1, transport_->ReadFpgaReady(&ready));
    EXPECT_EQ(0x5A, ready);
    EXPECT_EQ(1, transport_->VendorReadD1(1, &word));
    EXPECT_EQ(0x5A5A, word);

    AnswerShort(0);
    std::uint8_t control = 0x44;
    EXPECT_EQ(1, transport_->ReadControlByte(&control));
    EXPECT_EQ(0x44, control);
    port_.SetControlHandler([](std::vector<std::uint8_t>&, std::uint32_t*) { return false; });
    EXPECT_EQ(0, transport_->ReadFirmwareInfo(block));
    EXPECT_EQ(0, transport_->VendorCommandC0());
}

TEST_F(Requests, RegisterAndEepromSequences) {
    port_.SetFpgaRegister(16, 0x34);
    port_.SetFpgaRegister(17, 0x12);
    EXPECT_EQ(0x1234, transport_->ReadFpgaVersion());
    port_.ClearLog();

    EXPECT_EQ(1, transport_->WriteFpgaRegister(60, 0x99));
    EXPECT_EQ(0x99, port_.FpgaRegister(60));
    std::uint8_t value = 0;
    EXPECT_EQ(1, transport_->ReadFpgaRegister(60, &value));
    EXPECT_EQ(0x99, value);
    EXPECT_EQ(1, transport_->WriteAuxRegister(5, 0x42));
    EXPECT_EQ(1, transport_->ReadAuxRegister(5, &value));
    EXPECT_EQ(0x42, value);
    EXPECT_EQ(1, transport_->WriteEepromByte(0x1234, 0x56));
    EXPECT_EQ(1, transport_->ReadEepromByte(0x0A0B, &value));

    const auto sent = ControlRequests();
    ASSERT_EQ(9u, sent.size());
    ExpectSetup(sent[0], 0x40, 0x30, 3, 0x40);
    EXPECT_EQ((std::vector<std::uint8_t>{60, 0, 0x99}),
              std::vector<std::uint8_t>(sent[0].begin() + 38, sent[0].begin() + 41));
    ExpectSetup(sent[1], 0x40, 0x30, 1, 0x40);
    EXPECT_EQ(60, sent[1][38]);
    ExpectSetup(sent[2], 0xC0, 0x31, 2, 0x41);
    ExpectSetup(sent[3], 0x40, 0x30, 2, 0x5A);
    EXPECT_EQ((std::vector<std::uint8_t>{5, 0x42}),
              std::vector<std::uint8_t>(sent[3].begin() + 38, sent[3].begin() + 40));
    ExpectSetup(sent[4], 0x40, 0x30, 1, 0x5A);
    ExpectSetup(sent[5], 0xC0, 0x31, 1, 0x5B);
    ExpectSetup(sent[6], 0x40, 0x30, 3, 0xA2);
    EXPECT_EQ((std::vector<std::uint8_t>{0x12, 0x34, 0x56}),
              std::vector<std::uint8_t>(sent[6].begin() + 38, sent[6].begin() + 41));
    ExpectSetup(sent[7], 0x40, 0x30, 2, 0xA2);
    EXPECT_EQ((std::vector<std::uint8_t>{0x0A, 0x0B}),
              std::vector<std::uint8_t>(sent[7].begin() + 38, sent[7].begin() + 40));
    ExpectSetup(sent[8], 0xC0, 0x31, 1, 0xA3);
}

TEST_F(Requests, QueuedTransfersNeedTheRequestBuffer) {
    std::uint8_t buffer[16];
    std::uint32_t n = 99;
    ASSERT_EQ(1, transport_->EnsureDataHandle());
    const platform::DriverHandle h = transport_->DataHandle();
    EXPECT_EQ(0, transport_->BulkRead(h, buffer, 16, 0x81, &n, 100));
    EXPECT_EQ(0u, n);
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    EXPECT_EQ(0, transport_->BulkRead(h, buffer, 16, 0x81, &n, 100));  // 0x4000001 below
    port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(16, 0xAB)));
    EXPECT_EQ(1, transport_->BulkRead(h, buffer, 16, 0x81, &n, 100));
    EXPECT_EQ(16u, n);
    EXPECT_EQ(0xAB, buffer[15]);
    EXPECT_EQ(0, transport_->BulkRead(h, buffer, 0x4000001, 0x81, &n, 100));
    EXPECT_EQ(0, transport_->BulkRead(platform::kInvalidDriverHandle, buffer, 16, 0x81, &n, 100));

    const auto queued = port_.Log(kIoctlQueuedTransfer);
    ASSERT_GE(queued.size(), 2u);
    const LoggedRequest& last = queued.back();
    ASSERT_EQ(38u, last.in.size());
    for (std::size_t i = 0; i < 38; ++i) EXPECT_EQ(i == 13 ? 0x81 : 0, last.in[i]) << i;
    EXPECT_EQ(16u, last.outSize);
}

TEST_F(Requests, TimedOutBulkReadLeavesNothingPending) {
    platform::SetTimeSpeedup(50);
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    ASSERT_EQ(1, transport_->EnsureDataHandle());
    std::uint8_t buffer[64];
    std::uint32_t n = 123;
    // Nothing queued: the read stays pending until aborted.
    EXPECT_EQ(0, transport_->BulkRead(transport_->DataHandle(), buffer, 64, 0x81, &n, 200));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(0u, port_.PendingTransfers());
    const auto aborts = port_.Log(transport::kIoctlAbortPipe);
    ASSERT_EQ(1u, aborts.size());
    EXPECT_EQ((std::vector<std::uint8_t>{0x81}), aborts[0].in);
    EXPECT_EQ(platform::kErrorIoPending, transport_->LastSubmitResult());

    // A driver status marks a completed transfer as failed.
    BulkReply bad = Bytes(std::vector<std::uint8_t>(64, 1));
    bad.usbStatus = 0xC0000004;
    port_.QueueBulkReply(bad);
    EXPECT_EQ(0, transport_->BulkRead(transport_->DataHandle(), buffer, 64, 0x81, &n, 200));
}

TEST_F(Requests, TransferThatOutlivesItsAbortIsParked) {
    platform::SetTimeSpeedup(100);
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    ASSERT_EQ(1, transport_->EnsureDataHandle());
    const std::size_t parkedBefore = transport::ParkedTransferCount();
    BulkReply hung;
    hung.kind = BulkReply::Kind::Hung;
    port_.QueueBulkReply(hung);
    std::uint8_t buffer[64];
    std::uint32_t n = 0;
    EXPECT_EQ(0, transport_->BulkRead(transport_->DataHandle(), buffer, 64, 0x81, &n, 200));
    EXPECT_EQ(2u, port_.Log(transport::kIoctlAbortPipe).size());
    EXPECT_EQ(parkedBefore + 1, transport::ParkedTransferCount());
}

TEST_F(Requests, FrameHeaderAndPayloadInPieces) {
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    std::vector<std::uint8_t> header(64, 0);
    transport::PutLe32(header.data() + 16, 0x80000 + 100);
    transport::PutLe32(header.data() + 32, 4711);
    header[63] = 0xEE;
    port_.QueueBulkReply(Bytes(header));
    port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(0x80000, 1)));
    port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(100, 2)));

    std::vector<std::uint8_t> payload(0x80000 + 100);
    transport::FrameDescriptor frame;
    frame.buffer = payload.data();
    frame.capacity = static_cast<std::uint32_t>(payload.size());
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(4711u, frame.frameNumber);
    EXPECT_EQ(0xEE, frame.header[63]);
    EXPECT_NE(platform::kInvalidDriverHandle, transport_->DataHandle());  // kept for the payload
    ASSERT_EQ(1, transport_->ReadFrameData(frame, 3000));
    EXPECT_EQ(1, payload[0x80000 - 1]);
    EXPECT_EQ(2, payload[0x80000]);

    const auto control = ControlRequests();
    ASSERT_EQ(1u, control.size());
    ExpectSetup(control[0], 0x42, 0xC2, 0, 0);
    const auto reads = port_.Log(kIoctlQueuedTransfer);
    ASSERT_EQ(3u, reads.size());
    EXPECT_EQ(64u, reads[0].outSize);
    EXPECT_EQ(0x80000u, reads[1].outSize);
    EXPECT_EQ(100u, reads[2].outSize);
    for (const LoggedRequest& r : reads) EXPECT_EQ(transport_->DataHandle(), r.handle);

    // Later frames reuse the overlapped records of the first one.
    const int records = port_.CreatedIoRecords();
    for (int i = 0; i < 3; ++i) {
        port_.QueueBulkReply(Bytes(header));
        port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(0x80000, 1)));
        port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(100, 2)));
        ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
        ASSERT_EQ(1, transport_->ReadFrameData(frame, 3000));
    }
    EXPECT_EQ(records, port_.CreatedIoRecords());

    // A payload larger than the buffer is not read at all.
    frame.capacity = 0x80000;
    port_.ClearLog();
    EXPECT_EQ(0, transport_->ReadFrameData(frame, 3000));
    EXPECT_TRUE(port_.Log().empty());
}

TEST_F(Requests, HeaderExchangeRecoversThenGivesUpAfterThirtyTries) {
    platform::SetTimeSpeedup(100);
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    BulkReply failed;
    failed.driverStatus = 1;
    port_.QueueBulkReply(failed);
    port_.QueueBulkReply(failed);
    port_.QueueBulkReply(Bytes(std::vector<std::uint8_t>(64, 7)));
    transport::FrameDescriptor frame;
    ASSERT_EQ(1, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(0x07070707u, frame.frameNumber);
    // Each failed read pulsed register 108 and asked for the header again.
    auto control = ControlRequests();
    ASSERT_EQ(3u + 2u * 2u, control.size());
    ExpectSetup(control[1], 0x40, 0x30, 3, 0x40);
    EXPECT_EQ((std::vector<std::uint8_t>{108, 0, 1}),
              std::vector<std::uint8_t>(control[1].begin() + 38, control[1].begin() + 41));
    EXPECT_EQ((std::vector<std::uint8_t>{108, 0, 0}),
              std::vector<std::uint8_t>(control[2].begin() + 38, control[2].begin() + 41));
    ExpectSetup(control[3], 0x42, 0xC2, 0, 0);
    EXPECT_EQ(0, port_.FpgaRegister(108));

    // Nothing answers: 30 reads of 200 ms each, then failure; the handle
    // opened for the exchange is closed again.
    transport_->CloseDataHandle();
    port_.ClearLog();
    EXPECT_EQ(0, transport_->ReadStatusBlock(frame));
    EXPECT_EQ(30u, port_.Log(kIoctlQueuedTransfer).size());
    EXPECT_EQ(platform::kInvalidDriverHandle, transport_->DataHandle());
    EXPECT_EQ(0u, port_.PendingTransfers());
}

TEST_F(Requests, CameraMemoryMovesWholeBlocks) {
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    port_.SetBulkHandler([](std::uint8_t endpoint, std::uint32_t count) {
        BulkReply reply;
        reply.data.assign(count, endpoint == 0x81 ? 0x3C : 0);
        return reply;
    });
    std::uint8_t one[1] = {0};
    EXPECT_EQ(1, transport_->ReadCameraMemory(0x100000000ull, one, 1));
    EXPECT_EQ(0x3C, one[0]);
    auto queued = port_.Log(kIoctlQueuedTransfer);
    ASSERT_EQ(2u, queued.size());
    EXPECT_EQ(0x01, queued[0].in[13]);
    ASSERT_EQ(32u, queued[0].written.size());
    const std::uint8_t command[20] = {'A', 'U', '3', 'R', 2, 0, 0,    0,    0, 0,
                                      0,   0,   1,   0,   0, 0, 0x00, 0x10, 0, 0};
    EXPECT_EQ(0, std::memcmp(queued[0].written.data(), command, sizeof(command)));
    EXPECT_EQ(0x81, queued[1].in[13]);
    EXPECT_EQ(4096u, queued[1].outSize);

    port_.ClearLog();
    std::vector<std::uint8_t> source(4096, 0x10);
    EXPECT_EQ(1, transport_->WriteCameraMemory(0x2000, source.data(), 4096));
    queued = port_.Log(kIoctlQueuedTransfer);
    ASSERT_EQ(2u, queued.size());
    EXPECT_EQ(8192u, queued[1].outSize);  // a whole multiple still grows by a block
    EXPECT_EQ(0x01, queued[1].in[13]);
    EXPECT_EQ('W', queued[0].written[3]);
    EXPECT_EQ(0x20, queued[0].written[9]);
    // The block beyond the caller's data goes out as zeros, not as what follows it in memory.
    EXPECT_EQ(0x10, queued[1].written[4095]);
    EXPECT_EQ(0, queued[1].written[4096]);
}

TEST_F(Requests, StoredFrameAddressFromTheStrideRegisters) {
    ASSERT_TRUE(transport_->AllocateRequestBuffer());
    port_.SetFpgaRegister(120, 0x00);
    port_.SetFpgaRegister(121, 0x10);  // 0x1000 units of 256 bytes
    port_.SetFpgaRegister(122, 0x00);
    port_.SetFpgaRegister(123, 0x00);
    port_.SetBulkHandler([](std::uint8_t, std::uint32_t count) {
        BulkReply reply;
        reply.data.assign(count, 0x61);
        return reply;
    });
    std::vector<std::uint8_t> buffer(0x500000);
    transport::FrameDescriptor frame;
    frame.buffer = buffer.data();
    frame.capacity = static_cast<std::uint32_t>(buffer.size());
    frame.frameNumber = 3;
    std::uint32_t count = 0x400000;
    ASSERT_EQ(1, transport_->ReadStoredFrame(frame, &count));
    EXPECT_EQ(0x404000u, count);
    EXPECT_EQ(2, port_.FpgaRegister(63));
    const auto queued = port_.Log(kIoctlQueuedTransfer);
    ASSERT_EQ(4u, queued.size());
    // Frame 3 at 3 x 0x1000 x 256 bytes; the second piece 4 MiB further.
    EXPECT_EQ(0x300000ull, transport::GetLe64(queued[0].written.data() + 8));
    EXPECT_EQ(0x700000ull, transport::GetLe64(queued[2].written.data() + 8));
    EXPECT_EQ(0x400000u, queued[1].outSize);
    EXPECT_EQ(0x4000u, queued[3].outSize);
    EXPECT_EQ(0x61, buffer[0x403FFF]);

    count = 0x500001;
    EXPECT_EQ(0, transport_->ReadStoredFrame(frame, &count));  // more than the buffer holds
}

}  // namespace
}  // namespace nodrix::testing
