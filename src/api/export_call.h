// The one path every export with a handle takes: look the handle up, run the
// camera operation, and turn anything thrown into a result, because no
// exception may cross the C interface.
#pragma once

#include <memory>
#include <new>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"

namespace kvx {

// Runs op(camera) for a registered handle; an unknown handle gives
// `notFound` and reports nothing.
template <typename Op>
int CallCamera(int handle, int notFound, Op op) {
    std::shared_ptr<CKolvex> camera = SdkChain().Lookup(handle);
    if (!camera) return notFound;
    try {
        return op(*camera);
    } catch (const std::bad_alloc&) {
        camera->RecordError(KOLVEX_ERR_RESOURCE);
    } catch (...) {
        camera->RecordError(KOLVEX_ERR_RESOURCE);
    }
    return 0;
}

}  // namespace kvx
