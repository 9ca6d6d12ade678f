#include "dialog_user.h"

namespace kvx::test {

void RunCancellingDialogs(const std::function<void()>& call) { call(); }

}  // namespace kvx::test
