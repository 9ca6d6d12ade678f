// Gives the running test a settings store of its own for as long as the
// sandbox lives: a fresh file on POSIX, a fresh key standing in for
// HKEY_CURRENT_USER on Windows. The product's fixed key paths can then be
// used freely by tests that run at the same time.
#pragma once

#include <string>

namespace kvx::test {

class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

private:
    std::string location_;
};

}  // namespace kvx::test
