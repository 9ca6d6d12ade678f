// A camera object created through the C interface inside a sandbox of its
// own: settings store, shared device table and virtual cameras.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "KolvexSdk.h"
#include "api/sdk_chain.h"
#include "camera/kolvex.h"
#include "camera_sandbox.h"
#include "notification_window.h"
#include "platform/settings_store.h"
#include "settings/registry_layout.h"

namespace kvx::test {

class CameraTest : public ::testing::Test {
protected:
    explicit CameraTest(std::vector<int> devices = {0}) : sandbox_(devices) {}
    ~CameraTest() override {
        if (handle_) Kolvex_Release(handle_);
    }

    int Open() {
        handle_ = Kolvex_Initialize(window_.handle());
        return handle_;
    }
    std::shared_ptr<CKolvex> Object() const { return SdkChain().Lookup(handle_); }

    uint32_t Stored(const std::string& path, const char* name) const {
        auto key = platform::SettingsKey::Open(path, platform::SettingsKey::Access::Read);
        uint32_t value = 0xBAD0BAD0u;
        if (key) key->ReadDword(name, &value);
        return value;
    }
    void Store(const std::string& path, const char* name, uint32_t value) {
        auto key = platform::SettingsKey::Open(path, platform::SettingsKey::Access::Write);
        ASSERT_NE(key, nullptr);
        ASSERT_TRUE(key->WriteDword(name, value));
    }

    CameraSandbox sandbox_;
    NotificationWindow window_;
    int handle_ = 0;
};

}  // namespace kvx::test
