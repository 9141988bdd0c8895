#pragma once
// The extension records' size convention: the caller's record is usable
// from 8 bytes on, is filled up to its size, and learns the bytes filled.

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace nodrix::stream {

inline constexpr std::uint32_t kSmallestRecord = 8;

template <typename Record>
void FillRecord(Record* out, Record full) {
    const std::uint32_t bytes =
        std::min<std::uint32_t>(out->size, static_cast<std::uint32_t>(sizeof(Record)));
    full.size = bytes;
    std::memcpy(out, &full, bytes);
}

template <typename Record>
bool RecordUsable(const Record* record) {
    return record != nullptr && record->size >= kSmallestRecord;
}

}  // namespace nodrix::stream
