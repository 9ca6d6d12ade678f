#include <io.h>

#include <cstdio>

#include "console.h"

bool OutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void SurviveFileSizeLimit() {}
