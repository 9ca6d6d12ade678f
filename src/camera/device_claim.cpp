// Owning a device while driving it. Whoever streams, captures or triggers
// holds the device's entry in the shared table, taken with one atomic
// test-and-claim; while another camera object (here or in another process)
// holds it, no command of this object reaches the device, so opening,
// selecting or setting parameters never reprograms someone else's stream.
#include "camera/kolvex.h"
#include "device/kolvex_410qfx_zqp_sdk.h"
#include "platform/system_info.h"

namespace kvx {

namespace {
constexpr uint16_t kVariantRomAddress = 0x1EB0;
}  // namespace

bool CKolvex::ClaimForUse(int n) {
    if (claimedDevice_.load() == n) return true;
    if (claimedDevice_.load() >= 0) ReleaseClaim();
    if (!sharedTable_.TryClaimDevice(n, applicationWindow_, platform::ProgramModuleId())) return false;
    claimedDevice_ = n;
    return true;
}

void CKolvex::ReleaseClaim() {
    const int n = claimedDevice_.exchange(-1);
    if (n >= 0) sharedTable_.ReleaseDevice(n, applicationWindow_, platform::ProgramModuleId());
}

bool CKolvex::MayDrive(int n) const { return claimedDevice_.load() == n || !sharedTable_.IsDeviceBusy(n); }

bool CKolvex::ProgramClaimedDevice() {
    switch (device_->ProgramIfNeeded()) {
        case CKolvex410QFXZQPSdk::Programming::NotNeeded:
            return true;
        case CKolvex410QFXZQPSdk::Programming::Failed:
            return false;
        case CKolvex410QFXZQPSdk::Programming::Done:
            break;
    }
    // What selecting the device could not do while it was withheld.
    ReadVariant();
    return true;
}

void CKolvex::ReadVariant() {
    uint8_t variant = 0;
    if (device_->ReadSromByteAt(kVariantRomAddress, &variant) == 1) {
        if (variant == 1) device_->SetVariant(0);
        if (variant == 2) device_->SetVariant(1);
    }
}

}  // namespace kvx
