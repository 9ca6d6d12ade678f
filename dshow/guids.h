// The identities the filter answers to: one filter class per device number
// (the number is the CLSID's last byte, so a moniker or a saved graph names
// its camera without any stored state), the settings page, a private
// interface through which the page reaches the filter's camera, and the
// FourCC subtypes of the gray formats.
#pragma once

#include <windows.h>

namespace kvx::dshow {

constexpr int kMaxDevices = 32;

// The filter class of one device number, 0 to kMaxDevices - 1.
CLSID FilterClassId(int device);
// The device number a filter class names; false for any other class.
bool DeviceOfClassId(REFCLSID clsid, int* device);

extern const CLSID kSettingsPageClassId;
extern const IID kCameraAccessId;

// 8-bit gray ('Y800') and 16-bit little-endian gray ('Y16 '), top row
// first as every FourCC format.
extern const GUID kSubtypeY800;
extern const GUID kSubtypeY16;

}  // namespace kvx::dshow
