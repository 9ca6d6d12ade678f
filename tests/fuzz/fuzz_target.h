// The two entry points every fuzz target defines, as libFuzzer expects
// them. The same targets link either with libFuzzer (a compiler that has
// it, KOLVEX_LIBFUZZER=ON) or with fuzz_driver.cpp, which runs the stored
// corpus and a fixed number of seeded mutations of it, for CI.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Fails the run loudly: a fuzz target's findings must stop it, also in a
// build without assertions.
#define FUZZ_CHECK(condition)                                                                 \
    do {                                                                                      \
        if (!(condition)) ::kvx::fuzz::Fail(#condition, __FILE__, __LINE__);                  \
    } while (0)

namespace kvx::fuzz {
[[noreturn]] void Fail(const char* condition, const char* file, int line);
}  // namespace kvx::fuzz
