// The cameras present, by device number, with the names `info` uses and
// whether another program holds them.
#pragma once

#include <string>
#include <vector>

struct DeviceEntry {
    int device;
    std::string name;  // "Kolvex410QFX-ZQP_NN", NN = device + 1, as Kolvex_GetDeviceName gives it
    bool inUse;        // another camera object (in any program) streams, captures or records from it
};

// Every device number where a camera answers. The library has no question
// for "in use": each camera is asked to start an on-demand capture, which
// claims the device in the shared device table, and stopped again at once.
// The camera object is left on one of the listed devices.
std::vector<DeviceEntry> SurveyDevices(int handle);
