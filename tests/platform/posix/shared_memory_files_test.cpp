// Named shared memory on POSIX leaves nothing behind in the file system:
// the last user removes the block and its companion files, also those that
// crashed processes left.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "platform/shared_memory.h"
#include "unique_name.h"

namespace {

using kvx::platform::SharedMemory;
using kvx::test::UniqueName;

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The block and both companions, wherever this system keeps them.
std::vector<std::string> FilesOf(const std::string& name) {
    const std::string dir = Exists("/dev/shm") ? "/dev/shm/" : "/tmp/";
    return {dir + name, dir + name + ".guard", dir + name + ".users"};
}

int Left(const std::string& name) {
    int n = 0;
    for (const auto& path : FilesOf(name)) n += Exists(path) ? 1 : 0;
    return n;
}

TEST(SharedMemoryFiles, TheLastUserRemovesTheBlockAndItsCompanions) {
    const std::string name = UniqueName("KolvexShmFiles");
    {
        SharedMemory first, second;
        ASSERT_TRUE(first.OpenOrCreate(name, 4096));
        ASSERT_TRUE(second.Open(name));
        first.Close();
        EXPECT_GT(Left(name), 0) << "a user is still attached";
    }
    EXPECT_EQ(Left(name), 0);
    // Looking for a block that is not there leaves nothing either.
    SharedMemory missing;
    EXPECT_FALSE(missing.Open(name));
    EXPECT_EQ(Left(name), 0);
}

TEST(SharedMemoryFiles, WhatCrashedProcessesLeftIsTakenOverAndRemoved) {
    const std::string name = UniqueName("KolvexShmCrash");
    for (int i = 0; i < 2; ++i) {
        kvx::test::ChildProcess holder({"shm-hold", name});
        ASSERT_TRUE(holder.started());
        SharedMemory probe;
        for (int waited = 0; waited < 5000 && !probe.Open(name); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_NE(probe.view(), nullptr);
        probe.Close();
        holder.Kill();
        holder.Wait();
    }
    EXPECT_GT(Left(name), 0);
    {
        // Nobody is attached: the stale block goes, a fresh one is made.
        SharedMemory again;
        bool created = false;
        ASSERT_TRUE(again.OpenOrCreate(name, 4096, &created));
        EXPECT_TRUE(created);
    }
    EXPECT_EQ(Left(name), 0);
}

// A process that ends without closing a block (an object that is never
// destroyed, a virtual camera still plugged in) leaves no files behind when
// it was the last user, as a Windows mapping goes with its process.
TEST(SharedMemoryFiles, AProcessThatEndsNormallyTakesItsBlocksWithIt) {
    const std::vector<std::vector<std::string>> runs = {{"shm-keep"}, {"sim-power-keep", "0"}};
    for (const auto& run : runs) {
        const std::string name = UniqueName("KolvexShmExit");
        std::vector<std::string> args = {run[0], name};
        args.insert(args.end(), run.begin() + 1, run.end());
        EXPECT_EQ(kvx::test::RunChild(args), 0) << run[0];
        EXPECT_EQ(Left(name), 0) << run[0];
    }
    // Another user still attached keeps the block for itself.
    const std::string name = UniqueName("KolvexShmExitShared");
    SharedMemory stays;
    ASSERT_TRUE(stays.OpenOrCreate(name, 4096));
    EXPECT_EQ(kvx::test::RunChild({"shm-keep", name}), 0);
    EXPECT_EQ(Left(name), 3);
    EXPECT_TRUE(kvx::test::RunChild({"shm-check", name, "0", "0"}) == 0);
    stays.Close();
    EXPECT_EQ(Left(name), 0);
}

// Users come and go on many threads (each attachment locks like a process
// of its own) while one stays: the block it holds is never removed or
// replaced under it, and nothing is left when all are gone.
TEST(SharedMemoryFiles, UsersComingAndGoingNeverRemoveALiveBlock) {
    const std::string name = UniqueName("KolvexShmChurn");
    auto* keeper = new SharedMemory;
    ASSERT_TRUE(keeper->OpenOrCreate(name, 4096));
    static_cast<volatile unsigned char*>(keeper->view())[0] = 0x77;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                SharedMemory user;
                if (!user.OpenOrCreate(name, 4096) || static_cast<volatile unsigned char*>(user.view())[0] != 0x77)
                    ++mismatches;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(mismatches.load(), 0);
    delete keeper;
    EXPECT_EQ(Left(name), 0);

    // Without a keeper the block comes and goes with its users; whenever a
    // user is attached, the files are there, and nothing stays at the end.
    threads.clear();
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                SharedMemory user;
                if (!user.OpenOrCreate(name, 4096)) ++mismatches;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(Left(name), 0);
}

}  // namespace
