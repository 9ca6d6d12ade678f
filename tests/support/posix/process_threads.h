// The threads of this process, for tests of what the library's threads run at.
#pragma once

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <set>

namespace kvx::test {

// Thread ids, less those in `known` (so the threads started since it was taken).
inline std::set<pid_t> ProcessThreads(const std::set<pid_t>& known = {}) {
    std::set<pid_t> ids;
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            const auto id = static_cast<pid_t>(std::atoi(entry->d_name));
            if (entry->d_name[0] != '.' && known.count(id) == 0) ids.insert(id);
        }
        ::closedir(tasks);
    }
    return ids;
}

// A Linux thread has a nice value of its own (thread 0: the caller).
inline int NiceOf(pid_t thread) { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread)); }

}  // namespace kvx::test
