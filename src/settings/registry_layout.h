// Where the camera's settings live in the per-user settings store.
#pragma once

#include <string>

namespace kvx::settings {

// "Software\Benmor\Kolvex410QFXZQPSdk"
extern const char kRootKey[];

// The key of one camera: root\Camera_NN for device number NN.
std::string CameraKeyPath(int device);

// "Size_NN", a readout size entry below a camera key (or, for the presets
// that something else may have created, below the root).
std::string SizeKeyName(int index);

constexpr int kMaxSizeEntries = 100;

// False when the store holding these keys cannot be read because it is far
// larger than any store of this library: every setting then takes its
// default and nothing is saved over it.
bool SettingsStoreReadable();

}  // namespace kvx::settings
