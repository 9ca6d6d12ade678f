#include "settings/analog_dialog.h"

#include <cstdio>

#include "platform/atomic_word.h"

namespace kvx::settings {

namespace {

// The colour gains are shown but this sensor has none to set.
BlockSlider Groups(const AnalogDevice& device, int index) {
    const int gainMin = device.DefaultGain(), gainMax = device.MaxGain(), gainTicks = (gainMax - gainMin) / 8;
    const int lineMin = device.MinExposureLines(), lineMax = device.MaxExposureLines();
    const int lineTicks = (lineMax - lineMin) / 8;
    switch (index) {
        case 0: return {{1013, 1038, AnalogPage::kGlobalGainEdit, gainMin, gainMax, gainTicks}, kGlobalGain, true};
        case 1: return {{1018, 1039, 1019, 0, 0, 0}, 1, false};
        case 2: return {{1020, 1040, 1021, 0, 0, 0}, 2, false};
        case 3: return {{1022, 1041, 1023, 0, 0, 0}, 3, false};
        case 4: return {{1024, 1042, 1025, 0, 0, 0}, 4, false};
        default: return {{1026, 1043, AnalogPage::kExposureEdit, lineMin, lineMax, lineTicks}, kExposureLines, true};
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

int AnalogPage::SliderCount() const { return kGroupCount; }

BlockSlider AnalogPage::Slider(int k) const { return Groups(device_, k); }

void AnalogPage::OnInit(DialogControls& controls) {
    initialised_ = false;
    ShowBlock(controls);
    controls.SetCheck(kMirrorVBox, Word(kMirrorV) != 0);
    controls.SetCheck(kMirrorHBox, Word(kMirrorH) != 0);
    const int mode = Word(kAutoIris);
    controls.SetCheck(kAutoExposureBox, mode == 1);
    controls.SetCheck(kAutoGainBox, mode == 2);
    ShowExposureTime(controls);
    initialised_ = true;
}

void AnalogPage::ShowExposureTime(DialogControls& controls) {
    int32_t period = 0, offset = 0;
    double msPerClock = 0.0;
    device_.ExposureTiming(&period, &offset, &msPerClock);
    controls.SetText(kExposureTimeText, ExposureTimeText(Word(kExposureLines), period, offset, msPerClock));
}

void AnalogPage::OnCommand(DialogControls& controls, int id, int notification) {
    switch (id) {
        case kMirrorVBox: {
            const bool on = controls.Checked(id);
            device_.SetMirrorV(on ? 1 : 0);
            SetWord(kMirrorV, on ? 1 : 0);
            return;
        }
        case kMirrorHBox: {
            const bool on = controls.Checked(id);
            device_.SetMirrorH(on ? 1 : 0);
            SetWord(kMirrorH, on ? 1 : 0);
            return;
        }
        case kAutoGainBox:
            if (controls.Checked(id)) controls.SetCheck(kAutoExposureBox, false);
            SetWord(kAutoIris, controls.Checked(id) ? 2 : 0);
            return;
        case kAutoExposureBox:
            if (controls.Checked(id)) controls.SetCheck(kAutoGainBox, false);
            SetWord(kAutoIris, controls.Checked(id) ? 1 : 0);
            return;
        default:
            break;
    }
    const int group = EditChanged(controls, id, notification);
    if (group < 0) return;
    const int value = Word(Slider(group).blockIndex);
    if (id == kGlobalGainEdit) device_.SetGain(value);
    if (id == kExposureEdit) {
        device_.SetExposureLines(value);
        ShowExposureTime(controls);
    }
}

// The edit box follows the trackbar; its change notification stores the value
// and programs the sensor.
void AnalogPage::OnScroll(DialogControls& controls, int trackbarId) { TrackbarMoved(controls, trackbarId, false); }

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
            platform::StoreRelaxed(&block_[kGlobalGain], device_.DefaultGain());
            for (int i = kColorGainGreen1; i < kExposureLines; ++i) platform::StoreRelaxed(&block_[i], 0);
            platform::StoreRelaxed(&block_[kExposureLines], device_.DefaultExposureLines());
            device_.SetGain(platform::LoadRelaxed(&block_[kGlobalGain]));
            device_.SetExposureLines(platform::LoadRelaxed(&block_[kExposureLines]));
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
