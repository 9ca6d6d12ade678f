// IEnumPins and IEnumMediaTypes over a fixed list: each enumerator (and
// its clones) shares one immutable list and keeps its own position.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <atomic>
#include <memory>
#include <vector>

#include "media_type.h"
#include "module.h"

namespace kvx::dshow {

using MediaTypeList = std::vector<std::unique_ptr<MediaType>>;

// New enumerators with one reference; null when memory ran out. The pin
// enumerator holds a reference on `owner`, which keeps the pins alive.
IEnumPins* CreatePinEnumerator(IUnknown* owner, std::vector<IPin*> pins);
IEnumMediaTypes* CreateMediaTypeEnumerator(std::shared_ptr<const MediaTypeList> types);

}  // namespace kvx::dshow
