#include "output/avi_recorder.h"

#include <system_error>
#include <utility>

#include "display/frame_bitmap.h"
#include "output/avi_frame_conversion.h"
#include "platform/clock.h"

namespace kvx {
namespace {

// How often an unfinished file is made readable up to its last frame.
constexpr uint32_t kCheckpointMs = 1000;

}  // namespace

uint32_t AviRecorder::MeasuredRate(uint32_t frames, uint32_t elapsedMs) {
    if (frames == 0 || elapsedMs == 0) return CAviFile::kNominalRate * 100;
    // 64-bit: frames x 100000 passes 32 bits after 42,950 frames.
    const uint64_t rate = uint64_t{frames} * 100000u / elapsedMs;
    if (rate == 0) return 1;
    return rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}

uint32_t AviRecorder::MostFrames(int32_t durationMs) {
    return durationMs < 0 ? 1 : static_cast<uint32_t>(durationMs) / kPassMs + 2;
}

AviRecorder::StartResult AviRecorder::Start(RecordingFrameSource& source, const char* fileName, int32_t durationMs,
                                            int sampleBits) {
    if (running()) return StartResult::AlreadyRunning;
    platform::RecordingFile file;
    const auto opened = file.Open(fileName);
    if (opened != platform::RecordingFile::OpenResult::Opened &&
        opened != platform::RecordingFile::OpenResult::Created)
        return StartResult::OpenFailed;
    return Start(source, std::move(file), durationMs, sampleBits);
}

AviRecorder::StartResult AviRecorder::Start(RecordingFrameSource& source, platform::RecordingFile file,
                                            int32_t durationMs, int sampleBits) {
    if (running()) return file.Discard(), StartResult::AlreadyRunning;
    if (thread_.joinable()) thread_.join();  // a recording that ended by itself

    int32_t width = 0, height = 0, bits = 0;
    source.WithCurrentFrame([&](const FrameBitmap& frame) {
        width = frame.width();
        height = frame.height();
        bits = frame.bitsPerPixel();
    });
    if (!writer_.Open(std::move(file), width, height, static_cast<uint16_t>(bits), MostFrames(durationMs)))
        return StartResult::OpenFailed;

    framesWritten_ = 0;
    failed_ = false;
    endedEarly_ = false;
    run_ = 1;  // before the thread starts, so that it finds the flag set
    try {
        thread_ = std::thread(&AviRecorder::Run, this, &source, durationMs, sampleBits);
    } catch (const std::system_error&) {
        run_ = 0;
        writer_.Close(MeasuredRate(0, 0));
        return StartResult::ThreadFailed;
    }
    return StartResult::Started;
}

void AviRecorder::Stop() {
    run_ = 0;
    if (thread_.joinable()) thread_.join();
}

void AviRecorder::Run(RecordingFrameSource* source, int32_t durationMs, int sampleBits) {
    FrameBitmap bgr24, gray8;
    const bool ready = bgr24.Create(writer_.width(), writer_.height(), 24) &&
                       gray8.Create(writer_.width(), writer_.height(), 8);
    if (!ready) failed_ = endedEarly_ = true;
    bool started = false;
    uint32_t startTime = 0, lastTime = 0, lastCheckpoint = 0;
    while (ready && run_.load() != 0) {
        platform::SleepMs(kPassMs);
        const uint32_t now = platform::MultimediaTime();
        // A sleep may end early or the clock step coarsely; the frames stay
        // kPassMs apart all the same, which MostFrames relies on.
        if (started && now - lastTime < kPassMs) continue;
        if (!source->TakeNewFrame()) continue;
        if (!started) {
            started = true;
            startTime = lastCheckpoint = now;
        }
        lastTime = now;
        // Only the conversion needs the frame lock; the work bitmap is this
        // thread's own, so the acquisition need not wait for the disk.
        bool converted = false;
        source->WithCurrentFrame(
            [&](const FrameBitmap& frame) { converted = ConvertFrameForAvi(frame, sampleBits, bgr24, gray8); });
        if (converted) {
            // A refused frame ends the recording: a failed write, or a file
            // that would pass its 32-bit sizes (not a failure).
            if (!writer_.AddFrame(bgr24.bits())) {
                failed_ = writer_.failed();
                endedEarly_ = true;
                break;
            }
            framesWritten_ = writer_.frameCount();
        }
        // Unsigned differences stay right across the wrap of the clock.
        if (durationMs < 0 || now - startTime > static_cast<uint32_t>(durationMs)) break;
        if (now - lastCheckpoint >= kCheckpointMs) {
            writer_.Checkpoint();
            lastCheckpoint = now;
        }
    }
    if (!writer_.Close(MeasuredRate(writer_.frameCount(), lastTime - startTime))) failed_ = true;
    framesWritten_ = writer_.frameCount();
    // The file is whole before anyone hears of it.
    if (endedEarly_.load()) source->EndedEarly();
    run_ = 0;
}

}  // namespace kvx
