// The camera's parameters as the user meets them: by name, with their range,
// default and whether the camera keeps them. The table is
// python/kolvex/parameters.json, compiled in, so kolvex-cli and the Python
// package describe the same parameters in the same words.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "parameter_table.h"


const std::vector<ParameterInfo>& Parameters();
// The row of a name ("gamma") or a filter identifier ("11"); null when unknown.
const ParameterInfo* FindParameter(const std::string& nameOrId);

// Whether `value` is one the setter takes; otherwise *why says what it takes.
bool ParameterAccepts(const ParameterInfo& p, long long value, std::string* why);
// Parses a decimal or 0x-prefixed whole number and checks it against the
// row; false with the reason in *why.
bool ParseParameterValue(const ParameterInfo& p, const std::string& text, int* value, std::string* why);
std::string FormatParameterValue(const ParameterInfo& p, int value);

// Bits per pixel from what Kolvex_GetColorMode answers (12 for 16 bits...).
int BitsOfDepthCode(int code);

// Reading and writing through the library; failures are reported on stderr
// with the library's recorded cause and give false.
bool ReadParameter(int handle, const ParameterInfo& p, int* value);
bool WriteParameter(int handle, const ParameterInfo& p, int value);

// The rows whose stored values `p` changes: itself, or the rows it is a view of.
std::vector<const ParameterInfo*> StoredRowsOf(const ParameterInfo& p);

// `get`, `params`, `set` and `reset`: the output a user reads. All return
// true when everything was read or written.
bool PrintParameters(int handle, const ParameterInfo* only);
bool PrintParameterTable(int handle);
bool ResetParameters(int handle);

// Values given to one command only ("snapshot --exposure-us 1000"): applied
// for the command and put back as they were before the camera is released,
// so the camera keeps what it had.
class OneShotParameters {
public:
    using Setting = std::pair<const ParameterInfo*, int>;

    explicit OneShotParameters(int handle) : handle_(handle) {}
    ~OneShotParameters() { Restore(); }
    OneShotParameters(const OneShotParameters&) = delete;
    OneShotParameters& operator=(const OneShotParameters&) = delete;

    // Remembers the stored values the settings change, then applies them in
    // order; false (reported) at the first the camera refuses.
    bool Apply(const std::vector<Setting>& settings);
    // Puts the remembered values back, newest first; runs once.
    void Restore();

private:
    int handle_;
    std::vector<Setting> saved_;
};
