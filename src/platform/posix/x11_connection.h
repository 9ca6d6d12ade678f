// Keeping the X11 backend's one connection from holding the process hostage:
// a server that stops answering (stopped, hung, unreachable) must not block
// the library's calls for longer than a bound, so every call into Xlib runs
// under a watch that gives the connection up once the call has waited too
// long, and the connection is opened with the same bound.
//
// Giving up means shutting the connection's socket down: Xlib's wait then
// ends in an I/O error, which the backend's handlers turn into a connection
// marked lost (x11_windows.cpp).
//
// Blocking and threads: OpenDisplayWithin blocks for at most its bound.
// StartCallWatch, ArmCallWatch and DisarmCallWatch never block for long;
// arming is done by the one thread that holds the backend's lock.
#pragma once

#include <X11/Xlib.h>

#include <chrono>

namespace kvx::platform::posix {

// How long one call into Xlib may wait for the server. Long enough for a
// full frame to a server across a slow network; a stopped server blocks a
// stop no longer than this.
constexpr std::chrono::milliseconds kX11CallBound{5000};

// XOpenDisplay, but null when the server has not answered within `bound`
// (the attempt goes on in the background and is closed when it ends).
Display* OpenDisplayWithin(const char* name, std::chrono::milliseconds bound);

// Watches the calls on `display` from a thread of its own. False when no
// thread could be started: calls then wait as long as the server makes them.
bool StartCallWatch(Display* display);

// Around every sequence of requests: a call still armed kX11CallBound after
// it was armed has its connection shut down.
void ArmCallWatch();
void DisarmCallWatch();

}  // namespace kvx::platform::posix
