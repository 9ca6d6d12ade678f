// Which instruction set the kernels use. Chosen once, on first use, from
// what the processor supports; KOLVEX_SIMD=scalar|sse2|ssse3|avx2 in the
// environment caps it, so the same exactness tests can run once per path.
#pragma once

namespace kvx {

// The numbers are those benchmarks and settings already name; the order of
// the levels is Scalar < Sse2 < Ssse3 < Avx2 (SimdRank). A kernel without a
// path of its own for a level uses the best lower one it has.
enum class SimdLevel : int { Scalar = 0, Sse2 = 1, Avx2 = 2, Ssse3 = 3 };

// Every level, lowest first.
inline constexpr SimdLevel kSimdLevels[] = {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Ssse3, SimdLevel::Avx2};

inline int SimdRank(SimdLevel level) {
    switch (level) {
        case SimdLevel::Scalar: return 0;
        case SimdLevel::Sse2: return 1;
        case SimdLevel::Ssse3: return 2;
        case SimdLevel::Avx2: return 3;
    }
    return 0;
}

// The level every dispatched kernel uses.
SimdLevel ActiveSimdLevel();

// Whether this processor and build can run `level`.
bool SimdLevelSupported(SimdLevel level);

// Switches the active level (clamped to what is supported) and returns the
// previous one. For tests and benchmarks that compare paths; not meant to be
// flipped while conversions run on other threads.
SimdLevel SetSimdLevel(SimdLevel level);

const char* SimdLevelName(SimdLevel level);

}  // namespace kvx

// Function attributes for the SIMD translation units. The 32-bit Windows ABI
// only promises 4-byte stack alignment, so entry points realign their frame
// before spilling vector registers.
#if defined(__x86_64__) || defined(__i386__)
#define KVX_SIMD_X86 1
#if defined(__i386__)
#define KVX_TARGET_SSE2 __attribute__((target("sse2"), force_align_arg_pointer))
#define KVX_TARGET_SSSE3 __attribute__((target("ssse3"), force_align_arg_pointer))
#define KVX_TARGET_AVX2 __attribute__((target("avx2"), force_align_arg_pointer))
#else
#define KVX_TARGET_SSE2 __attribute__((target("sse2")))
#define KVX_TARGET_SSSE3 __attribute__((target("ssse3")))
#define KVX_TARGET_AVX2 __attribute__((target("avx2")))
#endif
#else
#define KVX_SIMD_X86 0
#endif

// The per-block bodies of the SIMD rows (called a few times per row step,
// so the compiler's size heuristics may keep them out of line). Out of line
// they cost little under the 32-bit ABI, where a local function gets its
// vectors in registers, but under the 64-bit Windows ABI every vector
// argument goes through memory, the callee saves xmm6-xmm15 and the caller
// spills whatever it keeps in the upper halves: a quarter more time for
// the hue rows. Inlined, every build runs the same register code.
#define KVX_SIMD_INLINE inline __attribute__((always_inline))
