// Plays the user who closes a modal dialog: runs `call` (which may open a
// settings dialog on this thread) while another thread presses Cancel on
// every dialog of this process. Where no dialogs exist it only runs `call`.
#pragma once

#include <functional>

namespace kvx::test {

void RunCancellingDialogs(const std::function<void()>& call);

}  // namespace kvx::test
