// Where there is no window system the dialog exports show nothing and say so.
#include <gtest/gtest.h>

#include "../camera/camera_fixture.h"

namespace kvx::test {
namespace {

class PosixDialogs : public CameraTest {};

TEST_F(PosixDialogs, ExportsFailWithUnsupported) {
    ASSERT_NE(Open(), 0);
    auto object = Object();
    const auto analogBefore = object->analog();
    for (auto dialog : {&Kolvex_SetCameraDlg, &Kolvex_SetAnalogDlg, &Kolvex_SetImageDlg}) {
        EXPECT_EQ(dialog(handle_, nullptr), 0);
        EXPECT_EQ(Kolvex_GetLastError(handle_), KOLVEX_ERR_UNSUPPORTED);
    }
    EXPECT_EQ(object->analog()[kExposureLines], analogBefore[kExposureLines]);
    EXPECT_FALSE(object->dialogHooks().analogDialogOpen());
    EXPECT_EQ(Kolvex_SetImageDlg(0x7FFFFFF0, nullptr), 0) << "unknown handle";
}

}  // namespace
}  // namespace kvx::test
