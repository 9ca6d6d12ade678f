#include "media_type.h"

#include <cstring>

namespace kvx::dshow {

void FreeMediaTypeContents(AM_MEDIA_TYPE* type) {
    if (type->cbFormat != 0) CoTaskMemFree(type->pbFormat);
    if (type->pUnk) type->pUnk->Release();
    std::memset(type, 0, sizeof *type);
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type) return;
    FreeMediaTypeContents(type);
    CoTaskMemFree(type);
}

bool CopyMediaType(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from) {
    *to = from;
    to->pbFormat = nullptr;
    if (from.cbFormat != 0) {
        to->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        if (!to->pbFormat) {
            std::memset(to, 0, sizeof *to);
            return false;
        }
        std::memcpy(to->pbFormat, from.pbFormat, from.cbFormat);
    }
    if (to->pUnk) to->pUnk->AddRef();
    return true;
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& from) {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (copy && !CopyMediaType(copy, from)) {
        CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

bool MediaType::Assign(const AM_MEDIA_TYPE& from) {
    if (&from == &type_) return true;
    FreeMediaTypeContents(&type_);
    return CopyMediaType(&type_, from);
}

}  // namespace kvx::dshow
