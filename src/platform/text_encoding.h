// Conversions between wide strings and the narrow (ANSI) code page.
//
// Blocking and threads: Neither call blocks; any thread.
#pragma once

#include <cstddef>
#include <string>

namespace kvx::platform {

// Converts a NUL-terminated wide path into `out` (at most outSize - 1 bytes
// and a terminator) in the thread's ANSI code page. Fails, leaving `out`
// empty, when a character has no exact mapping or the result does not fit:
// a path silently changed to another one must never be opened.
bool WideToAnsi(const wchar_t* in, char* out, size_t outSize);

// Converts narrow text of the ANSI code page to wide characters.
std::wstring AnsiToWide(const std::string& in);

}  // namespace kvx::platform
