// A worker pool in a process that cannot have the threads it asks for runs
// with those it gets instead of throwing out of the library.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/worker_pool.h"

namespace {

// Address space in use now, from /proc; 0 when it cannot be read.
rlim_t AddressSpaceInUse() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    unsigned long pages = 0;
    const bool read = std::fscanf(statm, "%lu", &pages) == 1;
    std::fclose(statm);
    return read ? static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

// In a child: room for about two thread stacks, then a pool of 64. Exit code
// 0 when the pool is smaller and still runs every task once.
int PoolUnderAddressSpaceLimit() {
    const rlim_t inUse = AddressSpaceInUse();
    if (inUse == 0) return 3;
    rlimit limit{inUse + (24u << 20), inUse + (24u << 20)};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) return 3;
    kvx::platform::WorkerPool pool(64);
    if (pool.size() >= 64) return 4;
    std::vector<std::atomic<int>> runs(200);
    auto task = [&](int i) { runs[static_cast<size_t>(i)].fetch_add(1); };
    pool.Run(200, task);
    for (const auto& r : runs)
        if (r.load() != 1) return 1;
    return 0;
}

TEST(StarvedPool, APoolThatCannotStartItsThreadsRunsWithWhatItHas) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own bookkeeping cannot live under an address-space limit";
#endif
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(PoolUnderAddressSpaceLimit());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
