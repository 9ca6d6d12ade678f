// Reading and changing the camera's parameters from the command line.
#pragma once

#include <string>

// Format and sensor settings given as options; each is applied only when
// it was given.
struct FormatOptions {
    int colorBits = -1;     // --color: 8, 16, 24, 32, 48 or 64
    int subSample = -1;     // --subsample: 0 or 1
    int exposureUs = -1;    // --exposure-us
    int gain = -1;          // --gain
};

// Parses one of the options above with its value; false when `name` is not
// one of them. *bad is set when it is, but the value is not a number.
bool ParseFormatOption(const std::string& name, const char* value, FormatOptions* options, bool* bad);

// Applies the options that were given; reports the library's errors on
// stderr and returns false when the camera refused one.
bool ApplyFormat(int handle, const FormatOptions& options);

// A parameter by name ("gamma") or identifier ("11"); 0 when unknown.
int ParameterId(const std::string& nameOrId);

// Prints one parameter, or every parameter and the format when id is 0.
bool PrintParameters(int handle, int id);

// Sets one parameter and prints its new value.
bool SetParameter(int handle, int id, int value);

// Parses a decimal or 0x-prefixed integer with an optional sign.
bool ParseInteger(const char* text, int* out);

// Names of every parameter, for the usage text.
std::string ParameterNames();
