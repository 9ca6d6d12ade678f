#include "error_report.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "KolvexSdk.h"

namespace {

const ErrorMeaning kMeanings[] = {
#include "error_meanings_table.inc"
};

struct CutShortMeaning {
    const char* meaning;
    const char* remedy;
};

// Disk full, then file too large.
const CutShortMeaning kCutShort[] = {
#include "cut_short_meanings.inc"
};

int reportedDevice = 0;

}  // namespace

void SetReportedDevice(int device) { reportedDevice = device; }

const ErrorMeaning* FindErrorMeaning(int code) {
    for (const ErrorMeaning& m : kMeanings)
        if (m.code == code) return &m;
    return nullptr;
}

std::string ExplainError(int code, int device) {
    const ErrorMeaning* m = FindErrorMeaning(code);
    if (!m) return "the library reported error " + std::to_string(code) + ", which this tool does not know";
    std::string text = m->meaning;
    const std::string placeholder = "{device}";
    for (size_t at; (at = text.find(placeholder)) != std::string::npos;)
        text.replace(at, placeholder.size(), std::to_string(device));
    return text + ": " + m->remedy;
}

std::vector<int> CodesToReport(const std::vector<int>& newestFirst) {
    std::vector<int> oldestFirst(newestFirst.rbegin(), newestFirst.rend());
    auto follows = [](int code) {
        const ErrorMeaning* m = FindErrorMeaning(code);
        return m && m->followsOthers;
    };
    const bool anyCause = std::any_of(oldestFirst.begin(), oldestFirst.end(), [&](int c) { return !follows(c); });
    std::vector<int> out;
    for (int code : oldestFirst) {
        if (code == 0 || (anyCause && follows(code))) continue;
        if (std::find(out.begin(), out.end(), code) == out.end()) out.push_back(code);
    }
    return out;
}

bool ReportErrorCodes(const std::vector<int>& newestFirst, const char* what) {
    for (int code : CodesToReport(newestFirst))
        std::fprintf(stderr, "kolvex-cli: %s: %s\n", what, ExplainError(code, reportedDevice).c_str());
    return !newestFirst.empty();
}

bool ReportCameraErrors(int handle, const char* what) {
    std::vector<int> history;
    for (int code; (code = Kolvex_GetLastError(handle)) != 0;) history.push_back(code);
    return ReportErrorCodes(history, what);
}

std::string ExplainRecordingCutShort(bool diskFull) {
    const CutShortMeaning& m = kCutShort[diskFull ? 0 : 1];
    return std::string(m.meaning) + ": " + m.remedy;
}

std::string WhyCannotWrite(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file(path);
    if (fs::is_directory(file, error)) return "it is a folder";
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::exists(folder, error)) return "the folder " + folder.string() + " does not exist";
    if (!fs::is_directory(folder, error)) return folder.string() + " is not a folder";
    if (fs::exists(file, error) && !fs::is_regular_file(file, error)) return "it is not a regular file";
    return "";
}
