#include <cstdio>
#include <cstdlib>

#include "fuzz_target.h"

namespace kvx::fuzz {

void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace kvx::fuzz
