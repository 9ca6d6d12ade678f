// The camera's registers by name, as the firmware knows them. Three spaces:
// the sensor (16-bit addresses), the logic device (8-bit) and the control
// port (8-bit). Multi-byte values are stored least significant byte first.
#pragma once

#include <cstdint>

namespace kvx::sim::reg {

namespace sensor {
constexpr uint16_t kStartupMode = 0x0200;       // last start-up write before the pause
constexpr uint16_t kUpdateHold = 0x0208;        // 1: collect writes, 0: apply them together
constexpr uint16_t kTriggerMode = 0x020B;       // 1: one frame per trigger pulse
constexpr uint16_t kReadoutMode = 0x020D;       // 0x11: 2x2 subsampled, 0x00: full resolution
constexpr uint16_t kMirror = 0x020E;            // bit 1: columns not mirrored, bit 0: lines not mirrored
constexpr uint16_t kFrameLength = 0x0210;       // lines per frame, 3 bytes (20 bits)
constexpr uint16_t kLineLength = 0x0214;        // pixel clocks per line, 2 bytes (13 bits)
constexpr uint16_t kShutterOffset = 0x028D;     // lines before integration starts, 3 bytes (20 bits)
constexpr uint16_t kGainLow = 0x0404;
constexpr uint16_t kGainHigh = 0x0405;          // bit 0: gain bit 8
constexpr uint16_t kWindowEnable = 0x0500;      // 0x03: the window below applies
constexpr uint16_t kWindowX = 0x0510;           // from the far edge, 2 bytes (13 bits)
constexpr uint16_t kWindowY = 0x0512;           // from the far edge, 2 bytes (12 bits)
constexpr uint16_t kWindowWidth = 0x0514;       // 2 bytes (13 bits)
constexpr uint16_t kWindowHeight = 0x0516;      // 2 bytes (12 bits)

// Registers the start-up sequence must set before the sensor leaves
// standby, with the values it needs; the first and the last of the
// sequence, so that a sequence cut short leaves the sensor asleep.
struct StartupWrite {
    uint16_t address;
    uint8_t value;
};
constexpr StartupWrite kStartup[] = {{0x0205, 0x20}, {0x020C, 0x01}, {0x0216, 0x01}, {kStartupMode, 0x00},
                                     {0x020A, 0x00}, {0x02AA, 0x00}, {0x02AE, 0x00}};
}  // namespace sensor

namespace logic {
constexpr uint8_t kTransferSize = 0x00;   // pixels per frame, 4 bytes
constexpr uint8_t kIoPort = 0x07;
constexpr uint8_t kTrigger = 0x0B;        // bit 0: triggered frames
constexpr uint8_t kDepth = 0x0E;          // bit 0: two bytes per pixel
constexpr uint8_t kExposureTimer = 0x14;  // 50 MHz ticks, 4 bytes
}  // namespace logic

namespace control {
constexpr uint8_t kPower = 0x20;   // 1: sensor powered; a new 1 restarts it
constexpr uint8_t kUpdate = 0x60;
}  // namespace control

namespace rom {
constexpr uint16_t kIdArea = 0x1800;   // 256 bytes: the camera's identity
constexpr uint16_t kVariant = 0x1EB0;  // 1 or 2: which model variant this is
}  // namespace rom

// The logic's exposure timer counts at 50 MHz.
constexpr double kTimerHz = 50e6;

}  // namespace kvx::sim::reg
