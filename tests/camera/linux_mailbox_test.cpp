// Linux applications collect what the library posts through the mailbox
// export of KolvexSdkLinux.h.
#include "KolvexSdkLinux.h"
#include "acquisition_fixture.h"

namespace {

class LinuxMailbox : public kvx::test::AcquisitionTest {};

TEST_F(LinuxMailbox, FramesAndErrorsAreCollectedInOrder) {
    ASSERT_NE(OpenWith(64, 48, 0), 0);
    NoPreviewWindow();
    KolvexMessage message{};
    EXPECT_EQ(KolvexLinux_WaitMessage(callback_.handle(), 0, &message), 0);
    EXPECT_EQ(KolvexLinux_WaitMessage(callback_.handle(), 0, nullptr), 0);

    std::vector<uint8_t> buffer(64 * 48 - 1);
    ASSERT_EQ(Kolvex_CallBackPreview(handle_, callback_.handle(), buffer.data(), static_cast<int>(buffer.size()), 0),
              1);
    ASSERT_EQ(KolvexLinux_WaitMessage(callback_.handle(), 10000, &message), 1);
    EXPECT_EQ(message.message, static_cast<unsigned>(KOLVEX_WM_FRAME));
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(message.lParam, 5);
    ASSERT_EQ(Kolvex_StopPreview(handle_), 1);
    ASSERT_EQ(KolvexLinux_WaitMessage(window_.handle(), 10000, &message), 1);
    EXPECT_EQ(message.message, static_cast<unsigned>(KOLVEX_WM_ERROR));
    EXPECT_EQ(message.lParam, 5);
}

}  // namespace
