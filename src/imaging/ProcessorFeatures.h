#pragma once
// What the processor offers: its feature record and the instruction-set
// level of the vectorised kernels. Both are probed once, by the dispatcher
// (SimdDispatch.h).

#include <cstdint>
#include <string>

namespace nodrix::imaging {

// Feature bits of the record.
enum ProcessorFeatureBit : std::uint32_t {
    kFeatureMmx = 1,         // leaf 1 EDX bit 23
    kFeatureSse = 2,         // leaf 1 EDX bit 25
    kFeatureSse2 = 4,        // leaf 1 EDX bit 26
    kFeatureExtended31 = 8,  // leaf 0x80000001 EDX bit 31
    kFeatureSse3 = 16,       // leaf 1 ECX bit 0
    kFeatureEcx8 = 32,       // leaf 1 ECX bit 8
};

// Every feature bit the record knows.
constexpr std::uint32_t kKnownFeatures = 63;

struct ProcessorFeatures {
    std::string vendor;  // the 12 characters of leaf 0, empty without cpuid
    std::string name;    // from the vendor's family tables
    int family = 0;      // base family, or extended family * 16 + 15
    int model = 0;
    int stepping = 0;
    std::uint32_t reported = 0;  // feature bits the processor reports
    std::uint32_t usable = 0;    // reported bits whose instructions can run
    std::uint32_t known = kKnownFeatures;
};

// Detects the features of this processor (cheap; the result never changes).
ProcessorFeatures DetectProcessorFeatures();

// Instruction-set levels of the vectorised kernels, in rising order.
// Avx2 includes the fused multiply-add; Avx512 means AVX-512 F, BW, VL and
// VBMI (byte permutes).
enum class SimdLevel { None = 0, Sse2 = 1, Ssse3 = 2, Sse41 = 3, Avx2 = 4, Avx512 = 5 };

// The highest level this processor and operating system support.
SimdLevel DetectSimdLevel();
// The level the kernels use: the detected one, lowered by the environment
// variable NODRIX_SIMD (none, sse2, ssse3, sse41, avx2, avx512) when it is
// set. Fixed for the life of the process; kept by the dispatcher.
SimdLevel ActiveSimdLevel();
// Parses a NODRIX_SIMD value; false for an unknown text.
bool ParseSimdLevel(const char* text, SimdLevel& level);
const char* SimdLevelName(SimdLevel level);

}  // namespace nodrix::imaging
