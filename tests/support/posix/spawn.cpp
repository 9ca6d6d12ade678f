#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"

extern char** environ;

namespace kvx::test {

namespace {
std::string ChildPath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
    return path.substr(0, path.find_last_of('/') + 1) + KOLVEX_TEST_CHILD_NAME;
}
// A child that ends by a signal never runs its settings sandbox's
// destructor; its store (the first sandbox it made, on memory where there
// is some, see test_child.cpp) is removed here instead.
void RemoveSettingsOfKilledChild(long long pid) {
    const char* tmp = std::getenv("TMPDIR");
    for (std::string dir : {std::string("/dev/shm"), std::string(tmp && *tmp ? tmp : "/tmp")}) {
        const std::string store = dir + "/kolvex-settings_" + std::to_string(pid) + "_0.reg";
        std::remove(store.c_str());
        std::remove((store + ".lock").c_str());
    }
}
}  // namespace

int CurrentProcessId() { return static_cast<int>(getpid()); }

ChildProcess::ChildProcess(const std::vector<std::string>& args) : ChildProcess(ChildPath(), args) {}

ChildProcess::ChildProcess(const std::string& path, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    started_ = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    native_ = pid;
}

ChildProcess::~ChildProcess() { Wait(); }

int ChildProcess::Wait() {
    if (!started_ || waited_) return exitCode_;
    int status = 0;
    while (waitpid(static_cast<pid_t>(native_), &status, 0) < 0) {
    }
    waited_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (WIFSIGNALED(status)) RemoveSettingsOfKilledChild(native_);
    return exitCode_;
}

void ChildProcess::Kill() {
    if (started_ && !waited_) ::kill(static_cast<pid_t>(native_), SIGKILL);
}

int RunChild(const std::vector<std::string>& args) {
    ChildProcess child(args);
    return child.Wait();
}

}  // namespace kvx::test
