// The threads of this process, for tests that look at what the library's
// own threads run at.
#pragma once

#include <dirent.h>
#include <sys/resource.h>
#include <sys/types.h>

#include <cstdlib>
#include <set>

namespace kvx::test {

inline std::set<pid_t> ProcessThreads() {
    std::set<pid_t> ids;
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks) return ids;
    while (const dirent* entry = ::readdir(tasks))
        if (entry->d_name[0] != '.') ids.insert(static_cast<pid_t>(std::atoi(entry->d_name)));
    ::closedir(tasks);
    return ids;
}

// Threads that run now and did not run at `before`.
inline std::set<pid_t> ThreadsSince(const std::set<pid_t>& before) {
    std::set<pid_t> started;
    for (pid_t id : ProcessThreads())
        if (before.count(id) == 0) started.insert(id);
    return started;
}

// A Linux thread's own nice value (0 for the calling thread).
inline int NiceOf(pid_t thread) { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread)); }

}  // namespace kvx::test
