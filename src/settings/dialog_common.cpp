#include "settings/dialog_common.h"

#include <atomic>
#include <cstdlib>

#include "platform/atomic_word.h"
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

int32_t BlockSliderPage::Word(int index) const { return platform::LoadRelaxed(&block_[index]); }

void BlockSliderPage::SetWord(int index, int32_t value) { platform::StoreRelaxed(&block_[index], value); }

void BlockSliderPage::SetUpSliders(DialogControls& controls) {
    for (int k = 0; k < SliderCount(); ++k) {
        const BlockSlider s = Slider(k);
        SetUpSliderGroup(controls, s.slider, Word(s.blockIndex), s.enabled);
    }
}

void BlockSliderPage::ShowSliders(DialogControls& controls) {
    for (int k = 0; k < SliderCount(); ++k) {
        const BlockSlider s = Slider(k);
        controls.SetTrackbarPosition(s.slider.trackbar, Word(s.blockIndex));
        ShowSigned(controls, s.slider.edit, Word(s.blockIndex));
    }
}

void BlockSliderPage::ReadSliders(const DialogControls& controls) {
    for (int k = 0; k < SliderCount(); ++k) {
        const BlockSlider s = Slider(k);
        SetWord(s.blockIndex, ReadSigned(controls, s.slider.edit));
    }
}

int BlockSliderPage::EditChanged(DialogControls& controls, int id, int notification) {
    if (notification != platform::kEditChanged || !initialised_) return -1;
    for (int k = 0; k < SliderCount(); ++k) {
        const BlockSlider s = Slider(k);
        if (s.slider.edit != id) continue;
        const int value = ReadSigned(controls, id);
        SetWord(s.blockIndex, value);
        controls.SetTrackbarPosition(s.slider.trackbar, value);
        return k;
    }
    return -1;
}

void BlockSliderPage::TrackbarMoved(DialogControls& controls, int trackbarId, bool store) {
    for (int k = 0; k < SliderCount(); ++k) {
        const BlockSlider s = Slider(k);
        if (s.slider.trackbar != trackbarId) continue;
        const int position = controls.TrackbarPosition(trackbarId);
        ShowSigned(controls, s.slider.edit, position);
        if (store) SetWord(s.blockIndex, position);
    }
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
