#include <windows.h>

#include "platform/module_resource.h"

namespace kvx::platform {

bool FindModuleResource(uintptr_t module, const char* name, const char* type, const void** data, size_t* size) {
    HMODULE instance = reinterpret_cast<HMODULE>(module);
    HRSRC found = FindResourceA(instance, name, type);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded) return false;
    const void* locked = LockResource(loaded);
    if (!locked) return false;
    *data = locked;
    *size = SizeofResource(instance, found);
    return true;
}

}  // namespace kvx::platform
