#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/settings_file.h"
#include "settings_sandbox.h"
#include "unique_name.h"

namespace kvx::test {

namespace {
std::string FreshFile() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/" + UniqueName("kolvex-settings") + ".reg";
}
}  // namespace

SettingsSandbox::SettingsSandbox() : location_(FreshFile()) { Enter(); }

SettingsSandbox::SettingsSandbox(const std::string& sharedLocation) : location_(sharedLocation), owned_(false) {
    Enter();
}

void SettingsSandbox::Enter() { platform::posix::SetSettingsFile(location_); }

SettingsSandbox::~SettingsSandbox() {
    platform::posix::SetSettingsFile("");
    if (!owned_) return;
    std::remove(location_.c_str());
    std::remove((location_ + ".lock").c_str());
}

}  // namespace kvx::test
