#include "platform/system_info.h"

#include <windows.h>

namespace kvx::platform {

uint16_t SystemLanguageId() { return GetSystemDefaultLangID(); }

uint32_t ProgramModuleId() {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)));
}

}  // namespace kvx::platform
