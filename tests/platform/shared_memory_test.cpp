#include "platform/shared_memory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "child_process.h"
#include "unique_name.h"

namespace {

using kvx::platform::SharedMemory;
using kvx::test::RunChild;
using kvx::test::UniqueName;

TEST(SharedMemory, FirstCreatorGetsZeroedMemoryLaterOnesTheSameBlock) {
    const std::string name = UniqueName("KolvexShmTest");
    SharedMemory first, second;
    bool created = false;
    ASSERT_TRUE(first.OpenOrCreate(name, 65536, &created));
    EXPECT_TRUE(created);
    ASSERT_GE(first.size(), 65536u);
    auto* a = static_cast<unsigned char*>(first.view());
    EXPECT_TRUE(std::all_of(a, a + 65536, [](unsigned char c) { return c == 0; }));
    a[100] = 0x5A;

    ASSERT_TRUE(second.OpenOrCreate(name, 65536, &created));
    EXPECT_FALSE(created);
    EXPECT_EQ(static_cast<unsigned char*>(second.view())[100], 0x5A);
}

TEST(SharedMemory, OpenFailsWhenNoBlockExists) {
    SharedMemory shm;
    EXPECT_FALSE(shm.Open(UniqueName("KolvexShmMissing")));
    EXPECT_EQ(shm.view(), nullptr);
}

TEST(SharedMemory, ASecondProcessSeesAndChangesTheSameBlock) {
    const std::string name = UniqueName("KolvexShmTwoProcesses");
    SharedMemory shm;
    ASSERT_TRUE(shm.OpenOrCreate(name, 4096));
    auto* bytes = static_cast<unsigned char*>(shm.view());
    bytes[7] = 0xA7;
    EXPECT_EQ(RunChild({"shm-check", name, "7", "0xA7"}), 0);
    EXPECT_EQ(RunChild({"shm-check", name, "7", "0x00"}), 1);
    EXPECT_EQ(RunChild({"shm-set", name, "8", "0x3C"}), 0);
    EXPECT_EQ(bytes[8], 0x3C);
}

TEST(SharedMemory, TheBlockGoesWithTheLastView) {
    const std::string name = UniqueName("KolvexShmLifetime");
    {
        SharedMemory shm;
        ASSERT_TRUE(shm.OpenOrCreate(name, 4096));
        EXPECT_EQ(RunChild({"shm-absent", name}), 1);
    }
    EXPECT_EQ(RunChild({"shm-absent", name}), 0);
    SharedMemory again;
    bool created = false;
    ASSERT_TRUE(again.OpenOrCreate(name, 4096, &created));
    EXPECT_TRUE(created);
}

}  // namespace
