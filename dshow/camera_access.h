// The filter's private side door for its own settings page: the library
// handle of the filter's camera, so that the page opens the library's
// settings dialogs on the very camera the graph streams from.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "guids.h"

namespace kvx::dshow {

struct ICameraAccess : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CameraHandle(int* handle) = 0;
};

}  // namespace kvx::dshow
