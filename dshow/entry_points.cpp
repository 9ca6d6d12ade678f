// What COM calls in the filter's DLL to make objects and to ask whether it
// may unload the DLL.
#include <new>

#include "class_factory.h"
#include "guids.h"
#include "module.h"

using namespace kvx::dshow;

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    int device = 0;
    ClassFactory* factory = nullptr;
    if (DeviceOfClassId(clsid, &device))
        factory = new (std::nothrow) ClassFactory(ClassFactory::Product::Filter, device);
    else if (IsEqualCLSID(clsid, kSettingsPageClassId))
        factory = new (std::nothrow) ClassFactory(ClassFactory::Product::SettingsPage, 0);
    else
        return CLASS_E_CLASSNOTAVAILABLE;
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }
