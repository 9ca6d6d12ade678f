#include "output/avi_file.h"

#include <new>
#include <utility>

namespace kvx {
namespace {

using L = AviLayout;

uint64_t DivideRoundingUp(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// Super index entries for a recording of at most `mostFrames` chunks of
// `chunkBytes`; 0 when a part of `partBytes` cannot hold a frame.
uint32_t PartsFor(uint32_t mostFrames, uint64_t chunkBytes, uint64_t partBytes) {
    // A later part: its own headers and index, then frames with their entries.
    const uint64_t overhead = L::kPartHeaderBytes - 8 + L::kStandardIndexHeaderBytes;
    if (partBytes < overhead + chunkBytes + L::kStandardIndexEntryBytes) return 0;
    const uint64_t perPart = (partBytes - overhead) / (chunkBytes + L::kStandardIndexEntryBytes);
    // The first part holds fewer frames (the headers, the legacy index),
    // but at least one: counting it whole and every frame in later parts
    // never falls short.
    const uint64_t parts = 1 + DivideRoundingUp(mostFrames, perPart);
    return parts > CAviFile::kMaxParts ? CAviFile::kMaxParts : static_cast<uint32_t>(parts);
}

}  // namespace

int CAviFile::Open(const char* fileName, int32_t width, int32_t height, uint16_t bitCount, uint32_t mostFrames) {
    Reset();
    platform::RecordingFile file;
    const auto opened = file.Open(fileName);
    if (opened != platform::RecordingFile::OpenResult::Opened &&
        opened != platform::RecordingFile::OpenResult::Created)
        return 0;
    return Open(std::move(file), width, height, bitCount, mostFrames);
}

int CAviFile::Open(platform::RecordingFile file, int32_t width, int32_t height, uint16_t bitCount,
                   uint32_t mostFrames) {
    Reset();
    if (!file.isOpen() || width <= 0 || height <= 0) return file.Discard(), 0;
    // 24-bit DIB rows, padded to 4 bytes.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t frameBytes = rowBytes * static_cast<uint64_t>(height);
    const uint64_t chunkBytes = frameBytes + L::kChunkHeaderBytes;
    const uint64_t riffLimit = riffLimit_ < kMaxRiffBytes ? riffLimit_ : kMaxRiffBytes;
    // The RIFF size of a plain file of n frames.
    auto plainRiffBytes = [&](uint64_t n) {
        return L::kPlainHeaderBytes - 8 + n * (chunkBytes + L::kLegacyIndexEntryBytes) + 8;
    };
    AviLayout layout;
    if (mostFrames != 0 && plainRiffBytes(mostFrames) > riffLimit) {
        const uint64_t partBytes = riffLimit < kMaxPartBytes ? riffLimit : kMaxPartBytes;
        layout = AviLayout(PartsFor(mostFrames, chunkBytes, partBytes));
        // The first part holds the headers and both indexes of one frame.
        const uint64_t firstFrame = layout.headerBytes() - 8 + chunkBytes + L::kStandardIndexHeaderBytes +
                                    L::kStandardIndexEntryBytes + 8 + L::kLegacyIndexEntryBytes;
        if (!layout.openDml() || firstFrame > partBytes) return file.Discard(), 0;
    } else if (plainRiffBytes(1) > riffLimit) {
        return file.Discard(), 0;
    }

    format_ = AviStreamFormat{width, height, static_cast<uint32_t>(frameBytes), kNominalRate};
    layout_ = layout;
    bitCount_ = bitCount;
    LittleEndianBuffer headers;
    PutAviHeaders(headers, layout_, format_);
    file_ = std::move(file);
    if (!file_.Truncate(0) || !Write(0, headers)) {
        file_.Discard();
        Reset();
        return 0;
    }
    end_ = headers.size();
    riffStart_ = 0;
    moviLetters_ = layout_.headerBytes() - 4;
    riffOpen_ = true;
    return 1;
}

bool CAviFile::RoomForFrame() const {
    const uint64_t n = chunkOffsets_.size() + 1;
    // The RIFF's size once this frame and the indexes that cover it are in.
    uint64_t bytes = end_ - riffStart_ - 8 + format_.frameBytes + L::kChunkHeaderBytes;
    if (layout_.openDml()) bytes += L::kStandardIndexHeaderBytes + L::kStandardIndexEntryBytes * n;
    if (firstRiff()) bytes += 8 + L::kLegacyIndexEntryBytes * n;
    return bytes <= riffLimit();
}

int CAviFile::AddFrame(const void* pixels) {
    if (!file_.isOpen() || failed_ || pixels == nullptr) return 0;
    if (!RoomForFrame()) {
        // The plain layout ends here; OpenDML goes on in a new part while
        // the super index has room for it.
        if (!layout_.openDml() || finishedRiffs_ + 1 >= layout_.superIndexEntries) return 0;
        if (!FinishRiff() || !StartPart()) {
            failed_ = true;
            return 0;
        }
    }
    try {
        chunkOffsets_.push_back(static_cast<uint32_t>(end_ - moviLetters_));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    LittleEndianBuffer chunkHeader;
    chunkHeader.Tag("00db");
    chunkHeader.U32(format_.frameBytes);
    if (!Write(end_, chunkHeader) || !file_.WriteAt(end_ + chunkHeader.size(), pixels, format_.frameBytes)) {
        // What reached the disk of this frame lies beyond end_, where the
        // index goes and the file ends.
        chunkOffsets_.pop_back();
        failed_ = true;
        return 0;
    }
    end_ += uint64_t{format_.frameBytes} + L::kChunkHeaderBytes;
    return 1;
}

bool CAviFile::StartPart() {
    LittleEndianBuffer part;
    part.Tag("RIFF"), part.U32(0), part.Tag("AVIX");
    part.Tag("LIST"), part.U32(0), part.Tag("movi");
    riffStart_ = end_;
    moviLetters_ = end_ + part.size() - 4;
    riffOpen_ = true;
    if (!Write(end_, part)) return false;
    end_ += part.size();
    return true;
}

bool CAviFile::FinishRiff() {
    const auto frames = static_cast<uint32_t>(chunkOffsets_.size());
    bool ok = true;
    uint64_t riffEnd = end_;
    if (layout_.openDml()) {
        LittleEndianBuffer index;
        PutStandardIndex(index, moviLetters_, chunkOffsets_, format_.frameBytes);
        if (Write(riffEnd, index)) {
            // Listed only once it is on disk whole.
            LittleEndianBuffer entry;
            entry.U64(riffEnd), entry.U32(static_cast<uint32_t>(index.size())), entry.U32(frames);
            riffEnd += index.size();
            ok = Write(L::kSuperIndexEntriesOffset + uint64_t{L::kSuperIndexEntryBytes} * indexedParts_, entry);
            if (ok) {
                ++indexedParts_;
                indexedFrames_ += frames;
                ok = WriteU32(L::kSuperIndexInUseOffset, indexedParts_);
            }
        } else {
            ok = false;
        }
    }
    const uint64_t moviEnd = riffEnd;
    if (firstRiff()) {
        LittleEndianBuffer index;
        PutLegacyIndex(index, chunkOffsets_, format_.frameBytes);
        // A failed index leaves a RIFF without one rather than one whose
        // size promises more than is there.
        if (Write(riffEnd, index)) {
            riffEnd += index.size();
        } else {
            ok = false;
        }
        firstRiffFrames_ = frames;
    }
    ok = WriteU32(moviLetters_ - 4, static_cast<uint32_t>(moviEnd - moviLetters_)) && ok;
    ok = WriteU32(riffStart_ + 4, static_cast<uint32_t>(riffEnd - riffStart_ - 8)) && ok;
    finishedFrames_ += frames;
    ++finishedRiffs_;
    riffOpen_ = false;
    chunkOffsets_.clear();
    end_ = riffEnd;
    // An OpenDML file counts what its indexes cover.
    return PatchCounts(firstRiffFrames_, layout_.openDml() ? indexedFrames_ : finishedFrames_) && ok;
}

bool CAviFile::PatchCurrentSizes() {
    bool ok = WriteU32(riffStart_ + 4, static_cast<uint32_t>(end_ - riffStart_ - 8));
    return WriteU32(moviLetters_ - 4, static_cast<uint32_t>(end_ - moviLetters_)) && ok;
}

bool CAviFile::PatchCounts(uint32_t firstRiffFrames, uint32_t totalFrames) {
    bool ok = WriteU32(L::kTotalFramesOffset, firstRiffFrames);
    ok = WriteU32(L::kLengthOffset, totalFrames) && ok;
    if (layout_.openDml()) ok = WriteU32(layout_.dmlhTotalOffset(), totalFrames) && ok;
    return ok;
}

int CAviFile::Checkpoint() {
    if (!file_.isOpen()) return 0;
    bool ok = !riffOpen_ || PatchCurrentSizes();
    // Later parts are counted once they are indexed.
    if (riffOpen_ && firstRiff()) ok = PatchCounts(frameCount(), frameCount()) && ok;
    return ok && !failed_ ? 1 : 0;
}

int CAviFile::Close(uint32_t rateHundredths) {
    if (!file_.isOpen()) return 0;
    bool ok = !failed_;
    if (riffOpen_ && !firstRiff() && chunkOffsets_.empty()) {
        end_ = riffStart_;  // a part that never got a frame
        riffOpen_ = false;
    } else if (riffOpen_) {
        ok = FinishRiff() && ok;
    }
    // Hundredths of a frame per second; a rate below 0.01 would divide by 0.
    const uint32_t rate = rateHundredths == 0 ? 1 : rateHundredths;
    ok = WriteU32(L::kMicroSecPerFrameOffset, 100000000u / rate) && ok;
    ok = WriteU32(L::kScaleOffset, 1000000000u / rate) && ok;
    // Nothing of a broken frame or index stays beyond the last RIFF.
    ok = file_.Truncate(end_) && ok;
    ok = file_.Close() && ok;
    return ok ? 1 : 0;
}

void CAviFile::Reset() {
    if (file_.isOpen()) {
        Checkpoint();
        file_.Close();
    }
    layout_ = AviLayout();
    format_ = AviStreamFormat();
    bitCount_ = 0;
    end_ = riffStart_ = moviLetters_ = 0;
    riffOpen_ = false;
    chunkOffsets_.clear();
    chunkOffsets_.shrink_to_fit();
    finishedRiffs_ = finishedFrames_ = firstRiffFrames_ = indexedParts_ = indexedFrames_ = 0;
    failed_ = false;
}

bool CAviFile::Write(uint64_t offset, const LittleEndianBuffer& bytes) {
    return file_.WriteAt(offset, bytes.bytes().data(), bytes.size());
}

bool CAviFile::WriteU32(uint64_t offset, uint32_t value) {
    LittleEndianBuffer bytes;
    bytes.U32(value);
    return Write(offset, bytes);
}

}  // namespace kvx
