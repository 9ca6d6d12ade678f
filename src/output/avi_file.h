// CAviFile: an uncompressed 24-bit AVI written chunk by chunk, of any
// length (avi_layout.h shows both layouts).
//
// A recording that can stay within one RIFF (4 GiB) gets the plain layout.
// One that may grow past it gets the OpenDML layout from its start: parts of
// at most 1 GiB, each with its own index, listed in a super index in the
// header, and the first part keeping an "idx1" for readers that know only
// that. The caller says at Open how many frames the recording can reach at
// most, so the layout is chosen before the first byte is written.
//
// The headers are written first with sizes of 0 and patched as the file
// grows. Until then a reader would see an empty file, so Checkpoint (and
// Reset on a file that was never closed) patches the sizes of the RIFF being
// written, and in the first RIFF its frame counts: what a crash leaves
// behind is a file whose lists cover every frame up to the last checkpoint
// (readers find those of an unindexed RIFF by walking its movi list). Every
// finished OpenDML part is complete, indexed and counted in the header the
// moment the next one begins, so a crash never costs more than the part
// being written.
//
// No lock of its own: one thread at a time uses a writer.
#pragma once

#include <cstdint>
#include <vector>

#include "output/avi_layout.h"
#include "platform/recording_file.h"

namespace kvx {

class CAviFile {
public:
    static constexpr uint32_t kNominalRate = 30;  // frames per second until the measured rate is known
    // The largest RIFF: its size field is 32-bit.
    static constexpr uint64_t kMaxRiffBytes = 0xFFFFFFFF;
    // OpenDML parts stay at 1 GiB, which readers that take the sizes as
    // signed also read.
    static constexpr uint64_t kMaxPartBytes = uint64_t{1} << 30;
    // The super index is reserved in the header when the file is opened, 16
    // bytes a part: room for 32 TiB of 1 GiB parts at most.
    static constexpr uint32_t kMaxParts = 32768;

    // `riffLimit`: the most a RIFF may hold (its size field). Tests make it
    // small to reach the OpenDML layout with small frames.
    explicit CAviFile(uint64_t riffLimit = kMaxRiffBytes) : riffLimit_(riffLimit) {}
    ~CAviFile() { Reset(); }
    CAviFile(const CAviFile&) = delete;
    CAviFile& operator=(const CAviFile&) = delete;

    // Truncates or creates `fileName` and writes everything up to the
    // "movi" letters for frames of width x height. `bitCount` is the
    // source's depth, kept for reference: the file is always 24-bit.
    // `mostFrames`: how many frames the recording can reach at most; 0 for
    // unknown, which keeps the plain layout and ends the file at the RIFF's
    // limit. 1, or 0 when the size has no 32-bit frame length or the file
    // cannot be opened or written.
    int Open(const char* fileName, int32_t width, int32_t height, uint16_t bitCount, uint32_t mostFrames = 0);
    // The same on a file the caller opened (and did not truncate); a file
    // it created is removed again when the writer cannot start.
    int Open(platform::RecordingFile file, int32_t width, int32_t height, uint16_t bitCount,
             uint32_t mostFrames = 0);

    // Appends one frame of frameBytes() from `pixels`. 1 when it is in the
    // file; 0 when no file is open, when a write has failed (nothing more
    // is appended after that) or when the file can take no more frames.
    int AddFrame(const void* pixels);

    // Patches sizes and frame counts for the frames so far (see above).
    int Checkpoint();

    // Writes the index, patches the sizes, the counts and the timing from
    // the measured rate in hundredths of a frame per second, and closes.
    // After a failed write the index goes where the broken frame began, so
    // the file still covers the frames written whole, with their index
    // when there is room for it; nothing of the broken frame stays beyond
    // it. 1 when everything was written.
    int Close(uint32_t rateHundredths);

    // Closes a file that was never finished (after a last checkpoint),
    // empties the index and zeroes the headers.
    void Reset();

    bool isOpen() const { return file_.isOpen(); }
    bool failed() const { return failed_; }
    bool openDml() const { return layout_.openDml(); }
    uint32_t frameCount() const { return finishedFrames_ + static_cast<uint32_t>(chunkOffsets_.size()); }
    // RIFFs written or being written.
    uint32_t riffCount() const { return finishedRiffs_ + (riffOpen_ ? 1 : 0); }
    uint32_t frameBytes() const { return format_.frameBytes; }
    int32_t width() const { return format_.width; }
    int32_t height() const { return format_.height; }
    uint16_t bitCount() const { return bitCount_; }

private:
    uint64_t riffLimit() const { return layout_.openDml() && riffLimit_ > kMaxPartBytes ? kMaxPartBytes : riffLimit_; }
    bool firstRiff() const { return riffStart_ == 0; }
    bool RoomForFrame() const;
    bool StartPart();
    // Indexes the RIFF being written and patches its sizes and the counts.
    bool FinishRiff();
    bool PatchCurrentSizes();
    bool PatchCounts(uint32_t firstRiffFrames, uint32_t totalFrames);
    bool Write(uint64_t offset, const LittleEndianBuffer& bytes);
    bool WriteU32(uint64_t offset, uint32_t value);

    const uint64_t riffLimit_;
    platform::RecordingFile file_;
    AviLayout layout_;
    AviStreamFormat format_;
    uint16_t bitCount_ = 0;
    uint64_t end_ = 0;          // where the next chunk goes: right after the last whole one
    uint64_t riffStart_ = 0;    // the RIFF being written
    uint64_t moviLetters_ = 0;  // its "movi" letters, which its index offsets count from
    bool riffOpen_ = false;
    // Its frames' chunks, from its "movi" letters.
    std::vector<uint32_t> chunkOffsets_;
    uint32_t finishedRiffs_ = 0;
    uint32_t finishedFrames_ = 0;  // in finished RIFFs
    uint32_t firstRiffFrames_ = 0;
    uint32_t indexedParts_ = 0;    // entries of the super index in use
    uint32_t indexedFrames_ = 0;   // frames those entries cover
    bool failed_ = false;
};

}  // namespace kvx
