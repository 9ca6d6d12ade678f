// Which device numbers the virtual driver serves, and with which cameras.
//
// Configuration comes from KOLVEX_SIMULATOR the first time anything asks:
//
//   KOLVEX_SIMULATOR=0,2              virtual cameras at device numbers 0 and 2
//   KOLVEX_SIMULATOR=0:fps=max        device 0, frames as fast as they are read
//   KOLVEX_SIMULATOR=1:variant=2:counter=0
//   KOLVEX_SIMULATOR=none             no virtual camera at all
//
// Unset, POSIX builds serve one camera at device 0 (they have no other
// transport) and Windows builds serve none, leaving every path to the real
// driver. Tests replace the configuration through Plug and Unplug.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/virtual_camera.h"

namespace kvx::sim {

using CameraList = std::vector<std::pair<int, CameraOptions>>;

// Parses the KOLVEX_SIMULATOR syntax above. False (and *out untouched) on
// anything it does not understand.
bool ParseSimulatorSetting(const std::string& text, CameraList* out);

// Serves a new camera at `deviceNumber`, replacing any there; handles open
// on a replaced camera keep talking to it, as they would to a camera that was
// swapped on the cable.
std::shared_ptr<VirtualCamera> Plug(int deviceNumber, const CameraOptions& options = {});
void Unplug(int deviceNumber);
void UnplugAll();
// The camera served at `deviceNumber`, or null.
std::shared_ptr<VirtualCamera> FindCamera(int deviceNumber);

// The camera a device path names, or null when no virtual camera serves it.
std::shared_ptr<VirtualCamera> CameraForPath(const char* path);

}  // namespace kvx::sim
