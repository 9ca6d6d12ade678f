// Where the POSIX settings store keeps its file.
#pragma once

#include <string>

namespace kvx::platform::posix {

// $KOLVEX_SETTINGS_FILE when set, else $XDG_CONFIG_HOME/kolvex-sdk/settings.reg,
// else ~/.config/kolvex-sdk/settings.reg; or what SetSettingsFile chose.
std::string SettingsFile();

// Redirects the store of this process (tests); an empty path restores the
// default.
void SetSettingsFile(const std::string& path);

}  // namespace kvx::platform::posix
