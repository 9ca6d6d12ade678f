// Everything a test needs to run whole camera objects beside other tests on
// the same machine: a settings store and a shared device table of its own,
// and the virtual cameras it plugs in (unplugged again at the end).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings_sandbox.h"
#include "sim/virtual_camera.h"

namespace kvx::test {

class CameraSandbox {
public:
    // Plugs fast virtual cameras at `devices` (nothing else is served).
    explicit CameraSandbox(const std::vector<int>& devices = {0});
    ~CameraSandbox();
    CameraSandbox(const CameraSandbox&) = delete;
    CameraSandbox& operator=(const CameraSandbox&) = delete;

    std::shared_ptr<sim::VirtualCamera> Camera(int device) const;
    const std::string& tableName() const { return tableName_; }
    // The shared wires (trigger, power) of the sandbox's cameras: cameras at
    // one device number in other processes on these wires are the same camera.
    const std::string& wireName() const { return wireName_; }

private:
    SettingsSandbox settings_;
    std::string tableName_;
    std::string wireName_;
};

}  // namespace kvx::test
