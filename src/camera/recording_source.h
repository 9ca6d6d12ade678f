// What the recording thread sees of a camera: the mark the preview worker
// leaves after each converted frame, and the current output image under
// the frame lock.
#pragma once

#include "camera/kolvex.h"
#include "output/avi_recorder.h"

namespace kvx {

class CameraRecordingSource : public RecordingFrameSource {
public:
    explicit CameraRecordingSource(CKolvex& camera) : camera_(camera) {}
    bool TakeNewFrame() override;
    void WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) override;
    // The application got 1 from Record: it must hear that the file ended
    // before its time.
    void EndedEarly() override;

private:
    CKolvex& camera_;
};

}  // namespace kvx
