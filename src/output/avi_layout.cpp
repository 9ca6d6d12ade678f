#include "output/avi_layout.h"

#include <limits>

namespace kvx {
namespace {

constexpr uint32_t kStreamHeaderBytes = 64;
constexpr uint32_t kFormatBytes = 40;
constexpr uint32_t kDmlhBytes = 248;  // the total frame count and reserved words
constexpr uint32_t kOdmlListBytes = 4 + 8 + kDmlhBytes;
// OpenDML index types.
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;

uint64_t StrlSize(uint32_t superIndexEntries) {
    uint64_t size = 4 + (8 + kStreamHeaderBytes) + (8 + kFormatBytes);
    if (superIndexEntries != 0) size += 8 + 24 + uint64_t{AviLayout::kSuperIndexEntryBytes} * superIndexEntries;
    return size;
}

}  // namespace

uint64_t AviLayout::hdrlSize() const {
    uint64_t size = 4 + (8 + 56) + 8 + StrlSize(superIndexEntries);
    if (openDml()) size += 8 + kOdmlListBytes;
    return size;
}

uint64_t AviLayout::dmlhTotalOffset() const { return 96 + StrlSize(superIndexEntries) + 20; }

void PutAviHeaders(LittleEndianBuffer& out, const AviLayout& layout, const AviStreamFormat& format) {
    constexpr uint32_t kMaxU32 = std::numeric_limits<uint32_t>::max();
    const uint32_t chunkBytes = format.frameBytes + AviLayout::kChunkHeaderBytes;
    // Only an estimate for players sizing their reads; the rate is nominal.
    const uint64_t bytesPerSecond = static_cast<uint64_t>(chunkBytes) * format.rate;

    out.Tag("RIFF"), out.U32(0), out.Tag("AVI ");
    out.Tag("LIST"), out.U32(static_cast<uint32_t>(layout.hdrlSize())), out.Tag("hdrl");
    out.Tag("avih"), out.U32(56);
    out.U32(1000000 / format.rate);  // dwMicroSecPerFrame
    out.U32(bytesPerSecond > kMaxU32 ? kMaxU32 : static_cast<uint32_t>(bytesPerSecond));
    out.U32(0);                // dwPaddingGranularity
    out.U32(0x10010);          // has index, was a capture file
    out.U32(0);                // dwTotalFrames
    out.U32(0);                // dwInitialFrames
    out.U32(1);                // dwStreams
    out.U32(chunkBytes);       // dwSuggestedBufferSize
    out.I32(format.width);
    out.I32(format.height);
    for (int i = 0; i < 4; ++i) out.U32(0);

    out.Tag("LIST"), out.U32(static_cast<uint32_t>(StrlSize(layout.superIndexEntries))), out.Tag("strl");
    out.Tag("strh"), out.U32(kStreamHeaderBytes);
    out.Tag("vids"), out.Tag("DIB ");
    out.U32(0);                      // dwFlags
    out.U16(0), out.U16(0);          // wPriority, wLanguage
    out.U32(0);                      // dwInitialFrames
    out.U32(10000000 / format.rate); // dwScale
    out.U32(10000000);               // dwRate
    out.U32(0);                      // dwStart
    out.U32(0);                      // dwLength
    out.U32(chunkBytes);             // dwSuggestedBufferSize
    out.U32(0), out.U32(0);          // dwQuality, dwSampleSize
    for (int i = 0; i < 4; ++i) out.U32(0);  // frame rectangle

    out.Tag("strf"), out.U32(kFormatBytes);
    out.U32(40), out.I32(format.width), out.I32(format.height);
    out.U16(1), out.U16(24);  // planes, bit count
    for (int i = 0; i < 6; ++i) out.U32(0);  // uncompressed, no size, no resolution, no palette

    if (layout.openDml()) {
        // Entries are filled in as parts are finished; unused ones stay 0.
        out.Tag("indx"), out.U32(24 + AviLayout::kSuperIndexEntryBytes * layout.superIndexEntries);
        out.U16(4), out.U8(0), out.U8(kIndexOfIndexes);
        out.U32(0);  // entries in use
        out.Tag("00db");
        for (int i = 0; i < 3; ++i) out.U32(0);
        out.Zeros(size_t{AviLayout::kSuperIndexEntryBytes} * layout.superIndexEntries);

        out.Tag("LIST"), out.U32(kOdmlListBytes), out.Tag("odml");
        out.Tag("dmlh"), out.U32(kDmlhBytes);
        out.Zeros(kDmlhBytes);
    }

    out.Tag("LIST"), out.U32(0), out.Tag("movi");
}

void PutLegacyIndex(LittleEndianBuffer& out, const std::vector<uint32_t>& offsets, uint32_t frameBytes) {
    out.Tag("idx1");
    out.U32(static_cast<uint32_t>(AviLayout::kLegacyIndexEntryBytes * offsets.size()));
    for (uint32_t offset : offsets) {
        out.Tag("00db"), out.U32(AviLayout::kKeyFrame), out.U32(offset), out.U32(frameBytes);
    }
}

void PutStandardIndex(LittleEndianBuffer& out, uint64_t moviLetters, const std::vector<uint32_t>& offsets,
                      uint32_t frameBytes) {
    out.Tag("ix00");
    out.U32(static_cast<uint32_t>(AviLayout::kStandardIndexHeaderBytes - 8 +
                                  AviLayout::kStandardIndexEntryBytes * offsets.size()));
    out.U16(2), out.U8(0), out.U8(kIndexOfChunks);
    out.U32(static_cast<uint32_t>(offsets.size()));
    out.Tag("00db");
    out.U64(moviLetters);  // the base the entries count from
    out.U32(0);
    // Each entry locates the frame's data, past its chunk header; a clear
    // top bit marks a key frame.
    for (uint32_t offset : offsets) out.U32(offset + AviLayout::kChunkHeaderBytes), out.U32(frameBytes);
}

}  // namespace kvx
