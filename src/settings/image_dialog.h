// The image settings dialog: the image filter and, in the monochrome modes,
// the gray filter values of the camera's filter block, edited in place
// while the preview converts frames with them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "settings/dialog_common.h"

namespace kvx::settings {

enum ImageDialogControl : int {
    kBayerModeRadio0 = 1030,  // 1030 to 1033: Bayer mode 0 to 3
    kAllFramesBox = 1035,
    kGrayModeBayer = 1046,  // 1046 to 1048: gray filter mode 0 to 2
    kOnceButton = 2074,
};

constexpr int kImageFrameJapanese = 102;
constexpr int kImageFrameEnglish = 108;
constexpr int kFilterPageJapanese = 103;
constexpr int kFilterPageEnglish = 107;
constexpr int kGrayPageJapanese = 113;
constexpr int kGrayPageEnglish = 112;

// Which groups the colour mode lets the user change: 0 to 8 the sliders,
// 9 the gray tab, 15 the white balance and Bayer controls.
using ImageDialogFlags = std::array<int32_t, 19>;
ImageDialogFlags ImageDialogFlagsFor(int colorMode);

class FilterPage final : public BlockSliderPage {
public:
    FilterPage(int32_t* block, const ImageDialogFlags& flags) : BlockSliderPage(block), flags_(flags) {}
    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;
    void OnScroll(DialogControls& controls, int trackbarId) override;
    void OnPosted(DialogControls& controls, int code, int value) override;

    void ReadEditBoxes(const DialogControls& controls);
    void ShowBlock(DialogControls& controls);

private:
    int SliderCount() const override;
    BlockSlider Slider(int k) const override;

    ImageDialogFlags flags_;
};

class GrayPage final : public BlockSliderPage {
public:
    explicit GrayPage(int32_t* block) : BlockSliderPage(block) {}
    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;
    void OnScroll(DialogControls& controls, int trackbarId) override;
    void OnPosted(DialogControls& controls, int code, int value) override;

    void ReadEditBoxes(const DialogControls& controls);
    void ShowBlock(DialogControls& controls) { ShowSliders(controls); }

private:
    int SliderCount() const override;
    BlockSlider Slider(int k) const override;
};

class ImageDialog final : public DialogHandler {
public:
    enum Posted : int { kRefresh = 1 };

    ImageDialog(int32_t* block, int colorMode)
        : block_(block), flags_(ImageDialogFlagsFor(colorMode)), filterPage_(block, flags_), grayPage_(block) {}

    int TemplateId() const;
    const ImageDialogFlags& flags() const { return flags_; }

    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;
    void OnTabChanged(DialogControls& controls, int tabId, int selected) override;

    // From any thread: the pages show the block's current values.
    void Refresh();

private:
    int32_t* block_;  // the camera's block: platform::LoadRelaxed / StoreRelaxed
    ImageDialogFlags flags_;
    FilterPage filterPage_;
    GrayPage grayPage_;
    DialogControls* filterControls_ = nullptr;
    DialogControls* grayControls_ = nullptr;
    std::atomic<platform::WindowHandle> filterWindow_{nullptr};
    std::atomic<platform::WindowHandle> grayWindow_{nullptr};
    bool japanese_ = DialogsInJapanese();
};

}  // namespace kvx::settings
