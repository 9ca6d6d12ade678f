// Running the test child program as a second, real process.
#pragma once

#include <string>
#include <vector>

namespace kvx::test {

// The process id of this process.
int CurrentProcessId();

class ChildProcess {
public:
    // Starts kolvex_test_child (next to the running test) with `args`.
    explicit ChildProcess(const std::vector<std::string>& args);
    // Starts `program` (another build's test child, say) with `args`.
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return started_; }
    // Waits for the child to end; its exit code, or -1 on failure.
    int Wait();
    // Ends the child at once, as a crash would (SIGKILL, TerminateProcess).
    void Kill();

private:
    bool started_ = false;
    bool waited_ = false;
    int exitCode_ = -1;
    long long native_ = 0;  // pid, or process handle
};

// Starts the child, waits for it and returns its exit code.
int RunChild(const std::vector<std::string>& args);

}  // namespace kvx::test
