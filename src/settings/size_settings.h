// The readout sizes and the stream format stored in a camera key.
#pragma once

#include <array>
#include <cstdint>

#include "settings/registry_layout.h"

namespace kvx::settings {

// One "Size_NN" entry: TH, TV, EH, EV, EHS, EVS, Buf, in that order.
using SizeEntry = std::array<int32_t, 7>;
constexpr SizeEntry kDefaultSize = {2048, 1536, 2048, 1536, 0, 0, 4};

// "Color", "SubSample", "WaitTime", "Clock" of a camera key.
struct FormatValues {
    int32_t colorMode;
    int32_t subSample;
    int32_t waitTime;
    int32_t clock;
};
constexpr FormatValues kFirstUseFormat = {2, 0, 1, 2};

// Reads the current size entry (the one "Size" names) of `device` into
// *size and returns 1. On first use (no root key) writes the default tree
// and returns 0, leaving *size alone; also 0, changing nothing, when the
// index or its entry is missing or the index is outside the list.
int LoadCurrentSize(int device, SizeEntry* size);

// Reads the four format values; a missing value leaves its field alone, and
// one the setters would refuse (or a pause above ten seconds) reads as the
// value a first use writes.
int LoadFormat(int device, FormatValues* format);

// The whole list, as the camera settings dialog edits it.
struct SizeList {
    std::array<SizeEntry, kMaxSizeEntries> entries{};
    int32_t count = 0;
    int32_t current = 0;
    FormatValues format{};
};

// Reads Size_00, Size_01, ... up to the first gap, then the current index
// and the format values.
int LoadSizeList(int device, SizeList* list);
// Writes entries 0 .. count-1, then "Size" and the format values. Entries
// stored beyond count are left as they are.
int SaveSizeList(int device, const SizeList& list);

// Looks for the first "Size_NN" directly below the root whose EH and EV
// equal width and height.
enum class PresetSearch { Found, NoMatch, NoRootKey };
PresetSearch FindRootSizePreset(int32_t width, int32_t height, SizeEntry* preset);

}  // namespace kvx::settings
