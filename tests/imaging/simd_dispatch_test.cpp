// The dispatch offers every instruction set the processor and the system
// give this build, so the exactness tests that run once per level never
// pass by quietly testing fewer paths (a 64-bit build, or a system that
// does not save the AVX registers, could lose a level unnoticed).
#include <gtest/gtest.h>

#include <cstdlib>

#include "imaging/simd_dispatch.h"

#if KVX_SIMD_X86
#include <cpuid.h>
#endif

namespace {

using kvx::SimdLevel;
using kvx::SimdLevelSupported;

#if KVX_SIMD_X86
struct ProcessorLevels {
    bool sse2 = false, ssse3 = false, avx2 = false;
};

// From the processor's own answers: CPUID, and XGETBV for whether the
// system saves the YMM registers on a thread switch.
ProcessorLevels AskTheProcessor() {
    ProcessorLevels p;
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return p;
    p.sse2 = d & (1u << 26);
    p.ssse3 = c & (1u << 9);
    const bool osSavesYmm = (c & (1u << 27)) && [] {
        unsigned low, high;
        __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        return (low & 6u) == 6u;
    }();
    if (osSavesYmm && __get_cpuid_count(7, 0, &a, &b, &c, &d)) p.avx2 = b & (1u << 5);
    return p;
}

TEST(SimdDispatch, OffersEveryLevelTheProcessorRuns) {
    const ProcessorLevels p = AskTheProcessor();
    EXPECT_TRUE(SimdLevelSupported(SimdLevel::Scalar));
    EXPECT_EQ(SimdLevelSupported(SimdLevel::Sse2), p.sse2);
    EXPECT_EQ(SimdLevelSupported(SimdLevel::Ssse3), p.ssse3);
    EXPECT_EQ(SimdLevelSupported(SimdLevel::Avx2), p.avx2);
    // Every x86-64 processor has SSE2: the 64-bit builds' baseline.
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(p.sse2);
    }
}

TEST(SimdDispatch, StartsAtTheBestLevel) {
    const ProcessorLevels p = AskTheProcessor();
    const SimdLevel best = p.avx2 ? SimdLevel::Avx2 : p.ssse3 ? SimdLevel::Ssse3 : p.sse2 ? SimdLevel::Sse2
                                                                                          : SimdLevel::Scalar;
    if (std::getenv("KOLVEX_SIMD")) GTEST_SKIP() << "KOLVEX_SIMD caps the level";
    EXPECT_EQ(kvx::ActiveSimdLevel(), best);
}
#endif

}  // namespace
