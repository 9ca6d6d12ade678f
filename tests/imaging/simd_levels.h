// Running one check on every instruction set this machine runs, so that each
// vector path is held to the same expected bytes as the scalar rule.
#pragma once

#include <functional>
#include <vector>

#include "imaging/simd_dispatch.h"

namespace kvx::test {

// Makes `level` the active one while it lives, then restores the one before.
class ScopedSimd {
public:
    explicit ScopedSimd(SimdLevel level) : previous_(SetSimdLevel(level)) {}
    ~ScopedSimd() { SetSimdLevel(previous_); }
    ScopedSimd(const ScopedSimd&) = delete;
    ScopedSimd& operator=(const ScopedSimd&) = delete;

private:
    SimdLevel previous_;
};

// The levels this machine runs, lowest first.
inline std::vector<SimdLevel> SupportedSimdLevels() {
    std::vector<SimdLevel> levels;
    for (SimdLevel level : kSimdLevels) {
        if (SimdLevelSupported(level)) levels.push_back(level);
    }
    return levels;
}

// Calls `body` once per supported level, with that level active.
inline void ForEachSimdLevel(const std::function<void(SimdLevel)>& body) {
    for (SimdLevel level : SupportedSimdLevels()) {
        ScopedSimd active(level);
        body(level);
    }
}

}  // namespace kvx::test
