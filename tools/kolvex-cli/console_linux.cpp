#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "console.h"

bool OutputIsTerminal() { return ::isatty(fileno(stdout)) != 0; }

void SurviveFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }
