// Test helpers: a virtual camera set up for one test, and readers for what
// it logged and delivered.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/camera_table.h"
#include "sim/scene.h"
#include "unique_name.h"

namespace kvx::test {

// Serves exactly one virtual camera (fast frames unless asked otherwise)
// for the lifetime of the rig.
struct VirtualRig {
    explicit VirtualRig(int deviceNumber = 0, bool fastFrames = true) {
        sim::UnplugAll();
        sim::CameraOptions options;
        options.fastFrames = fastFrames;
        options.triggerBlock = UniqueName("KolvexTestTrigger");
        triggerBlock = options.triggerBlock;
        camera = sim::Plug(deviceNumber, options);
    }
    ~VirtualRig() { sim::UnplugAll(); }

    std::shared_ptr<sim::VirtualCamera> camera;
    std::string triggerBlock;
};

using Write = std::pair<int, int>;  // address, value

inline std::vector<Write> WritesOf(const std::vector<sim::LogEntry>& log, uint8_t code) {
    std::vector<Write> out;
    for (const auto& e : log)
        if (e.kind == sim::LogEntry::Kind::Command && e.code == code) out.push_back({e.address, static_cast<int>(e.value)});
    return out;
}

inline std::vector<Write> SensorWrites(const std::vector<sim::LogEntry>& log) { return WritesOf(log, 0x04); }
inline std::vector<Write> LogicWrites(const std::vector<sim::LogEntry>& log) { return WritesOf(log, 0x25); }

// The last value written to a register, -1 when never written.
inline int LastWrite(const std::vector<Write>& writes, int address) {
    int value = -1;
    for (const auto& w : writes)
        if (w.first == address) value = w.second;
    return value;
}

// The 8-bit value the camera delivers for a picture position at unity
// exposure and gain.
inline uint8_t Expected8(int x, int y, uint32_t counter = 0) {
    return static_cast<uint8_t>(sim::MosaicSample(x, y, counter) >> 4);
}

// Reads the frame counter back from an upright, unsubsampled 8-bit frame
// that starts at picture (0, 0).
inline uint32_t DecodeCounter(const uint8_t* frame, int width) {
    uint32_t value = 0;
    for (int bit = 0; bit < 32; ++bit) {
        int x = bit * sim::kCounterCellWidth + 8;
        value = value << 1 | (frame[static_cast<size_t>(520) * static_cast<size_t>(width) + static_cast<size_t>(x)] > 128 ? 1u : 0u);
    }
    return value;
}

template <typename Predicate>
bool WaitUntil(Predicate done, int timeoutMs = 5000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace kvx::test
