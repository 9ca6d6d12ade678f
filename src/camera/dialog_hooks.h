// What the automatic controls on the worker reach of the open analog and
// image settings dialogs. The dialogs live on the stack of the export that
// shows them; the lock keeps one from going away while the worker hands it
// a value, and the dialogs only post, so the worker never waits for the
// dialog's thread.
#pragma once

#include <mutex>

#include "camera/camera_exposure.h"
#include "imaging/convert_frame.h"

namespace kvx {

namespace settings {
class AnalogDialog;
class ImageDialog;
}  // namespace settings

class DialogHooks final : public AnalogDialogRefresh, public ImageDialogRefresh {
public:
    void SetAnalogDialog(settings::AnalogDialog* dialog);
    void SetImageDialog(settings::ImageDialog* dialog);
    bool analogDialogOpen() const;
    bool imageDialogOpen() const;

    void GainChanged(int gain) override;
    void ExposureChanged(int lines) override;
    void GainsChanged() override;

private:
    mutable std::mutex lock_;
    settings::AnalogDialog* analog_ = nullptr;
    settings::ImageDialog* image_ = nullptr;
};

}  // namespace kvx
