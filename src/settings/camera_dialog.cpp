#include "settings/camera_dialog.h"

#include <cstdio>

#include "pixels/color_mode.h"
#include "settings/value_ranges.h"

namespace kvx::settings {

namespace {

constexpr int kSensorClockMHz = 74;

std::string Format(const char* pattern, int value) {
    char text[128];
    std::snprintf(text, sizeof(text), pattern, value);
    return text;
}

const char* const kColorEnglish[] = {"Monochrome 8bit", "Monochrome 10bit *", "Color 24bit",
                                     "Color 32bit",     "Color 48bit *",      "Color 64bit *"};
const char* const kColorJapanese[] = {"白黒 8bit",     "白黒 %dbit ※",   "カラー 24bit",
                                      "カラー 32bit", "カラー 48bit ※", "カラー 64bit ※"};
const char* const kClockEnglish[] = {"Nomal(24MHz)", "Half(12MHz)", "High(%dMHz)"};
const char* const kClockJapanese[] = {"標準(24MHz)", "ハーフ(12MHz)", "高速(%dMHz)"};

}  // namespace

CameraSettingsDialog::CameraSettingsDialog(int device) : device_(device), japanese_(DialogsInJapanese()) {
    list_.entries.fill(kDefaultSize);
    list_.format = kFirstUseFormat;
}

int CameraSettingsDialog::TemplateId() const { return japanese_ ? kCameraDialogJapanese : kCameraDialogEnglish; }

std::string CameraSettingsDialog::SizeLabel(const SizeEntry& entry) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d x %d", static_cast<int>(entry[2]), static_cast<int>(entry[3]));
    return text;
}

void CameraSettingsDialog::ShowEntry(DialogControls& controls, const SizeEntry& entry) {
    for (int i = 0; i < 6; ++i)
        controls.SetText(kTotalWidthEdit + i, std::to_string(static_cast<uint32_t>(entry[static_cast<size_t>(i)])));
}

void CameraSettingsDialog::OnInit(DialogControls& controls) {
    LoadSizeList(device_, &list_);
    controls.InsertTab(kTabControl, 0, japanese_ ? "ストリーム形式" : "Stream Format");

    for (const char* text : japanese_ ? kColorJapanese : kColorEnglish)
        controls.ComboAdd(kColorCombo, Format(text, kDeepSampleBits));
    controls.ComboSelect(kColorCombo, list_.format.colorMode);

    controls.ComboAdd(kSubSampleCombo, "1/1");
    controls.ComboAdd(kSubSampleCombo, "1/2 Skip");
    controls.ComboSelect(kSubSampleCombo, list_.format.subSample == 1 ? 1 : 0);

    for (const char* text : japanese_ ? kClockJapanese : kClockEnglish) controls.ComboAdd(kClockCombo, Format(text, kSensorClockMHz));
    controls.ComboSelect(kClockCombo, list_.format.clock);
    controls.Enable(kClockCombo, false);

    for (int i = 0; i < list_.count; ++i) controls.ComboAdd(kSizeCombo, SizeLabel(list_.entries[static_cast<size_t>(i)]));
    controls.ComboAdd(kSizeCombo, japanese_ ? "カスタム" : "Custom");
    // A stored index outside the list would address no entry at all.
    if (list_.current < 0 || list_.current > list_.count || list_.current >= kMaxSizeEntries) list_.current = 0;
    controls.ComboSelect(kSizeCombo, list_.current);

    ShowEntry(controls, list_.entries[static_cast<size_t>(list_.current)]);
    controls.SetText(kWaitTimeEdit, std::to_string(static_cast<uint32_t>(list_.format.waitTime)));
    controls.Enable(kApply, false);
}

void CameraSettingsDialog::OnCommand(DialogControls& controls, int id, int notification) {
    switch (id) {
        case kOk:
            ReadControlsAndSave(controls);
            controls.End(kOk);
            return;
        case kCancel:
            controls.End(kCancel);
            return;
        case kApply:
            ReadControlsAndSave(controls);
            return;
        default:
            break;
    }
    if (notification == platform::kComboSelectionChanged) {
        if (id == kSizeCombo) {
            const int position = controls.ComboSelection(kSizeCombo);
            if (position >= 0 && position <= list_.count && position < kMaxSizeEntries) {
                list_.current = position;
                if (position < list_.count) ShowEntry(controls, list_.entries[static_cast<size_t>(position)]);
            }
        }
        controls.Enable(kApply, true);
    } else if (notification == platform::kEditChanged) {
        controls.Enable(kApply, true);
    }
}

void CameraSettingsDialog::ReadControlsAndSave(DialogControls& controls) {
    const int color = controls.ComboSelection(kColorCombo);
    if (color >= 0) list_.format.colorMode = color;
    const int size = controls.ComboSelection(kSizeCombo);
    if (size >= 0 && size <= list_.count) list_.current = size;
    list_.format.subSample = controls.ComboSelection(kSubSampleCombo) == 1 ? 1 : 0;
    const int clock = controls.ComboSelection(kClockCombo);
    if (clock >= 0) list_.format.clock = clock;
    // Typed beyond what a signed value holds, it would load again as a
    // "negative" pause, which the setter refuses.
    const uint32_t wait = ReadUnsigned(controls, kWaitTimeEdit);
    list_.format.waitTime = wait > static_cast<uint32_t>(kStoredWaitTimeRange.max) ? kStoredWaitTimeRange.max
                                                                                  : static_cast<int32_t>(wait);

    const bool custom = list_.current == list_.count;
    // The list has room for 100 sizes; a custom size beyond them is not
    // taken, and the current size stays the last one.
    if (custom && list_.count >= kMaxSizeEntries) {
        list_.current = list_.count - 1;
    } else {
        SizeEntry& entry = list_.entries[static_cast<size_t>(list_.current)];
        for (int i = 0; i < 6; ++i)
            entry[static_cast<size_t>(i)] = static_cast<int32_t>(ReadUnsigned(controls, kTotalWidthEdit + i));
        if (custom) {
            entry[6] = kDefaultSize[6];
            controls.ComboInsert(kSizeCombo, list_.current, SizeLabel(entry));
            ++list_.count;
        } else {
            controls.ComboDelete(kSizeCombo, list_.current);
            controls.ComboInsert(kSizeCombo, list_.current, SizeLabel(entry));
        }
    }
    controls.ComboSelect(kSizeCombo, list_.current);
    SaveSizeList(device_, list_);
    controls.Enable(kApply, false);
}

}  // namespace kvx::settings
