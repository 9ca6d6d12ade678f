// Which instruction set the kernels use. Chosen once from what the CPU
// offers; KOLVEX_SIMD=scalar|sse2|avx2 in the environment forces a path (a
// path the CPU lacks falls back to the best one it has), so the same
// exactness tests can run on every path.
#pragma once

#include <vector>

namespace kvx {

enum class SimdPath { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

SimdPath ActiveSimdPath();

// Every path this CPU can run, scalar first.
std::vector<SimdPath> AvailableSimdPaths();

const char* SimdPathName(SimdPath path);

// Switches the path for the lifetime of the object, for tests that compare
// each path with the scalar rule. Not for use while kernels run elsewhere.
class ScopedSimdPath {
public:
    explicit ScopedSimdPath(SimdPath path);
    ~ScopedSimdPath();
    ScopedSimdPath(const ScopedSimdPath&) = delete;
    ScopedSimdPath& operator=(const ScopedSimdPath&) = delete;

private:
    SimdPath previous_;
};

}  // namespace kvx
