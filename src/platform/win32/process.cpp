#include <windows.h>

#include "platform/process.h"

namespace kvx::platform {

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool ProcessExists(uint32_t processId) {
    if (processId == 0) return false;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    // A handle can still be opened to a process that has ended while someone
    // holds a handle to it; only a running one makes the wait time out.
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace kvx::platform
