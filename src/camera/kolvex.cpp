#include "camera/kolvex.h"

#include "camera/frame_info_arena.h"
#include "camera/recording_source.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "display/frame_bitmap.h"
#include "output/avi_file.h"
#include "platform/clock.h"

namespace kvx {

CKolvex::CKolvex() : frameInfo_(AcquireFrameInfoRecord()) { windowStart_ = platform::MultimediaTime(); }

CKolvex::~CKolvex() { Teardown(); }

int CKolvex::RecordError(int code) {
    errors_.Push(code);
    if (applicationWindow_) platform::PostWindowMessage(applicationWindow_, KOLVEX_WM_ERROR, 0, code);
    return 1;
}

void CKolvex::PostError(int code) { platform::PostWindowMessage(applicationWindow_, KOLVEX_WM_ERROR, 0, code); }

int CKolvex::TakeLastError() { return errors_.Take(); }

int CKolvex::GetStatus(int) const { return 0; }

}  // namespace kvx
