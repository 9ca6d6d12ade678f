// Writes recordings whose every frame says which frame it is, for the test
// that hands them to readers nobody here wrote (check_avi_readers.py, which
// computes the same pattern on its own).
//
//   avi_sample_writer record FILE W H FRAMES RIFF_LIMIT DURATION_MS
//       through the recording thread, as the camera records: FRAMES frames,
//       then a stop; prints "frames N failed F" (a write may fail under a
//       file size limit the caller set)
//   avi_sample_writer crash FILE W H RIFF_LIMIT MOST_FRAMES RIFFS
//       straight into the writer until RIFF number RIFFS + 1 holds frames;
//       prints "indexed N written M" (the frames of the finished RIFFs, and
//       all of them) after a checkpoint and waits to be killed
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/frame_bitmap.h"
#include "output/avi_recorder.h"
#include "platform/clock.h"

namespace {

using kvx::AviRecorder;
using kvx::CAviFile;
using kvx::FrameBitmap;

// Blue, green and red of pixel (x, y) of frame k, y counted from the top.
void PatternPixel(int k, int x, int y, uint8_t* bgr) {
    bgr[0] = static_cast<uint8_t>(3 * x + 5 * k);
    bgr[1] = static_cast<uint8_t>(7 * y + 11 * k);
    bgr[2] = static_cast<uint8_t>(x + y + 13 * k);
}

// Frame k as the camera's frame bitmap holds it: top row first.
void FillTopDown(FrameBitmap& frame, int k) {
    for (int y = 0; y < frame.height(); ++y) {
        uint8_t* row = frame.bits() + static_cast<size_t>(y) * frame.stride();
        for (int x = 0; x < frame.width(); ++x) PatternPixel(k, x, y, row + 3 * x);
    }
}

// Frame k as an AVI frame holds it: bottom row first, rows padded to 4.
void FillBottomUp(std::vector<uint8_t>& dib, int width, int height, int k) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    dib.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) PatternPixel(k, x, y, dib.data() + (height - 1 - y) * stride + 3 * x);
    }
}

class NumberedFrames : public kvx::RecordingFrameSource {
public:
    NumberedFrames(int width, int height) { frame_.Create(width, height, 24); }
    bool TakeNewFrame() override { return fresh_.exchange(false); }
    void WithCurrentFrame(const std::function<void(const FrameBitmap&)>& use) override {
        std::lock_guard<std::mutex> hold(lock_);
        use(frame_);
    }
    void Deliver(int k) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            FillTopDown(frame_, k);
        }
        fresh_ = true;
    }

private:
    std::mutex lock_;
    FrameBitmap frame_;
    std::atomic<bool> fresh_{false};
};

int Record(const char* path, int width, int height, int frames, uint64_t riffLimit, int durationMs) {
    NumberedFrames source(width, height);
    source.Deliver(0);
    CAviFile avi(riffLimit);
    AviRecorder recorder(avi);
    if (recorder.Start(source, path, durationMs, 12) != AviRecorder::StartResult::Started) {
        std::fprintf(stderr, "the recording did not start\n");
        return 1;
    }
    // One frame at a time, each delivered once the last is in the file, so
    // that the file holds frames 0 to N-1 and no other.
    for (int k = 1; k < frames && recorder.running(); ++k) {
        while (recorder.running() && recorder.framesWritten() < static_cast<uint32_t>(k)) kvx::platform::SleepMs(1);
        source.Deliver(k);
    }
    while (recorder.running() && recorder.framesWritten() < static_cast<uint32_t>(frames)) kvx::platform::SleepMs(1);
    recorder.Stop();
    std::printf("frames %u failed %d\n", recorder.framesWritten(), recorder.failed() ? 1 : 0);
    return 0;
}

int Crash(const char* path, int width, int height, uint64_t riffLimit, uint32_t mostFrames, uint32_t riffs) {
    CAviFile avi(riffLimit);
    if (!avi.Open(path, width, height, 24, mostFrames)) {
        std::fprintf(stderr, "cannot open %s\n", path);
        return 1;
    }
    std::vector<uint8_t> dib;
    uint32_t indexed = 0;
    for (int k = 0;; ++k) {
        FillBottomUp(dib, width, height, k);
        if (!avi.AddFrame(dib.data())) {
            std::fprintf(stderr, "frame %d refused\n", k);
            return 1;
        }
        if (avi.riffCount() <= riffs) {
            indexed = avi.frameCount();
        } else if (avi.frameCount() >= indexed + 2) {
            break;  // two frames into the next RIFF
        }
    }
    avi.Checkpoint();
    std::printf("indexed %u written %u\n", indexed, avi.frameCount());
    std::fflush(stdout);
    for (;;) kvx::platform::SleepMs(1000);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    auto number = [&](int i) { return std::strtoull(argv[i], nullptr, 10); };
    if (mode == "record" && argc == 8) {
        return Record(argv[2], static_cast<int>(number(3)), static_cast<int>(number(4)), static_cast<int>(number(5)),
                      number(6), static_cast<int>(number(7)));
    }
    if (mode == "crash" && argc == 8) {
        return Crash(argv[2], static_cast<int>(number(3)), static_cast<int>(number(4)), number(5),
                     static_cast<uint32_t>(number(6)), static_cast<uint32_t>(number(7)));
    }
    std::fprintf(stderr, "usage: see the top of avi_sample_writer.cpp\n");
    return 2;
}
