#include "unique_name.h"

#include <atomic>

#include "child_process.h"

namespace kvx::test {

std::string UniqueName(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "_" + std::to_string(CurrentProcessId()) + "_" + std::to_string(counter++);
}

}  // namespace kvx::test
