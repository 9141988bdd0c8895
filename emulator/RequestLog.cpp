#include "emulator/RequestLog.h"

#include <algorithm>
#include <cstring>

#include "emulator/DriverProtocol.h"
#include "emulator/LittleEndian.h"

namespace nodrix::emulator {

bool DecodeControlRequest(const LoggedRequest& e, ControlSetup& s) {
    if (e.code != kIoctlControlTransfer || e.inCopied < kRecordSize) return false;
    const std::uint8_t* p = e.input.data();
    s.requestType = p[kRecRequestType];
    s.request = p[kRecRequest];
    s.value = GetLe16(p + kRecValue);
    s.index = GetLe16(p + kRecIndex);
    s.length = GetLe16(p + kRecLength);
    s.timeout = GetLe32(p + kRecTimeout);
    s.endpoint = p[kRecEndpoint];
    s.dataOffset = GetLe32(p + kRecDataOffset);
    s.dataLength = GetLe32(p + kRecDataLength);
    s.data.fill(0);
    const std::uint32_t n = std::min<std::uint32_t>(e.inCopied - kRecordSize, 64);
    std::memcpy(s.data.data(), p + kRecordSize, n);
    return true;
}

void RequestLog::Add(int camera, platform::DriverHandle handle, std::uint32_t code,
                     bool overlapped, const void* in, std::uint32_t inSize,
                     std::uint32_t outSize) {
    LoggedRequest& e = ring_[count_ % kCapacity];
    ++count_;
    e.sequence = ++sequence_;
    e.camera = camera;
    e.handle = handle;
    e.code = code;
    e.overlapped = overlapped;
    e.inSize = inSize;
    e.outSize = outSize;
    e.inCopied = in == nullptr ? 0 : std::min<std::uint32_t>(inSize, LoggedRequest::kInputBytes);
    e.input.fill(0);
    if (e.inCopied > 0) std::memcpy(e.input.data(), in, e.inCopied);
}

std::vector<LoggedRequest> RequestLog::Entries() const {
    std::vector<LoggedRequest> out;
    const std::size_t n = std::min(count_, kCapacity);
    out.reserve(n);
    for (std::size_t i = count_ - n; i < count_; ++i) out.push_back(ring_[i % kCapacity]);
    return out;
}

void RequestLog::Clear() { count_ = 0; }

}  // namespace nodrix::emulator
