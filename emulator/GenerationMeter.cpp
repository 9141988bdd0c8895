#include "emulator/GenerationMeter.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/SharedMemory.h"
#include "platform/ThreadCpuClock.h"

namespace nodrix::emulator {
namespace {

// The counters of the block named by the environment; null when the meter is off.
std::uint8_t* MeterBlock() {
    static std::once_flag once;
    static std::uint8_t* block = nullptr;
    std::call_once(once, [] {
        const char* name = std::getenv("NODRIX_EMULATOR_METER");
        if (name == nullptr || name[0] == '\0') return;
        // Kept for the life of the process, as the emulated driver is.
        auto* memory = new platform::SharedMemory();
        bool existed = false;
        if (memory->OpenOrCreate(name, kMeterBlockSize, &existed) &&
            memory->Size() >= kMeterBlockSize) {
            block = memory->Data();
        }
    });
    return block;
}

void Add(std::uint8_t* block, std::size_t offset, std::uint64_t amount) {
    // The block is page-aligned and the offsets are multiples of 8.
    std::atomic_ref<std::uint64_t>(*reinterpret_cast<std::uint64_t*>(block + offset))
        .fetch_add(amount, std::memory_order_relaxed);
}

}  // namespace

void MeteredGeneratePayload(const FrameSnapshot& frame, std::uint64_t offset, std::uint8_t* dest,
                            std::uint32_t count) {
    std::uint8_t* block = MeterBlock();
    if (block == nullptr) {
        GeneratePayload(frame, offset, dest, count);
        return;
    }
    const std::uint64_t start = platform::ThreadCpuNanoseconds();
    GeneratePayload(frame, offset, dest, count);
    Add(block, kMeterNanosecondsOffset, platform::ThreadCpuNanoseconds() - start);
    Add(block, kMeterBytesOffset, count);
    Add(block, kMeterPiecesOffset, 1);
}

}  // namespace nodrix::emulator
