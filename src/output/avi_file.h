// CAviFile: an uncompressed 24-bit AVI written chunk by chunk.
//
//   RIFF <size> "AVI "
//     LIST 200 "hdrl"  avih 56 <main header>
//                      LIST 124 "strl"  strh 64 <stream header>  strf 40 <format>
//     LIST <size> "movi"  { "00db" F <F bytes of bottom-up 24-bit DIB rows> } x N
//   idx1 16N  { "00db" 0x10 <offset from "movi"> F } x N
//
// The headers are written first with sizes of 0 and patched when the file is
// closed. Until then a reader would see an empty file, so Checkpoint (and
// Reset on a file that was never closed) patches the sizes and frame counts
// for the frames written so far: what a crash leaves behind is a file whose
// RIFF and movi lists cover every frame up to the last checkpoint, without
// the index (readers find the frames by walking the movi list) and with the
// nominal 30 frames per second.
//
// No lock of its own: one thread at a time uses a writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace kvx {

class CAviFile {
public:
    // Offsets of the fields that are patched in place.
    static constexpr long kRiffSizeOffset = 4;
    static constexpr long kMicroSecPerFrameOffset = 32;
    static constexpr long kTotalFramesOffset = 48;
    static constexpr long kScaleOffset = 128;
    static constexpr long kLengthOffset = 140;
    static constexpr long kMoviSizeOffset = 224;
    static constexpr uint32_t kHeaderBytes = 232;  // everything up to the first frame chunk
    static constexpr uint32_t kNominalRate = 30;   // frames per second until the measured rate is known
    static constexpr uint32_t kKeyFrame = 0x10;

    struct IndexEntry {
        uint32_t chunkId;
        uint32_t flags;
        uint32_t offset;  // of the chunk's id, counted from the "movi" letters
        uint32_t length;
    };

    CAviFile() = default;
    ~CAviFile() { Reset(); }
    CAviFile(const CAviFile&) = delete;
    CAviFile& operator=(const CAviFile&) = delete;

    // Truncates or creates `fileName` and writes everything up to the
    // "movi" letters for frames of width x height. `bitCount` is the
    // source's depth, kept for reference: the file is always 24-bit.
    // 1, or 0 when the size has no 32-bit frame length or the file cannot
    // be opened or written.
    int Open(const char* fileName, int32_t width, int32_t height, uint16_t bitCount);

    // Appends one frame of frameBytes() from `pixels`. 1 when it is in the
    // file; 0 when no file is open, when a write has failed (nothing more
    // is appended after that) or when the finished file would pass the
    // 32-bit RIFF size.
    int AddFrame(const void* pixels);

    // Patches sizes and frame counts for the frames so far (see above).
    int Checkpoint();

    // Writes the index, patches the sizes, the counts and the timing from
    // the measured rate in hundredths of a frame per second, and closes.
    // After a failed write the index goes where the broken frame began, so
    // the file still covers the frames written whole, with their index
    // when there is room for it. 1 when everything was written.
    int Close(uint32_t rateHundredths);

    // Closes a file that was never finished (after a last checkpoint),
    // empties the index and zeroes the headers.
    void Reset();

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return failed_; }
    uint32_t frameCount() const { return static_cast<uint32_t>(index_.size()); }
    uint32_t frameBytes() const { return frameBytes_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint16_t bitCount() const { return bitCount_; }

private:
    bool Write(const void* data, size_t size);
    bool WriteAt(long offset, uint32_t value);
    bool PatchSizes(uint32_t riffSize);
    void PutHeaders(class LittleEndianBuffer& out) const;

    std::FILE* file_ = nullptr;
    uint32_t riffSize_ = 0;
    uint32_t moviSize_ = 0;
    std::vector<IndexEntry> index_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint16_t bitCount_ = 0;
    uint32_t rate_ = 0;
    uint32_t frameBytes_ = 0;
    bool failed_ = false;
};

}  // namespace kvx
