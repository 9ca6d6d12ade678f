// Turning the library's error codes into sentences a user can act on.
//
// The table of meanings is shared with the Python package
// (python/kolvex/error_meanings.json); the build compiles it in here.
#pragma once

#include <string>
#include <vector>

struct ErrorMeaning {
    int code;
    // Usually only the consequence of another failure reported with it
    // ("no camera is open" after "no camera at device 3").
    bool followsOthers;
    const char* meaning;  // may hold "{device}"
    const char* remedy;
};

// The table's entry for a code; null for a code the library never produces.
const ErrorMeaning* FindErrorMeaning(int code);

// "<meaning>: <remedy>" with the device number filled in; codes outside the
// table still get a sentence that names the number.
std::string ExplainError(int code, int device);

// The codes worth telling the user, from a history read newest first:
// oldest first, each once, and without the follow-on codes when a cause is
// among them.
std::vector<int> CodesToReport(const std::vector<int>& newestFirst);

// The device number the explanations name; 0 until set.
void SetReportedDevice(int device);

// Prints what CodesToReport keeps of a history read newest first as
// "kolvex-cli: <what>: <explanation>". True when the history holds a code.
bool ReportErrorCodes(const std::vector<int>& newestFirst, const char* what);

// Reads and empties the camera's error history and reports it as above.
bool ReportCameraErrors(int handle, const char* what);

// Error 12 after a recording started: a write failed and the library ended
// the recording. "<meaning>: <remedy>" for a full disk, or for a file the
// file system would not let grow.
std::string ExplainRecordingCutShort(bool diskFull);

// Why a file could not be written, as far as the file system tells: the
// library records no cause when a still writer cannot create its file.
// Empty when nothing looks wrong.
std::string WhyCannotWrite(const std::string& path);
