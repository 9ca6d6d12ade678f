#include "settings/image_dialog.h"

#include "platform/atomic_word.h"
#include "pixels/color_mode.h"
#include "pixels/filter_index.h"

namespace kvx::settings {

namespace {

constexpr int kWhiteBalanceFlag = 15;
constexpr int kGrayTabFlag = 9;

// Slider k of the filter page edits block word k under enable flag k.
constexpr SliderGroup kFilterSliders[9] = {
    {2001, 2004, 2002, -255, 255, 64}, {2011, 2014, 2012, -127, 127, 32}, {2021, 2024, 2022, -360, 360, 90},
    {2031, 2034, 2032, -255, 255, 64}, {2041, 2044, 2042, 0, 30, 4},      {2051, 2054, 2052, 0, 400, 32},
    {2061, 2063, 2062, 0, 400, 32},    {2071, 2073, 2072, 0, 400, 32},    {2081, 2084, 2082, 0, 200, 32},
};

// Gains then offsets, block words 12 to 19.
SliderGroup GraySlider(int k) { return {2100 + 3 * k, 2102 + 3 * k, 2101 + 3 * k, 0, 400, 32}; }
constexpr int kGraySliders = 8;

void CheckBayerMode(DialogControls& controls, int mode) {
    for (int m = 0; m < 4; ++m) controls.SetCheck(kBayerModeRadio0 + m, false);
    if (mode >= 0 && mode < 4) controls.SetCheck(kBayerModeRadio0 + mode, true);
}

bool IsRadio(int id, int first, int count) { return id >= first && id < first + count; }

}  // namespace

ImageDialogFlags ImageDialogFlagsFor(int colorMode) {
    ImageDialogFlags flags{};
    if (colorMode == kColorMode8 || colorMode == kColorMode16) {
        for (int f : {0, 1, 4, 8, kGrayTabFlag}) flags[static_cast<size_t>(f)] = 1;
    } else if (IsColorMode(colorMode)) {
        for (int f = 0; f <= 8; ++f) flags[static_cast<size_t>(f)] = 1;
        flags[kWhiteBalanceFlag] = 1;
    }
    return flags;
}

// --- filter page --------------------------------------------------------------

int FilterPage::SliderCount() const { return 9; }

BlockSlider FilterPage::Slider(int k) const { return {kFilterSliders[k], k, flags_[static_cast<size_t>(k)] != 0}; }

void FilterPage::OnInit(DialogControls& controls) {
    initialised_ = false;
    SetUpSliders(controls);
    const bool whiteBalance = flags_[kWhiteBalanceFlag] != 0;
    for (int id : {static_cast<int>(kOnceButton), static_cast<int>(kAllFramesBox), 1030, 1031, 1032, 1033})
        controls.Enable(id, whiteBalance);
    CheckBayerMode(controls, Word(kBayerMode));
    initialised_ = true;
}

void FilterPage::ShowBlock(DialogControls& controls) {
    ShowSliders(controls);
    CheckBayerMode(controls, Word(kBayerMode));
}

void FilterPage::ReadEditBoxes(const DialogControls& controls) {
    ReadSliders(controls);
    for (int m = 0; m < 4; ++m) {
        if (controls.Checked(kBayerModeRadio0 + m)) {
            SetWord(kBayerMode, m);
            break;
        }
    }
}

void FilterPage::OnCommand(DialogControls& controls, int id, int notification) {
    if (IsRadio(id, kBayerModeRadio0, 4)) {
        SetWord(kBayerMode, id - kBayerModeRadio0);
        return;
    }
    if (id == kAllFramesBox) {
        SetWord(kAutoWhiteBalance, controls.Checked(id) ? 1 : 0);
        SetWord(kWhiteBalanceOnce1, 0);
        SetWord(kWhiteBalanceOnce2, 0);
        return;
    }
    if (id == kOnceButton) {
        for (int w : {kAutoWhiteBalance, kWhiteBalanceOnce1, kWhiteBalanceOnce2}) SetWord(w, 1);
        controls.SetCheck(kAllFramesBox, false);
        return;
    }
    EditChanged(controls, id, notification);
}

void FilterPage::OnScroll(DialogControls& controls, int trackbarId) { TrackbarMoved(controls, trackbarId, true); }

void FilterPage::OnPosted(DialogControls& controls, int code, int /*value*/) {
    if (code == ImageDialog::kRefresh) ShowBlock(controls);
}

// --- gray page ----------------------------------------------------------------

int GrayPage::SliderCount() const { return kGraySliders; }

BlockSlider GrayPage::Slider(int k) const { return {GraySlider(k), kGrayGainR + k, true}; }

void GrayPage::OnInit(DialogControls& controls) {
    initialised_ = false;
    SetUpSliders(controls);
    const int mode = Word(kGrayMode);
    for (int m = 0; m < 3; ++m) controls.SetCheck(kGrayModeBayer + m, m == mode);
    CheckBayerMode(controls, Word(kBayerMode));
    initialised_ = true;
}

void GrayPage::ReadEditBoxes(const DialogControls& controls) { ReadSliders(controls); }

void GrayPage::OnCommand(DialogControls& controls, int id, int notification) {
    if (IsRadio(id, kBayerModeRadio0, 4)) {
        SetWord(kBayerMode, id - kBayerModeRadio0);
        return;
    }
    if (IsRadio(id, kGrayModeBayer, 3)) {
        SetWord(kGrayMode, id - kGrayModeBayer);
        return;
    }
    if (id == kAllFramesBox) {
        SetWord(kAutoGrayGain, Word(kAutoGrayGain) == 0 ? -1 : 0);
        return;
    }
    if (id == kOnceButton) {
        SetWord(kAutoGrayGain, 1);
        return;
    }
    EditChanged(controls, id, notification);
}

void GrayPage::OnScroll(DialogControls& controls, int trackbarId) { TrackbarMoved(controls, trackbarId, true); }

void GrayPage::OnPosted(DialogControls& controls, int code, int /*value*/) {
    if (code == ImageDialog::kRefresh) ShowBlock(controls);
}

// --- frame --------------------------------------------------------------------

int ImageDialog::TemplateId() const { return japanese_ ? kImageFrameJapanese : kImageFrameEnglish; }

void ImageDialog::OnInit(DialogControls& controls) {
    controls.InsertTab(kTabControl, 0, "Image Filter");
    filterControls_ =
        controls.CreatePage(kTabControl, japanese_ ? kFilterPageJapanese : kFilterPageEnglish, filterPage_, true);
    if (filterControls_) filterWindow_ = filterControls_->window();
    if (flags_[kGrayTabFlag]) {
        controls.InsertTab(kTabControl, 1, "Gray Filter");
        grayControls_ =
            controls.CreatePage(kTabControl, japanese_ ? kGrayPageJapanese : kGrayPageEnglish, grayPage_, false);
        if (grayControls_) grayWindow_ = grayControls_->window();
    }
}

void ImageDialog::OnCommand(DialogControls& controls, int id, int /*notification*/) {
    switch (id) {
        case kOk:
            if (filterControls_) filterPage_.ReadEditBoxes(*filterControls_);
            if (grayControls_) grayPage_.ReadEditBoxes(*grayControls_);
            filterWindow_ = nullptr;
            grayWindow_ = nullptr;
            controls.End(kOk);
            return;
        case kCancel:
            filterWindow_ = nullptr;
            grayWindow_ = nullptr;
            controls.End(kCancel);
            return;
        case kDefault:
            for (int k = 0; k <= 4; ++k) platform::StoreRelaxed(&block_[k], 0);
            for (int k = 5; k <= 8; ++k) platform::StoreRelaxed(&block_[k], 100);
            platform::StoreRelaxed(&block_[kBayerMode], 2);
            if (filterControls_) filterPage_.ShowBlock(*filterControls_);
            if (grayControls_) {
                for (int k = 0; k < 4; ++k) platform::StoreRelaxed(&block_[kGrayGainR + k], 128);
                for (int k = 4; k < kGraySliders; ++k) platform::StoreRelaxed(&block_[kGrayGainR + k], 0);
                grayPage_.ShowBlock(*grayControls_);
            }
            return;
        default:
            return;
    }
}

void ImageDialog::OnTabChanged(DialogControls& /*controls*/, int /*tabId*/, int selected) {
    if (filterControls_) filterControls_->Show(selected == 0);
    if (grayControls_) grayControls_->Show(selected == 1);
}

void ImageDialog::Refresh() {
    platform::PostToDialog(filterWindow_.load(), kRefresh, 0);
    platform::PostToDialog(grayWindow_.load(), kRefresh, 0);
}

}  // namespace kvx::settings
