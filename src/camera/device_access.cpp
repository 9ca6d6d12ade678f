// Raw access for applications that know the hardware: sensor registers, the
// serial ROM's ID area and the IO port.
#include <cstdint>

#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"

namespace kvx {

namespace {

// Sensor registers have 16-bit addresses; the narrow exports pass 8.
constexpr int kNarrowAddressMask = 0xFF;
constexpr int kSensorAddressLimit = 0xFFFF;
// The serial ROM is addressed 0x1800 + offset with 16 address bits.
constexpr int kRomIdBase = 0x1800;
constexpr int kRomAddressLimit = 0xFFFF;

bool SensorAddress(int address) { return address >= 0 && address <= kSensorAddressLimit; }
bool RomOffset(int offset) { return offset >= 0 && offset <= kRomAddressLimit - kRomIdBase; }

}  // namespace

// --- sensor registers -------------------------------------------------------------

// Register access is serialised with device selection (controlLock_), so
// no command goes out while the device path is being switched.

int CKolvex::ReadSensorAt(int address, int* ok) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (ok) *ok = 0;
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    // The command carries 16 address bits: a wider address would read
    // whichever register its low bits name.
    if (!SensorAddress(address)) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    uint8_t value = 0;
    if (device_->ReadSensorRegister(address, &value) != 1) return RecordError(KOLVEX_ERR_DEVICE_IO), 0;
    if (ok) *ok = 1;
    return value;
}

int CKolvex::WriteSensorAt(int address, int value) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return RecordError(KOLVEX_ERR_NO_DEVICE), 0;
    if (!SensorAddress(address)) return RecordError(KOLVEX_ERR_ARGUMENT), 0;
    if (device_->WriteSensorRegister(address, value) != 1) return RecordError(KOLVEX_ERR_DEVICE_IO), 0;
    return 1;
}

int CKolvex::ReadRegister(int address, int* ok) { return ReadSensorAt(address & kNarrowAddressMask, ok); }
int CKolvex::ReadRegisterEx(int address, int* ok) { return ReadSensorAt(address, ok); }
int CKolvex::WriteRegister(int address, int value) { return WriteSensorAt(address & kNarrowAddressMask, value); }
int CKolvex::WriteRegisterEx(int address, int value) { return WriteSensorAt(address, value); }

// --- serial ROM ---------------------------------------------------------------------
// Failures here are announced without being recorded, as the interface
// always has.

int CKolvex::ReadSromID(int offset, int* ok) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (ok) *ok = 0;
    uint8_t value = 0;
    // An offset past the ROM's 16-bit address space would otherwise wrap
    // round to another byte (or overflow the address sum).
    if (!device_ || !RomOffset(offset) || device_->ReadSromByte(offset, &value) != 1)
        return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    if (ok) *ok = 1;
    return value;
}

int CKolvex::WriteSromID(int offset, int value) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    // The device refuses offsets beyond the one-byte ID area itself, since
    // its write command would cut them to their low byte.
    if (!device_ || device_->WriteSromByte(offset, value) != 1) return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    return 1;
}

// --- IO port ----------------------------------------------------------------------------

int CKolvex::GetIOPort(unsigned char* value) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    if (!value) return PostError(KOLVEX_ERR_ARGUMENT), 0;
    uint8_t port = 0;
    // The port is read as it stands; a failed read yields 0.
    device_->ReadLogicRegister(CKolvex410QFXZQPSdk::kIoPortRegister, &port);
    *value = port;
    return 1;
}

int CKolvex::SetIOPort(int value) {
    std::lock_guard<platform::FairRecursiveMutex> control(controlLock_);
    if (!device_) return PostError(KOLVEX_ERR_NO_DEVICE), 0;
    return device_->WriteLogicRegister(CKolvex410QFXZQPSdk::kIoPortRegister, value);
}

}  // namespace kvx
