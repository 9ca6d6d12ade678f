// The camera settings dialog: the readout size list and the stream format
// of one camera's registry key, saved by OK and Apply.
#pragma once

#include "settings/dialog_common.h"
#include "settings/size_settings.h"

namespace kvx::settings {

constexpr int kCameraDialogJapanese = 101;
constexpr int kCameraDialogEnglish = 106;

class CameraSettingsDialog final : public DialogHandler {
public:
    // The dialog's controls, as dialogs.rc numbers them.
    enum Control : int {
        kApply = 1002,
        kColorCombo = 1009,
        kSizeCombo = 1010,
        kSubSampleCombo = 1012,
        kClockCombo = 1014,
        kTotalWidthEdit = 1039,   // TH .. EVS: 1039 to 1044
        kVerticalStartEdit = 1044,
        kWaitTimeEdit = 1045,
    };

    explicit CameraSettingsDialog(int device);

    int TemplateId() const;
    const SizeList& list() const { return list_; }

    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;

private:
    void ShowEntry(DialogControls& controls, const SizeEntry& entry);
    // Takes the controls into the list (a "Custom" size becomes a new
    // entry) and saves the list.
    void ReadControlsAndSave(DialogControls& controls);
    static std::string SizeLabel(const SizeEntry& entry);

    SizeList list_;
    int device_;
    bool japanese_;
};

}  // namespace kvx::settings
