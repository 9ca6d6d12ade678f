#include "platform/posix/mailbox.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

namespace posix = kvx::platform::posix;
using kvx::platform::PostWindowMessage;
using kvx::platform::WindowHandle;

WindowHandle Window(uintptr_t key) { return reinterpret_cast<WindowHandle>(key); }

TEST(Mailbox, MessagesArriveInOrderPerWindow) {
    WindowHandle a = Window(0xA000), b = Window(0xB000);
    posix::TakeMessages(a);
    posix::TakeMessages(b);
    EXPECT_TRUE(PostWindowMessage(a, 0x8003, 0, 5));
    EXPECT_TRUE(PostWindowMessage(b, 0x8002, 16, 0));
    EXPECT_TRUE(PostWindowMessage(a, 0x8003, 0, 7));
    auto got = posix::TakeMessages(a);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].lParam, 5);
    EXPECT_EQ(got[1].lParam, 7);
    EXPECT_TRUE(posix::TakeMessages(a).empty());
    ASSERT_EQ(posix::TakeMessages(b).size(), 1u);
}

TEST(Mailbox, AFullMailboxRefusesMorePosts) {
    WindowHandle w = Window(0xC000);
    posix::TakeMessages(w);
    for (size_t i = 0; i < posix::kMailboxCapacity; ++i) ASSERT_TRUE(PostWindowMessage(w, 0x8002, 0, 0));
    EXPECT_FALSE(PostWindowMessage(w, 0x8002, 0, 0));
    EXPECT_EQ(posix::TakeMessages(w).size(), posix::kMailboxCapacity);
    EXPECT_TRUE(PostWindowMessage(w, 0x8002, 0, 0));
    posix::TakeMessages(w);
}

TEST(Mailbox, WaitReturnsAMessagePostedByAnotherThread) {
    WindowHandle w = Window(0xD000);
    posix::TakeMessages(w);
    posix::PostedMessage m{};
    EXPECT_FALSE(posix::WaitMessage(w, 10, &m));
    std::thread poster([w] { PostWindowMessage(w, 0x8003, 0, 13); });
    EXPECT_TRUE(posix::WaitMessage(w, 5000, &m));
    poster.join();
    EXPECT_EQ(m.message, 0x8003u);
    EXPECT_EQ(m.lParam, 13);
}

}  // namespace
