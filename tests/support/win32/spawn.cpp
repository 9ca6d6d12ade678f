#include <windows.h>

#include "child_process.h"

namespace kvx::test {

namespace {
std::string ChildPath() {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n);
    return path.substr(0, path.find_last_of("\\/") + 1) + KOLVEX_TEST_CHILD_NAME;
}
}  // namespace

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

ChildProcess::ChildProcess(const std::vector<std::string>& args) : ChildProcess(ChildPath(), args) {}

ChildProcess::ChildProcess(const std::string& path, const std::vector<std::string>& args) {
    std::string line = "\"" + path + "\"";
    for (const std::string& a : args) line += " \"" + a + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    started_ = CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
    if (started_) {
        CloseHandle(pi.hThread);
        native_ = reinterpret_cast<long long>(pi.hProcess);
    }
}

ChildProcess::~ChildProcess() { Wait(); }

int ChildProcess::Wait() {
    if (!started_ || waited_) return exitCode_;
    HANDLE process = reinterpret_cast<HANDLE>(native_);
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    waited_ = true;
    exitCode_ = static_cast<int>(code);
    return exitCode_;
}

void ChildProcess::Kill() {
    if (started_ && !waited_) TerminateProcess(reinterpret_cast<HANDLE>(native_), 9);
}

int RunChild(const std::vector<std::string>& args) {
    ChildProcess child(args);
    return child.Wait();
}

}  // namespace kvx::test
