#include "imaging/ProcessorFeatures.h"

#include <cpuid.h>

#include <cstring>

namespace nodrix::imaging {

namespace {

struct CpuidResult {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

bool Cpuid(unsigned leaf, unsigned subleaf, CpuidResult& r) {
    return __get_cpuid_count(leaf, subleaf, &r.eax, &r.ebx, &r.ecx, &r.edx) != 0;
}

unsigned MaxLeaf(unsigned base) {
    return __get_cpuid_max(base, nullptr);
}

std::string FamilyName(const std::string& vendor, int family) {
    if (vendor == "GenuineIntel") {
        switch (family) {
            case 4:
                return "Intel 486";
            case 5:
                return "Intel Pentium";
            case 6:
                return "Intel P6 family";
            case 15:
                return "Intel NetBurst family";
            default:
                return "Intel processor";
        }
    }
    if (vendor == "AuthenticAMD") {
        switch (family) {
            case 4:
                return "AMD 486 class";
            case 5:
                return "AMD K5/K6";
            case 6:
                return "AMD K7";
            case 15:
                return "AMD K8";
            case 16:
                return "AMD family 10h";
            case 23:
                return "AMD family 17h";
            case 25:
                return "AMD family 19h";
            default:
                return "AMD processor";
        }
    }
    return "Unknown processor";
}

// XCR0 through the xgetbv instruction (only after OSXSAVE was seen).
std::uint64_t ReadXcr0() {
    unsigned eax = 0, edx = 0;
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(eax), "=d"(edx) : "c"(0));
    return (static_cast<std::uint64_t>(edx) << 32) | eax;
}

}  // namespace

ProcessorFeatures DetectProcessorFeatures() {
    ProcessorFeatures f;
    const unsigned maxLeaf = MaxLeaf(0);
    if (maxLeaf == 0) return f;  // no identification instruction
    CpuidResult r;
    Cpuid(0, 0, r);
    char vendor[13] = {};
    std::memcpy(vendor, &r.ebx, 4);
    std::memcpy(vendor + 4, &r.edx, 4);
    std::memcpy(vendor + 8, &r.ecx, 4);
    f.vendor = vendor;
    if (maxLeaf >= 1) {
        Cpuid(1, 0, r);
        const int baseFamily = (r.eax >> 8) & 0xF;
        f.family =
            baseFamily == 15 ? static_cast<int>(((r.eax >> 20) & 0xFF) * 16 + 15) : baseFamily;
        f.model = (r.eax >> 4) & 0xF;
        f.stepping = r.eax & 0xF;
        if (r.edx & (1u << 23)) f.reported |= kFeatureMmx;
        if (r.edx & (1u << 25)) f.reported |= kFeatureSse;
        if (r.edx & (1u << 26)) f.reported |= kFeatureSse2;
        if (r.ecx & (1u << 0)) f.reported |= kFeatureSse3;
        if (r.ecx & (1u << 8)) f.reported |= kFeatureEcx8;
    }
    if (MaxLeaf(0x80000000u) >= 0x80000001u) {
        Cpuid(0x80000001u, 0, r);
        if (r.edx & (1u << 31)) f.reported |= kFeatureExtended31;
    }
    // Every operating system this library runs on saves the vector state of
    // these extensions, so what the processor reports also runs.
    f.usable = f.reported;
    f.name = FamilyName(f.vendor, f.family);
    return f;
}

SimdLevel DetectSimdLevel() {
    if (MaxLeaf(0) < 1) return SimdLevel::None;
    CpuidResult r;
    Cpuid(1, 0, r);
    if (!(r.edx & (1u << 26))) return SimdLevel::None;
    if (!(r.ecx & (1u << 9))) return SimdLevel::Sse2;
    if (!(r.ecx & (1u << 19))) return SimdLevel::Ssse3;
    // AVX2 needs the processor's bit and an operating system that saves the
    // 256-bit registers. Every processor with AVX2 also has the fused
    // multiply-add (ECX 12), which some of the level's runs use.
    const bool osxsave = (r.ecx & (1u << 27)) != 0;
    const bool avx = (r.ecx & (1u << 28)) != 0;
    const bool fma = (r.ecx & (1u << 12)) != 0;
    if (!osxsave || !avx || !fma || MaxLeaf(0) < 7) return SimdLevel::Sse41;
    if ((ReadXcr0() & 0x6) != 0x6) return SimdLevel::Sse41;
    const std::uint64_t xcr0 = ReadXcr0();
    Cpuid(7, 0, r);
    if (!(r.ebx & (1u << 5))) return SimdLevel::Sse41;
    // AVX-512 F (EBX 16), BW (EBX 30), VL (EBX 31) and VBMI (ECX 1), with
    // the opmask and 512-bit register state saved by the operating system.
    const bool avx512 = (r.ebx & (1u << 16)) && (r.ebx & (1u << 30)) && (r.ebx & (1u << 31)) &&
                        (r.ecx & (1u << 1));
    if (!avx512 || (xcr0 & 0xE0) != 0xE0) return SimdLevel::Avx2;
    return SimdLevel::Avx512;
}

bool ParseSimdLevel(const char* text, SimdLevel& level) {
    static constexpr struct {
        const char* name;
        SimdLevel level;
    } kNames[] = {{"none", SimdLevel::None},    {"scalar", SimdLevel::None},
                  {"sse2", SimdLevel::Sse2},    {"ssse3", SimdLevel::Ssse3},
                  {"sse41", SimdLevel::Sse41},  {"avx2", SimdLevel::Avx2},
                  {"avx512", SimdLevel::Avx512}};
    if (text == nullptr) return false;
    for (const auto& n : kNames) {
        if (std::strcmp(text, n.name) == 0) {
            level = n.level;
            return true;
        }
    }
    return false;
}

const char* SimdLevelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::None:
            return "none";
        case SimdLevel::Sse2:
            return "sse2";
        case SimdLevel::Ssse3:
            return "ssse3";
        case SimdLevel::Sse41:
            return "sse41";
        case SimdLevel::Avx2:
            return "avx2";
        case SimdLevel::Avx512:
            return "avx512";
    }
    return "none";
}

}  // namespace nodrix::imaging
