#include "output/avi_file.h"

#include <limits>
#include <new>

#include "output/little_endian.h"
#include "platform/file_replace.h"

namespace kvx {
namespace {

constexpr uint32_t kMaxRiffSize = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kIndexEntryBytes = 16;

}  // namespace

void CAviFile::PutHeaders(LittleEndianBuffer& out) const {
    const uint32_t chunkBytes = frameBytes_ + kChunkHeaderBytes;
    // Only an estimate for players sizing their reads; the rate is nominal.
    const uint64_t bytesPerSecond = static_cast<uint64_t>(chunkBytes) * rate_;

    out.Tag("RIFF"), out.U32(0), out.Tag("AVI ");
    out.Tag("LIST"), out.U32(200), out.Tag("hdrl");
    out.Tag("avih"), out.U32(56);
    out.U32(1000000 / rate_);  // dwMicroSecPerFrame
    out.U32(bytesPerSecond > kMaxRiffSize ? kMaxRiffSize : static_cast<uint32_t>(bytesPerSecond));
    out.U32(0);                // dwPaddingGranularity
    out.U32(0x10010);          // has index, was a capture file
    out.U32(frameCount());     // dwTotalFrames
    out.U32(0);                // dwInitialFrames
    out.U32(1);                // dwStreams
    out.U32(chunkBytes);       // dwSuggestedBufferSize
    out.I32(width_);
    out.I32(height_);
    for (int i = 0; i < 4; ++i) out.U32(0);

    out.Tag("LIST"), out.U32(124), out.Tag("strl");
    out.Tag("strh"), out.U32(64);
    out.Tag("vids"), out.Tag("DIB ");
    out.U32(0);                  // dwFlags
    out.U16(0), out.U16(0);      // wPriority, wLanguage
    out.U32(0);                  // dwInitialFrames
    out.U32(10000000 / rate_);   // dwScale
    out.U32(10000000);           // dwRate
    out.U32(0);                  // dwStart
    out.U32(frameCount());       // dwLength
    out.U32(chunkBytes);         // dwSuggestedBufferSize
    out.U32(0), out.U32(0);      // dwQuality, dwSampleSize
    for (int i = 0; i < 4; ++i) out.U32(0);  // frame rectangle

    out.Tag("strf"), out.U32(40);
    out.U32(40), out.I32(width_), out.I32(height_);
    out.U16(1), out.U16(24);     // planes, bit count
    for (int i = 0; i < 6; ++i) out.U32(0);  // uncompressed, no size, no resolution, no palette

    out.Tag("LIST"), out.U32(0), out.Tag("movi");
}

int CAviFile::Open(const char* fileName, int32_t width, int32_t height, uint16_t bitCount) {
    Reset();
    if (fileName == nullptr || *fileName == '\0' || width <= 0 || height <= 0) return 0;
    // 24-bit DIB rows, padded to 4 bytes.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t frameBytes = rowBytes * static_cast<uint64_t>(height);
    // One frame and its index entry must fit the 32-bit sizes.
    if (frameBytes + kHeaderBytes + 2 * kChunkHeaderBytes + kIndexEntryBytes > kMaxRiffSize) return 0;

    file_ = std::fopen(fileName, "wb");
    if (file_ == nullptr) return 0;
    // Unbuffered: frames are written in large pieces anyway, and a failed
    // write then leaves nothing pending that would make the later header
    // patches fail too.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    rate_ = kNominalRate;
    frameBytes_ = static_cast<uint32_t>(frameBytes);

    LittleEndianBuffer headers;
    PutHeaders(headers);
    if (!Write(headers.bytes().data(), headers.size())) {
        std::fclose(file_);
        file_ = nullptr;
        Reset();
        return 0;
    }
    riffSize_ = kHeaderBytes - 8;  // everything after the RIFF size field
    moviSize_ = 4;                 // the "movi" letters
    return 1;
}

int CAviFile::AddFrame(const void* pixels) {
    if (file_ == nullptr || failed_ || pixels == nullptr) return 0;
    const uint64_t chunkBytes = uint64_t{frameBytes_} + kChunkHeaderBytes;
    const uint64_t indexBytes = kChunkHeaderBytes + uint64_t{kIndexEntryBytes} * (index_.size() + 1);
    if (riffSize_ + chunkBytes + indexBytes > kMaxRiffSize) return 0;
    try {
        index_.push_back(IndexEntry{FourCC("00db"), kKeyFrame, moviSize_, frameBytes_});
    } catch (const std::bad_alloc&) {
        return 0;
    }
    LittleEndianBuffer chunkHeader;
    chunkHeader.Tag("00db");
    chunkHeader.U32(frameBytes_);
    if (!Write(chunkHeader.bytes().data(), chunkHeader.size()) || !Write(pixels, frameBytes_)) {
        // What reached the disk of this frame lies beyond the sizes that
        // will be patched in, where readers do not look.
        index_.pop_back();
        failed_ = true;
        return 0;
    }
    riffSize_ += static_cast<uint32_t>(chunkBytes);
    moviSize_ += static_cast<uint32_t>(chunkBytes);
    return 1;
}

bool CAviFile::Write(const void* data, size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

bool CAviFile::WriteAt(long offset, uint32_t value) {
    LittleEndianBuffer bytes;
    bytes.U32(value);
    return std::fseek(file_, offset, SEEK_SET) == 0 && Write(bytes.bytes().data(), bytes.size());
}

bool CAviFile::PatchSizes(uint32_t riffSize) {
    bool ok = WriteAt(kRiffSizeOffset, riffSize);
    ok = WriteAt(kMoviSizeOffset, moviSize_) && ok;
    ok = WriteAt(kTotalFramesOffset, frameCount()) && ok;
    ok = WriteAt(kLengthOffset, frameCount()) && ok;
    return ok;
}

int CAviFile::Checkpoint() {
    if (file_ == nullptr) return 0;
    bool ok = PatchSizes(riffSize_);
    // Push everything to the system, so that only the system's own crash
    // can lose it, and go back to where the next frame goes.
    ok = std::fflush(file_) == 0 && ok;
    ok = platform::SeekStream(file_, 0, SEEK_END) && ok;
    return ok && !failed_ ? 1 : 0;
}

int CAviFile::Close(uint32_t rateHundredths) {
    if (file_ == nullptr) return 0;
    bool ok = !failed_;
    uint32_t riffSize = riffSize_;
    {
        LittleEndianBuffer index;
        index.Tag("idx1");
        index.U32(kIndexEntryBytes * frameCount());
        for (const IndexEntry& e : index_) {
            index.U32(e.chunkId), index.U32(e.flags), index.U32(e.offset), index.U32(e.length);
        }
        // Right after the last whole frame: what a failed write left of a
        // frame beyond it is written over or lies past the RIFF size.
        const bool indexed = platform::SeekStream(file_, int64_t{riffSize_} + 8, SEEK_SET) &&
                             Write(index.bytes().data(), index.size());
        // A failed index write leaves a file without one rather than one
        // whose sizes promise more than is there.
        if (indexed) riffSize += static_cast<uint32_t>(index.size());
        ok = indexed && ok;
    }
    // Hundredths of a frame per second; a rate below 0.01 would divide by 0.
    rate_ = rateHundredths == 0 ? 1 : rateHundredths;
    ok = PatchSizes(riffSize) && ok;
    ok = WriteAt(kMicroSecPerFrameOffset, 100000000u / rate_) && ok;
    ok = WriteAt(kScaleOffset, 1000000000u / rate_) && ok;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok ? 1 : 0;
}

void CAviFile::Reset() {
    if (file_ != nullptr) {
        Checkpoint();
        std::fclose(file_);
        file_ = nullptr;
    }
    index_.clear();
    index_.shrink_to_fit();
    riffSize_ = moviSize_ = 0;
    width_ = height_ = 0;
    bitCount_ = 0;
    rate_ = 0;
    frameBytes_ = 0;
    failed_ = false;
}

}  // namespace kvx
