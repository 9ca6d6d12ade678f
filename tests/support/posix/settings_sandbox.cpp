#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/settings_file.h"
#include "settings_sandbox.h"
#include "unique_name.h"

namespace kvx::test {

SettingsSandbox::SettingsSandbox() {
    const char* tmp = std::getenv("TMPDIR");
    location_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + UniqueName("kolvex-settings") + ".reg";
    platform::posix::SetSettingsFile(location_);
}

SettingsSandbox::~SettingsSandbox() {
    platform::posix::SetSettingsFile("");
    std::remove(location_.c_str());
    std::remove((location_ + ".lock").c_str());
}

}  // namespace kvx::test
