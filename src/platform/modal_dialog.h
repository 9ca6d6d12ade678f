// Modal dialogs from templates in a module's resources, with child pages in
// a tab control. The dialog's behaviour lives in a DialogHandler that sees
// its controls only through DialogControls, so that it runs without windows
// too. Other systems than Windows have no such dialogs.
//
// Blocking and threads: RunModalDialog blocks until the user closes the
// dialog and runs its message loop on the calling thread, which must be the
// application's thread that owns `owner`; where there are no dialogs it
// returns at once. DialogControls and DialogHandler calls happen on that
// dialog's thread only. PostToDialog never blocks and may be called from any
// thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_message.h"

namespace kvx::platform {

// The notification codes of WM_COMMAND that the handlers look at.
enum DialogNotification : int {
    kButtonClicked = 0,
    kComboSelectionChanged = 1,
    kEditChanged = 0x300,
};

class DialogHandler;

// The controls of one open dialog or page, found by identifier. Texts are
// UTF-8. Setting the text of an edit box reports kEditChanged to the
// handler before it returns, as an edit control does.
class DialogControls {
public:
    virtual ~DialogControls() = default;

    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string Text(int id) const = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool Checked(int id) const = 0;
    virtual void Enable(int id, bool enabled) = 0;

    virtual void ComboAdd(int id, const std::string& text) = 0;
    virtual void ComboInsert(int id, int position, const std::string& text) = 0;
    virtual void ComboDelete(int id, int position) = 0;
    virtual void ComboSelect(int id, int position) = 0;
    virtual int ComboSelection(int id) const = 0;

    // Maximum, minimum, position (redrawn), then tick frequency.
    virtual void SetUpTrackbar(int id, int minimum, int maximum, int position, int tickFrequency) = 0;
    virtual void SetTrackbarPosition(int id, int position) = 0;
    virtual int TrackbarPosition(int id) const = 0;
    // 32-bit range, position, then the edit box it steps.
    virtual void SetUpUpDown(int id, int minimum, int maximum, int position, int buddyId) = 0;

    virtual void InsertTab(int id, int index, const std::string& text) = 0;
    // A child page from `templateId` inside tab control `tabId`, at (30, 25)
    // in it. The page's controls live as long as the page's window.
    virtual DialogControls* CreatePage(int tabId, int templateId, DialogHandler& handler, bool shown) = 0;
    virtual void Show(bool shown) = 0;

    // The window, for PostToDialog from other threads.
    virtual WindowHandle window() const = 0;
    virtual void End(int result) = 0;
};

class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    virtual void OnInit(DialogControls& controls) = 0;
    virtual void OnCommand(DialogControls& /*controls*/, int /*id*/, int /*notification*/) {}
    // A trackbar moved.
    virtual void OnScroll(DialogControls& /*controls*/, int /*trackbarId*/) {}
    virtual void OnTabChanged(DialogControls& /*controls*/, int /*tabId*/, int /*selected*/) {}
    // A PostToDialog arrived, on the dialog's own thread.
    virtual void OnPosted(DialogControls& /*controls*/, int /*code*/, int /*value*/) {}
};

// Runs template `templateId` of the loaded module `moduleName` modally,
// owned by `owner` (may be null). The dialog's result, or -1 when no dialog
// could be shown (always so where there are no dialogs).
int RunModalDialog(const char* moduleName, WindowHandle owner, int templateId, DialogHandler& handler);

// Hands (code, value) to the handler of `window` on the dialog's thread,
// without waiting for it: other threads may change what a dialog shows
// without ever blocking on it. A window that is gone ignores it.
void PostToDialog(WindowHandle window, int code, int value);

}  // namespace kvx::platform
