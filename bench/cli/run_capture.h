// Running another program and reading what it printed.
#pragma once

#include <string>
#include <vector>

namespace kvx::bench {

// Runs `program` with `args`, waits for it and returns its standard output
// and standard error together; false when it could not start or ended with
// a code other than 0.
bool RunCapturing(const std::string& program, const std::vector<std::string>& args, std::string* output);

}  // namespace kvx::bench
