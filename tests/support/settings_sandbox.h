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
    // Joins the store of another process's sandbox (its `location()`) and
    // leaves it in place at the end, for its owner to remove.
    explicit SettingsSandbox(const std::string& sharedLocation);
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    // The key path below the real HKEY_CURRENT_USER, or the file.
    const std::string& location() const { return location_; }

private:
    void Enter();

    std::string location_;
    bool owned_ = true;
};

}  // namespace kvx::test
