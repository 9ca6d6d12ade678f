#include "device_list.h"

#include "KolvexSdk.h"
#include "parameters.h"

namespace {

constexpr int kDeviceNumbers = 32;

// Empties the history: an absent device number or a refused claim is the
// answer here, not a failure to report.
void Forget(int handle) {
    while (Kolvex_GetLastError(handle) != 0) {
    }
}

bool ClaimedElsewhere(int handle) {
    // The smallest setup there is: quarter-size 8-bit frames. Neither is a
    // setting the camera keeps.
    const int color = Kolvex_GetColorMode(handle);
    const int subsample = Kolvex_GetSubSample(handle);
    Kolvex_SetColorMode(handle, 8);
    Kolvex_SetSubSample(handle, 1);
    bool busy = false;
    if (Kolvex_Capture(handle)) {
        Kolvex_StopPreview(handle);
    } else {
        for (int code; (code = Kolvex_GetLastError(handle)) != 0;) busy = busy || code == KOLVEX_ERR_DEVICE_NUMBER;
    }
    Kolvex_SetColorMode(handle, BitsOfDepthCode(color));
    Kolvex_SetSubSample(handle, subsample);
    Forget(handle);
    return busy;
}

}  // namespace

std::vector<DeviceEntry> SurveyDevices(int handle) {
    std::vector<DeviceEntry> found;
    char names[10][256];
    Kolvex_EnumDevice(handle, names);  // probes every device number
    for (int n = 0; n < kDeviceNumbers; ++n) {
        char name[32] = "";
        if (Kolvex_GetDeviceName(handle, n, name, sizeof name)) found.push_back({n, name, false});
    }
    Forget(handle);
    for (DeviceEntry& entry : found)
        entry.inUse = !Kolvex_SetDeviceNumber(handle, entry.device) || ClaimedElsewhere(handle);
    Forget(handle);
    return found;
}
