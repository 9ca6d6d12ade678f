#include "api/sdk_chain.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "KolvexSdk.h"
#include "camera/kolvex.h"

namespace {

using kvx::CKolvex;
using kvx::CSdkChain;

TEST(SdkChain, HandlesAreNeverZeroNorEqualToALiveOne) {
    CSdkChain chain;
    // A source that proposes 0 and repeats itself.
    std::vector<int> proposals = {0, 5, 5, 0, 5, 9};
    size_t next = 0;
    chain.SetHandleSource([&] { return proposals[next++ % proposals.size()]; });
    int a = chain.CreateEntry();
    int b = chain.CreateEntry();
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(chain.Count(), 2u);
    std::shared_ptr<CKolvex> taken;
    EXPECT_TRUE(chain.Take(a, &taken));
    EXPECT_TRUE(chain.Take(b, &taken));
}

TEST(SdkChain, LookupFindsEachCameraAndTakeRemovesIt) {
    CSdkChain chain;
    std::shared_ptr<CKolvex> first, second;
    int a = chain.CreateEntry(&first);
    int b = chain.CreateEntry(&second);
    EXPECT_EQ(chain.Lookup(a), first);
    EXPECT_EQ(chain.Lookup(b), second);
    EXPECT_EQ(chain.Lookup(a ^ b ^ 1), nullptr);

    std::shared_ptr<CKolvex> taken;
    EXPECT_TRUE(chain.Take(a, &taken));
    EXPECT_EQ(taken, first);
    EXPECT_FALSE(chain.Take(a, &taken));
    EXPECT_EQ(chain.Lookup(a), nullptr);
    EXPECT_EQ(chain.Lookup(b), second);
    EXPECT_TRUE(chain.Take(b, &taken));
    EXPECT_EQ(chain.Count(), 0u);
}

// An object that is still in use by another call outlives its release: the
// release only removes the handle, the last user destroys the object.
TEST(SdkChain, ReleaseDuringACallDoesNotFreeTheCameraUnderIt) {
    CSdkChain chain;
    int handle = chain.CreateEntry();
    std::shared_ptr<CKolvex> inCall = chain.Lookup(handle);
    std::weak_ptr<CKolvex> watch = inCall;

    std::shared_ptr<CKolvex> taken;
    ASSERT_TRUE(chain.Take(handle, &taken));
    taken.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(inCall->TakeLastError(), 0);  // still usable
    EXPECT_EQ(chain.Lookup(handle), nullptr);
    inCall.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(SdkChain, ConcurrentCreateLookupAndReleaseKeepTheRingWhole) {
    CSdkChain chain;
    std::atomic<int> failures{0};
    auto work = [&] {
        for (int i = 0; i < 200; ++i) {
            int h = chain.CreateEntry();
            if (!chain.Lookup(h)) ++failures;
            std::shared_ptr<CKolvex> taken;
            if (!chain.Take(h, &taken)) ++failures;
        }
    };
    std::thread t1(work), t2(work), t3(work);
    t1.join();
    t2.join();
    t3.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(chain.Count(), 0u);
}

}  // namespace
