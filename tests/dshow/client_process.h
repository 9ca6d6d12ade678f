// Runs a Windows program the way a user would (regsvr32, ffmpeg.exe): its
// standard output handed to the caller as it comes, its standard error kept
// as text, its exit code returned.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kvx::test {

struct ClientRun {
    DWORD exitCode = 0xFFFFFFFF;  // also when the program could not start
    std::string errors;           // what it wrote to standard error
};

// `consume` receives standard output in pieces (the rest is discarded once
// it returns false). `environment` entries (NAME=VALUE) replace or add to
// this process's environment for the child only.
ClientRun RunClient(const std::wstring& commandLine, const std::function<bool(const BYTE*, size_t)>& consume = nullptr,
                    const std::vector<std::pair<std::wstring, std::wstring>>& environment = {});

// Quotes one argument for a command line.
std::wstring Quoted(const std::wstring& argument);

}  // namespace kvx::test
