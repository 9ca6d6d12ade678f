// What the three settings dialogs share: the language choice, the module
// that carries their templates, slider groups and the way they are run.
#pragma once

#include <cstdint>
#include <string>

#include "platform/modal_dialog.h"

namespace kvx::settings {

using platform::DialogControls;
using platform::DialogHandler;

// The templates are resources of the library under this file name.
constexpr const char* kDialogModule = "KolvexSdk_410QFX_ZQP.dll";

enum DialogControl : int {
    kOk = 1,
    kCancel = 2,
    kDefault = 3,
    kTabControl = 1001,
};

// Japanese when the system default language is Japanese (0x411).
bool DialogsInJapanese();
// Tests pick the language without changing the system: 0x411, 0x409...;
// 0 goes back to the system's.
void ForceDialogLanguageForTesting(uint16_t languageId);

// A value edited by a trackbar, an up-down control and an edit box together.
struct SliderGroup {
    int trackbar, upDown, edit;
    int minimum, maximum, tickFrequency;
};

void SetUpSliderGroup(DialogControls& controls, const SliderGroup& group, int value, bool enabled);

// A slider group that edits one word of a camera's block.
struct BlockSlider {
    SliderGroup slider;
    int blockIndex;
    bool enabled;
};

// A dialog page whose slider groups edit a camera's block in place. The
// preview converts frames with the block meanwhile, so every word is read
// and written with platform::LoadRelaxed / StoreRelaxed.
class BlockSliderPage : public DialogHandler {
protected:
    explicit BlockSliderPage(int32_t* block) : block_(block) {}

    virtual int SliderCount() const = 0;
    virtual BlockSlider Slider(int k) const = 0;

    int32_t Word(int index) const;
    void SetWord(int index, int32_t value);

    // Every group set up from the block, enabled as the group says.
    void SetUpSliders(DialogControls& controls);
    // The block into every trackbar and edit box.
    void ShowSliders(DialogControls& controls);
    // The edit boxes into the block.
    void ReadSliders(const DialogControls& controls);
    // An edit box the user changed (not one that OnInit fills): its value
    // into the block and the trackbar. The group's index, or -1.
    int EditChanged(DialogControls& controls, int id, int notification);
    // A trackbar moved: its position into the edit box, and into the block
    // where `store`.
    void TrackbarMoved(DialogControls& controls, int trackbarId, bool store);

    // False while OnInit fills the controls, whose edit boxes then report
    // changes that are not the user's.
    bool initialised_ = false;

private:
    int32_t* block_;
};
// The box as a signed number; 0 when it does not start with one.
int ReadSigned(const DialogControls& controls, int id);
uint32_t ReadUnsigned(const DialogControls& controls, int id);
void ShowSigned(DialogControls& controls, int id, int value);

// Runs a dialog of the library's templates. The result, or -1 when no
// dialog could be shown. Tests may put a runner of their own in its place.
using DialogRunner = int (*)(platform::WindowHandle owner, int templateId, DialogHandler& handler);
int RunDialog(platform::WindowHandle owner, int templateId, DialogHandler& handler);
void SetDialogRunnerForTesting(DialogRunner runner);

}  // namespace kvx::settings
