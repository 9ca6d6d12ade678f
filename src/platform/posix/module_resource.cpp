#include "platform/module_resource.h"

namespace kvx::platform {

bool FindModuleResource(uintptr_t, const char*, const char*, const void**, size_t*) { return false; }

}  // namespace kvx::platform
