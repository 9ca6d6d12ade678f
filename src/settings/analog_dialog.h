// The analog settings dialog: global gain, exposure, mirrors and the
// automatic exposure mode of the camera's analog block, applied to the
// device as they change.
#pragma once

#include <atomic>
#include <cstdint>

#include "settings/analog_block.h"
#include "settings/dialog_common.h"

namespace kvx::settings {

constexpr int kAnalogFrameJapanese = 104;
constexpr int kAnalogFrameEnglish = 111;
constexpr int kAnalogPageJapanese = 105;
constexpr int kAnalogPageEnglish = 110;

// The sensor as the dialog drives it.
class AnalogDevice {
public:
    virtual ~AnalogDevice() = default;
    virtual void SetGain(int gain) = 0;
    virtual void SetExposureLines(int lines) = 0;
    virtual void SetMirrorV(int on) = 0;
    virtual void SetMirrorH(int on) = 0;
    virtual int DefaultGain() const = 0;
    virtual int MaxGain() const = 0;
    virtual int DefaultExposureLines() const = 0;
    virtual int MinExposureLines() const = 0;
    virtual int MaxExposureLines() const = 0;
    // Line period and offset in sensor clocks, and milliseconds per clock,
    // as they stand now.
    virtual void ExposureTiming(int32_t* linePeriod, int32_t* offset, double* msPerClock) const = 0;
};

// "=%.2fms" for exposure `lines`.
std::string ExposureTimeText(int lines, int32_t linePeriod, int32_t offset, double msPerClock);

class AnalogPage final : public BlockSliderPage {
public:
    // The page's controls, as dialogs.rc numbers them.
    enum Control : int {
        kGlobalGainEdit = 1015,
        kExposureEdit = 1027,
        kMirrorVBox = 1028,
        kMirrorHBox = 1029,
        kAutoGainBox = 1036,
        kAutoExposureBox = 1037,
        kExposureTimeText = 1049,
    };

    AnalogPage(AnalogDevice& device, int32_t* block) : BlockSliderPage(block), device_(device) {}

    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;
    void OnScroll(DialogControls& controls, int trackbarId) override;
    void OnPosted(DialogControls& controls, int code, int value) override;

    // The edit boxes into the block (OK).
    void ReadEditBoxes(const DialogControls& controls) { ReadSliders(controls); }
    // The block into every control (Default).
    void ShowBlock(DialogControls& controls) { SetUpSliders(controls); }

private:
    int SliderCount() const override;
    BlockSlider Slider(int k) const override;
    void ShowExposureTime(DialogControls& controls);

    AnalogDevice& device_;
};

class AnalogDialog final : public DialogHandler {
public:
    // Posted codes: a value the automatic exposure set.
    enum Posted : int { kShowGain = 1, kShowExposure = 2 };

    AnalogDialog(AnalogDevice& device, int32_t* block) : device_(device), block_(block), page_(device, block) {}

    int TemplateId() const;

    void OnInit(DialogControls& controls) override;
    void OnCommand(DialogControls& controls, int id, int notification) override;
    void OnTabChanged(DialogControls& controls, int tabId, int selected) override;

    // From any thread: the open page shows the value in its edit box, whose
    // handler then stores and applies it.
    void ShowGain(int gain);
    void ShowExposure(int lines);

private:
    AnalogDevice& device_;
    int32_t* block_;  // the camera's block: platform::LoadRelaxed / StoreRelaxed
    AnalogPage page_;
    DialogControls* pageControls_ = nullptr;
    std::atomic<platform::WindowHandle> pageWindow_{nullptr};
    bool japanese_ = DialogsInJapanese();
};

}  // namespace kvx::settings
