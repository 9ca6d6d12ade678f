// The camera's frame interval for a format, measured: exposure, readout
// and the library's own pace decide the rate, and the public interface
// tells none of them, so the filter streams a few frames and times them.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "camera_session.h"
#include "video_formats.h"

namespace kvx::dshow {

// The mean interval between a few announced frames, in 100 ns units. Fails as the start fails (kCameraBusy while another program
// streams), or when frames stop coming.
HRESULT MeasureFrameInterval(CameraSession* camera, const VideoFormat& format, REFERENCE_TIME* interval);

}  // namespace kvx::dshow
