#include "camera/dialog_hooks.h"

#include "settings/analog_dialog.h"
#include "settings/image_dialog.h"

namespace kvx {

void DialogHooks::SetAnalogDialog(settings::AnalogDialog* dialog) {
    std::lock_guard<std::mutex> hold(lock_);
    analog_ = dialog;
}

void DialogHooks::SetImageDialog(settings::ImageDialog* dialog) {
    std::lock_guard<std::mutex> hold(lock_);
    image_ = dialog;
}

bool DialogHooks::analogDialogOpen() const {
    std::lock_guard<std::mutex> hold(lock_);
    return analog_ != nullptr;
}

bool DialogHooks::imageDialogOpen() const {
    std::lock_guard<std::mutex> hold(lock_);
    return image_ != nullptr;
}

void DialogHooks::GainChanged(int gain) {
    std::lock_guard<std::mutex> hold(lock_);
    if (analog_) analog_->ShowGain(gain);
}

void DialogHooks::ExposureChanged(int lines) {
    std::lock_guard<std::mutex> hold(lock_);
    if (analog_) analog_->ShowExposure(lines);
}

void DialogHooks::GainsChanged() {
    std::lock_guard<std::mutex> hold(lock_);
    if (image_) image_->Refresh();
}

}  // namespace kvx
