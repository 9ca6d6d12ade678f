#include "module.h"

#include <atomic>

namespace kvx::dshow {
namespace {

std::atomic<long> g_references{0};

}  // namespace

HMODULE ThisModule() {
    // The module this code is linked into: the filter's DLL, or a test
    // program that links the filter's objects directly.
    static const HMODULE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ThisModule), &found);
        return found;
    }();
    return module;
}

void AddModuleReference() { ++g_references; }
void ReleaseModuleReference() { --g_references; }
bool ModuleInUse() { return g_references.load() != 0; }

}  // namespace kvx::dshow
