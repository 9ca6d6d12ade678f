#include "platform/system_info.h"

#include <sys/auxv.h>

#include <cstdlib>
#include <cstring>

namespace kvx::platform {

uint16_t SystemLanguageId() {
    // The locale stands in for the system language: LC_ALL, LC_MESSAGES, LANG.
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        return std::strncmp(value, "ja", 2) == 0 ? 0x411 : 0x409;
    }
    return 0x409;
}

uint32_t ProgramModuleId() {
    // The load address of the executable's program headers, page aligned:
    // the same for every thread of a process, and what GetModuleHandle(NULL)
    // is on Windows, the executable's base.
    uintptr_t phdr = static_cast<uintptr_t>(getauxval(AT_PHDR));
    return static_cast<uint32_t>(phdr & ~static_cast<uintptr_t>(0xFFF));
}

}  // namespace kvx::platform
