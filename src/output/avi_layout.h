// Where things lie in the AVI files CAviFile writes, and the bytes of their
// headers and index chunks.
//
// Plain layout, for every recording that fits one RIFF:
//
//   RIFF <size> "AVI "
//     LIST 200 "hdrl"  avih 56 <main header>
//                      LIST 124 "strl"  strh 64 <stream header>  strf 40 <format>
//     LIST <size> "movi"  { "00db" F <F bytes of bottom-up 24-bit DIB rows> } x N
//     idx1 16N  { "00db" 0x10 <offset from "movi"> F } x N
//
// OpenDML (AVI 2.0), for a recording that may not: the stream list also
// holds a super index ("indx") with room for one entry per part, and the
// header list ends with "LIST odml" / "dmlh" holding the total frame count.
// The main header's count is that of the first RIFF; the stream header's is
// the total.
//
//   RIFF <size> "AVI "
//     LIST <size> "hdrl"  avih 56 <main header>
//                         LIST <size> "strl"  strh 64  strf 40  indx <super index>
//                         LIST 260 "odml"  dmlh 248 <total frames>
//     LIST <size> "movi"  { "00db" F <frame> } x N1  ix00 <standard index>
//     idx1 16N1 <as above, for the first RIFF's frames>
//   RIFF <size> "AVIX"
//     LIST <size> "movi"  { "00db" F <frame> } x N2  ix00 <standard index>
//   ...
//
// Both layouts put the main and stream headers at the same offsets, so the
// frame counts and the timing are patched at the same places.
#pragma once

#include <cstdint>
#include <vector>

#include "output/little_endian.h"

namespace kvx {

struct AviLayout {
    static constexpr uint32_t kPlainHeaderBytes = 232;  // everything up to the first frame chunk
    static constexpr uint64_t kRiffSizeOffset = 4;
    static constexpr uint64_t kMicroSecPerFrameOffset = 32;
    static constexpr uint64_t kTotalFramesOffset = 48;   // of the first RIFF
    static constexpr uint64_t kScaleOffset = 128;
    static constexpr uint64_t kLengthOffset = 140;       // of the whole stream
    static constexpr uint64_t kSuperIndexOffset = 220;   // OpenDML: the "indx" chunk
    static constexpr uint64_t kSuperIndexInUseOffset = kSuperIndexOffset + 12;
    static constexpr uint64_t kSuperIndexEntriesOffset = kSuperIndexOffset + 32;
    static constexpr uint32_t kChunkHeaderBytes = 8;
    static constexpr uint32_t kLegacyIndexEntryBytes = 16;   // idx1
    static constexpr uint32_t kStandardIndexEntryBytes = 8;  // ix00
    static constexpr uint32_t kStandardIndexHeaderBytes = 32;  // ix00 chunk header and fields
    static constexpr uint32_t kSuperIndexEntryBytes = 16;
    static constexpr uint32_t kPartHeaderBytes = 24;  // "RIFF" size "AVIX" "LIST" size "movi"
    static constexpr uint32_t kKeyFrame = 0x10;

    // 0 super index entries: the plain layout.
    explicit AviLayout(uint32_t superIndexEntries = 0) : superIndexEntries(superIndexEntries) {}

    bool openDml() const { return superIndexEntries != 0; }
    uint64_t hdrlSize() const;
    // Bytes up to the first frame chunk; the "movi" letters end there.
    uint64_t headerBytes() const { return 12 + 8 + hdrlSize() + 12; }
    uint64_t moviSizeOffset() const { return headerBytes() - 8; }
    uint64_t dmlhTotalOffset() const;

    uint32_t superIndexEntries;
};

// What the headers say when first written.
struct AviStreamFormat {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t frameBytes = 0;
    uint32_t rate = 0;  // frames per second
};

// Everything up to and including the "movi" letters, with every size and
// count 0.
void PutAviHeaders(LittleEndianBuffer& out, const AviLayout& layout, const AviStreamFormat& format);

// The frame chunks lie at `offsets` counted from their RIFF's "movi"
// letters, each of `frameBytes`.
void PutLegacyIndex(LittleEndianBuffer& out, const std::vector<uint32_t>& offsets, uint32_t frameBytes);
// `moviLetters`: the file offset of the "movi" letters of the chunks' RIFF.
void PutStandardIndex(LittleEndianBuffer& out, uint64_t moviLetters, const std::vector<uint32_t>& offsets,
                      uint32_t frameBytes);

}  // namespace kvx
