#include "imaging/color/hue_tables.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace kvx {
namespace {

constexpr int kSaturationMin = -255;
constexpr int kSaturationMax = 255;
constexpr int kSaturationValues = kSaturationMax - kSaturationMin + 1;

struct SaturationEntry {
    uint16_t table[256];
};

// One slot per saturation value. A slot is filled once and never changes
// afterwards; a racing builder that loses drops its copy.
std::atomic<const SaturationEntry*>& Slot(int saturation) {
    static std::array<std::atomic<const SaturationEntry*>, kSaturationValues> slots{};
    return slots[saturation - kSaturationMin];
}

}  // namespace

const int32_t* ReciprocalTable() {
    static const std::array<int32_t, 256> table = [] {
        std::array<int32_t, 256> t{};
        for (int k = 1; k < 256; ++k) t[k] = 0xFF0000 / k;
        return t;
    }();
    return table.data();
}

const int16_t* ChromaLimitTable() {
    static const std::array<int16_t, 512> table = [] {
        std::array<int16_t, 512> t{};
        for (int k = 0; k < 512; ++k) t[k] = static_cast<int16_t>(k < 256 ? k : 511 - k);
        return t;
    }();
    return table.data();
}

int ClampSaturation(int saturation) { return std::clamp(saturation, kSaturationMin, kSaturationMax); }

int SaturationScale(int saturation) { return (ClampSaturation(saturation) + 256) << 8; }

const uint16_t* SaturationTable(int saturation) {
    saturation = ClampSaturation(saturation);
    std::atomic<const SaturationEntry*>& slot = Slot(saturation);
    const SaturationEntry* entry = slot.load(std::memory_order_acquire);
    if (entry != nullptr) return entry->table;
    auto* built = new SaturationEntry{};
    const int64_t scale = SaturationScale(saturation);
    for (int k = 0; k < 256; ++k) built->table[k] = static_cast<uint16_t>((k * scale + 0x8000) >> 16);
    const SaturationEntry* expected = nullptr;
    if (slot.compare_exchange_strong(expected, built, std::memory_order_acq_rel, std::memory_order_acquire))
        return built->table;
    delete built;
    return expected->table;
}

HueRotation HueRotationFor(int hueDegrees) {
    int64_t h = static_cast<int64_t>(hueDegrees) * 65536 / 360;
    h %= 65536;
    if (h < 0) h += 65536;
    const int p = static_cast<int>((h * 6) >> 8);  // 0..1535
    int a = p % 512;
    if (a >= 256) a -= 512;
    const int b = ((p + 256) >> 9) % 3;
    int rot = b * 510 + a;
    if (rot < 0) rot += 1530;
    else if (rot >= 1530) rot -= 1530;
    return HueRotation{rot / 255, rot % 255};
}

}  // namespace kvx
