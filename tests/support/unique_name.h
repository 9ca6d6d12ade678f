#pragma once

#include <string>

namespace kvx::test {

// A name no other test or process uses: prefix, process id, a counter.
std::string UniqueName(const std::string& prefix);

}  // namespace kvx::test
