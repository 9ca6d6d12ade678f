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
