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

private:
    SettingsSandbox settings_;
    std::string tableName_;
};

}  // namespace kvx::test
