// Identity and liveness of processes, for records that several processes
// share and that a process may leave behind when it crashes.
//
// Blocking and threads: Neither call blocks (ProcessExists asks the system
// once); any thread.
#pragma once

#include <cstdint>

namespace kvx::platform {

uint32_t CurrentProcessId();

// False only when the system says no process with this id exists; any doubt
// (no permission to ask, say) answers true, so that callers err on the side
// of treating a record as still owned.
bool ProcessExists(uint32_t processId);

}  // namespace kvx::platform
