#include "imaging/simd_dispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace kvx {
namespace {

SimdLevel BestSupported() {
#if KVX_SIMD_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
    if (__builtin_cpu_supports("ssse3")) return SimdLevel::Ssse3;
    if (__builtin_cpu_supports("sse2")) return SimdLevel::Sse2;
#endif
    return SimdLevel::Scalar;
}

SimdLevel Clamp(SimdLevel wanted) {
    const SimdLevel best = BestSupported();
    return SimdRank(wanted) > SimdRank(best) ? best : wanted;
}

SimdLevel FromEnvironment() {
    const char* forced = std::getenv("KOLVEX_SIMD");
    if (forced != nullptr) {
        if (std::strcmp(forced, "scalar") == 0) return Clamp(SimdLevel::Scalar);
        if (std::strcmp(forced, "sse2") == 0) return Clamp(SimdLevel::Sse2);
        if (std::strcmp(forced, "ssse3") == 0) return Clamp(SimdLevel::Ssse3);
        if (std::strcmp(forced, "avx2") == 0) return Clamp(SimdLevel::Avx2);
    }
    return BestSupported();
}

std::atomic<int>& Level() {
    static std::atomic<int> level{static_cast<int>(FromEnvironment())};
    return level;
}

}  // namespace

SimdLevel ActiveSimdLevel() { return static_cast<SimdLevel>(Level().load(std::memory_order_relaxed)); }

bool SimdLevelSupported(SimdLevel level) { return Clamp(level) == level; }

SimdLevel SetSimdLevel(SimdLevel level) {
    return static_cast<SimdLevel>(Level().exchange(static_cast<int>(Clamp(level)), std::memory_order_relaxed));
}

const char* SimdLevelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::Scalar: return "scalar";
        case SimdLevel::Sse2: return "sse2";
        case SimdLevel::Ssse3: return "ssse3";
        case SimdLevel::Avx2: return "avx2";
    }
    return "?";
}

}  // namespace kvx
