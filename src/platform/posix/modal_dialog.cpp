#include "platform/modal_dialog.h"

namespace kvx::platform {

int RunModalDialog(const char*, WindowHandle, int, DialogHandler&) { return -1; }

void PostToDialog(WindowHandle, int, int) {}

}  // namespace kvx::platform
