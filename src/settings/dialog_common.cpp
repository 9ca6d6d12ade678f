#include "settings/dialog_common.h"

#include <atomic>
#include <cstdlib>

#include "platform/system_info.h"

namespace kvx::settings {

namespace {
constexpr uint16_t kJapanese = 0x411;
std::atomic<uint16_t> forcedLanguage{0};
std::atomic<DialogRunner> testRunner{nullptr};
}  // namespace

bool DialogsInJapanese() {
    const uint16_t forced = forcedLanguage.load();
    return (forced ? forced : platform::SystemLanguageId()) == kJapanese;
}

void ForceDialogLanguageForTesting(uint16_t languageId) { forcedLanguage = languageId; }

void SetUpSliderGroup(DialogControls& controls, const SliderGroup& group, int value, bool enabled) {
    controls.SetUpTrackbar(group.trackbar, group.minimum, group.maximum, value, group.tickFrequency);
    controls.SetUpUpDown(group.upDown, group.minimum, group.maximum, value, group.edit);
    ShowSigned(controls, group.edit, value);
    for (int id : {group.trackbar, group.upDown, group.edit}) controls.Enable(id, enabled);
}

int ReadSigned(const DialogControls& controls, int id) {
    const std::string text = controls.Text(id);
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

uint32_t ReadUnsigned(const DialogControls& controls, int id) {
    const std::string text = controls.Text(id);
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

void ShowSigned(DialogControls& controls, int id, int value) { controls.SetText(id, std::to_string(value)); }

int RunDialog(platform::WindowHandle owner, int templateId, DialogHandler& handler) {
    if (DialogRunner runner = testRunner.load()) return runner(owner, templateId, handler);
    return platform::RunModalDialog(kDialogModule, owner, templateId, handler);
}

void SetDialogRunnerForTesting(DialogRunner runner) { testRunner = runner; }

}  // namespace kvx::settings
