#include "client_process.h"

#include <map>
#include <thread>

namespace kvx::test {
namespace {

// This process's environment with `changes` applied, as CreateProcessW's
// block of NAME=VALUE strings.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* p = own; *p; p += wcslen(p) + 1) {
        const std::wstring entry = p;
        const size_t equals = entry.find(L'=', 1);
        if (equals != std::wstring::npos) variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    FreeEnvironmentStringsW(own);
    for (const auto& change : changes) variables[change.first] = change.second;
    std::wstring block;
    for (const auto& v : variables) block += v.first + L"=" + v.second + L'\0';
    return block + L'\0';
}

void Drain(HANDLE pipe, const std::function<bool(const BYTE*, size_t)>& consume) {
    std::vector<BYTE> buffer(1 << 20);
    bool wanted = true;
    DWORD got = 0;
    while (ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
        if (wanted && consume) wanted = consume(buffer.data(), got);
}

}  // namespace

std::wstring Quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }

ClientRun RunClient(const std::wstring& commandLine, const std::function<bool(const BYTE*, size_t)>& consume,
                    const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
    ClientRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    std::wstring block = environment.empty() ? std::wstring() : EnvironmentBlock(environment);
    const BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                        block.empty() ? nullptr : &block[0], nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        std::thread errors([&] {
            Drain(errRead, [&](const BYTE* data, size_t size) {
                run.errors.append(reinterpret_cast<const char*>(data), size);
                return true;
            });
        });
        Drain(outRead, consume);
        errors.join();
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return run;
}

}  // namespace kvx::test
