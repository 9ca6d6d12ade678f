// kolvex-cli's commands and options, parsed with CLI11: help on every
// command, numbers checked as whole and in range before anything runs, and
// a short error with the one usage line that applies.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "parameters.h"

struct CommandLine {
    std::string command;  // list, info, params, get, set, reset, snapshot, record, stream, version
    int device = 0;
    int frames = 0;      // 0 when not given
    double seconds = 0;  // 0 when not given
    bool window = false;
    bool trigger = false;
    std::string output;  // the file to write; the command's default when not given
    const ParameterInfo* parameter = nullptr;  // get (null: all of them), set
    int value = 0;                             // set
    std::vector<OneShotParameters::Setting> oneShot;
};

// Parses argv into *out. Returns -1 when a command should run, otherwise the
// exit status of a run that ends here: 0 after help or the version, 2 after
// a usage error (printed to `err`, with the command's usage line).
int ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::ostream& text,
                     std::ostream& err);

// "kolvex-cli 1.0.0 (library 1.0.0, version number 0x01B2051F)".
std::string VersionText();
