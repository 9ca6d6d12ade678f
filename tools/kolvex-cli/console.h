// What the command line needs of the system around a recording.
#pragma once

// True when standard output is a terminal, where progress can be redrawn
// in place.
bool OutputIsTerminal();

// A file that passes the process's size limit must end the recording with
// a message, not end the program (SIGXFSZ); nothing to do on Windows.
void SurviveFileSizeLimit();
