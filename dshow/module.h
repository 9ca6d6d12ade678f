// The module around the filter's objects: its handle, the count of live
// objects and server locks that decides when the DLL may unload, and the
// four entry points COM and regsvr32 call.
#pragma once

#include <windows.h>

namespace kvx::dshow {

HMODULE ThisModule();

// Every COM object of the module counts itself for its lifetime, so that
// DllCanUnloadNow never lets the DLL go while one is alive.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

// Counts the module as used for as long as the object lives.
class ModuleReference {
public:
    ModuleReference() { AddModuleReference(); }
    ~ModuleReference() { ReleaseModuleReference(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace kvx::dshow

extern "C" {
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
HRESULT STDAPICALLTYPE DllCanUnloadNow();
HRESULT STDAPICALLTYPE DllRegisterServer();
HRESULT STDAPICALLTYPE DllUnregisterServer();
}
