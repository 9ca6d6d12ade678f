// Facts about the system and the running program.
//
// Blocking and threads: Neither call blocks; any thread.
#pragma once

#include <cstdint>

namespace kvx::platform {

// The system default language identifier (0x411 Japanese, 0x409 English...).
uint16_t SystemLanguageId();

// A value identifying the running program's executable module
// (GetModuleHandleA(NULL) on Windows), truncated to 32 bits.
uint32_t ProgramModuleId();

}  // namespace kvx::platform
