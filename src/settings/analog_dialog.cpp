#include "settings/analog_dialog.h"

#include <cstdio>

#include "platform/atomic_word.h"

namespace kvx::settings {

namespace {

enum AnalogValue : int {
    kGain = 0,
    kColorG1 = 1,
    kExposure = 5,
    kMirrorV = 6,
    kMirrorH = 7,
    kAutoMode = 8,
};

struct AnalogGroup {
    SliderGroup slider;
    int blockIndex;
    bool enabled;
};

// The colour gains are shown but this sensor has none to set.
AnalogGroup Groups(const AnalogDevice& device, int index) {
    const int gainMin = device.DefaultGain(), gainMax = device.MaxGain();
    const int lineMin = device.MinExposureLines(), lineMax = device.MaxExposureLines();
    switch (index) {
        case 0: return {{1013, 1038, 1015, gainMin, gainMax, (gainMax - gainMin) / 8}, kGain, true};
        case 1: return {{1018, 1039, 1019, 0, 0, 0}, 1, false};
        case 2: return {{1020, 1040, 1021, 0, 0, 0}, 2, false};
        case 3: return {{1022, 1041, 1023, 0, 0, 0}, 3, false};
        case 4: return {{1024, 1042, 1025, 0, 0, 0}, 4, false};
        default: return {{1026, 1043, 1027, lineMin, lineMax, (lineMax - lineMin) / 8}, kExposure, true};
    }
}
constexpr int kGroupCount = 6;

}  // namespace

std::string ExposureTimeText(int lines, int32_t linePeriod, int32_t offset, double msPerClock) {
    const double ms = (static_cast<double>(lines) * linePeriod + offset) * msPerClock;
    char text[64];
    std::snprintf(text, sizeof(text), "=%.2fms", ms);
    return text;
}

// --- page -------------------------------------------------------------------

void AnalogPage::OnInit(DialogControls& controls) {
    initialised_ = false;
    ShowBlock(controls);
    controls.SetCheck(kMirrorVBox, platform::LoadRelaxed(&block_[kMirrorV]) != 0);
    controls.SetCheck(kMirrorHBox, platform::LoadRelaxed(&block_[kMirrorH]) != 0);
    const int mode = platform::LoadRelaxed(&block_[kAutoMode]);
    controls.SetCheck(kAutoExposureBox, mode == 1);
    controls.SetCheck(kAutoGainBox, mode == 2);
    ShowExposureTime(controls);
    initialised_ = true;
}

void AnalogPage::ShowBlock(DialogControls& controls) {
    for (int g = 0; g < kGroupCount; ++g) {
        const AnalogGroup group = Groups(device_, g);
        SetUpSliderGroup(controls, group.slider, platform::LoadRelaxed(&block_[group.blockIndex]), group.enabled);
    }
}

void AnalogPage::ReadEditBoxes(const DialogControls& controls) {
    for (int g = 0; g < kGroupCount; ++g) {
        const AnalogGroup group = Groups(device_, g);
        platform::StoreRelaxed(&block_[group.blockIndex], ReadSigned(controls, group.slider.edit));
    }
}

void AnalogPage::ShowExposureTime(DialogControls& controls) {
    int32_t period = 0, offset = 0;
    double msPerClock = 0.0;
    device_.ExposureTiming(&period, &offset, &msPerClock);
    controls.SetText(kExposureTimeText, ExposureTimeText(platform::LoadRelaxed(&block_[kExposure]), period, offset, msPerClock));
}

void AnalogPage::OnCommand(DialogControls& controls, int id, int notification) {
    switch (id) {
        case kMirrorVBox: {
            const bool on = controls.Checked(id);
            device_.SetMirrorV(on ? 1 : 0);
            platform::StoreRelaxed(&block_[kMirrorV], on ? 1 : 0);
            return;
        }
        case kMirrorHBox: {
            const bool on = controls.Checked(id);
            device_.SetMirrorH(on ? 1 : 0);
            platform::StoreRelaxed(&block_[kMirrorH], on ? 1 : 0);
            return;
        }
        case kAutoGainBox:
            if (controls.Checked(id)) {
                controls.SetCheck(kAutoExposureBox, false);
                platform::StoreRelaxed(&block_[kAutoMode], 2);
            } else {
                platform::StoreRelaxed(&block_[kAutoMode], 0);
            }
            return;
        case kAutoExposureBox:
            if (controls.Checked(id)) {
                controls.SetCheck(kAutoGainBox, false);
                platform::StoreRelaxed(&block_[kAutoMode], 1);
            } else {
                platform::StoreRelaxed(&block_[kAutoMode], 0);
            }
            return;
        default:
            break;
    }
    if (notification != platform::kEditChanged || !initialised_) return;
    for (int g = 0; g < kGroupCount; ++g) {
        const AnalogGroup group = Groups(device_, g);
        if (group.slider.edit != id) continue;
        const int value = ReadSigned(controls, id);
        platform::StoreRelaxed(&block_[group.blockIndex], value);
        controls.SetTrackbarPosition(group.slider.trackbar, value);
        if (id == kGlobalGainEdit) device_.SetGain(value);
        if (id == kExposureEdit) {
            device_.SetExposureLines(value);
            ShowExposureTime(controls);
        }
        return;
    }
}

void AnalogPage::OnScroll(DialogControls& controls, int trackbarId) {
    for (int g = 0; g < kGroupCount; ++g) {
        const AnalogGroup group = Groups(device_, g);
        if (group.slider.trackbar == trackbarId)
            ShowSigned(controls, group.slider.edit, controls.TrackbarPosition(trackbarId));
    }
}

void AnalogPage::OnPosted(DialogControls& controls, int code, int value) {
    if (code == AnalogDialog::kShowGain) ShowSigned(controls, kGlobalGainEdit, value);
    if (code == AnalogDialog::kShowExposure) ShowSigned(controls, kExposureEdit, value);
}

// --- frame ------------------------------------------------------------------

int AnalogDialog::TemplateId() const { return japanese_ ? kAnalogFrameJapanese : kAnalogFrameEnglish; }

void AnalogDialog::OnInit(DialogControls& controls) {
    controls.InsertTab(kTabControl, 0, "Analog Gain");
    pageControls_ =
        controls.CreatePage(kTabControl, japanese_ ? kAnalogPageJapanese : kAnalogPageEnglish, page_, true);
    if (pageControls_) pageWindow_ = pageControls_->window();
}

void AnalogDialog::OnCommand(DialogControls& controls, int id, int /*notification*/) {
    switch (id) {
        case kOk:
            if (pageControls_) page_.ReadEditBoxes(*pageControls_);
            pageWindow_ = nullptr;
            controls.End(kOk);
            return;
        case kCancel:
            pageWindow_ = nullptr;
            controls.End(kCancel);
            return;
        case kDefault:
            platform::StoreRelaxed(&block_[kGain], device_.DefaultGain());
            for (int i = kColorG1; i < kExposure; ++i) platform::StoreRelaxed(&block_[i], 0);
            platform::StoreRelaxed(&block_[kExposure], device_.DefaultExposureLines());
            device_.SetGain(block_[kGain]);
            device_.SetExposureLines(block_[kExposure]);
            if (pageControls_) page_.ShowBlock(*pageControls_);
            return;
        default:
            return;
    }
}

void AnalogDialog::OnTabChanged(DialogControls& /*controls*/, int /*tabId*/, int selected) {
    if (selected == 0 && pageControls_) pageControls_->Show(true);
}

void AnalogDialog::ShowGain(int gain) { platform::PostToDialog(pageWindow_.load(), kShowGain, gain); }

void AnalogDialog::ShowExposure(int lines) { platform::PostToDialog(pageWindow_.load(), kShowExposure, lines); }

}  // namespace kvx::settings
