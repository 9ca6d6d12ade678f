// AM_MEDIA_TYPE's memory rules: the format block and the structure handed
// to a caller come from the COM task allocator, and the caller frees them.
#pragma once

#include <windows.h>
#include <strmif.h>

namespace kvx::dshow {

// Frees the format block (and the unknown it may carry), not the structure.
void FreeMediaTypeContents(AM_MEDIA_TYPE* type);
// Frees both, as a caller of IEnumMediaTypes::Next or GetStreamCaps must.
void DeleteMediaType(AM_MEDIA_TYPE* type);
// Deep copy into *to (whose old contents are not freed); false when memory
// ran out, leaving *to empty.
bool CopyMediaType(AM_MEDIA_TYPE* to, const AM_MEDIA_TYPE& from);
// A deep copy in task memory, or null.
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE& from);

// Owns one media type's contents.
class MediaType {
public:
    MediaType() : type_{} {}
    ~MediaType() { FreeMediaTypeContents(&type_); }
    MediaType(const MediaType&) = delete;
    MediaType& operator=(const MediaType&) = delete;

    bool Assign(const AM_MEDIA_TYPE& from);
    void Clear() { FreeMediaTypeContents(&type_); }
    bool empty() const { return IsEqualGUID(type_.majortype, GUID_NULL); }
    const AM_MEDIA_TYPE& get() const { return type_; }
    AM_MEDIA_TYPE* operator->() { return &type_; }

private:
    AM_MEDIA_TYPE type_;
};

}  // namespace kvx::dshow
