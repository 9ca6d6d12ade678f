// Resources linked into a program module (FindResource/LoadResource on
// Windows). Other systems have no such resources.
//
// Blocking and threads: FindModuleResource never blocks and may be called
// from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kvx::platform {

// Finds resource `name` of `type` in `module` (a ProgramModuleId-style
// value). The data stays valid while the module is loaded. False when
// missing or unsupported.
bool FindModuleResource(uintptr_t module, const char* name, const char* type, const void** data, size_t* size);

}  // namespace kvx::platform
