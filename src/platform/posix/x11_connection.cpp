#include "platform/posix/x11_connection.h"

#include <sys/socket.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace kvx::platform::posix {

namespace {

struct CallWatch {
    std::mutex lock;  // guards everything below
    std::condition_variable changed;
    int socket = -1;
    bool idle = true;  // the thread waits for the next call to be armed
    bool armed = false;
    uint64_t call = 0;  // counts the arming, so that a new call is told from an old one
    std::chrono::steady_clock::time_point deadline;
};

// Made once with the connection and never destroyed: its thread waits on it
// while the process exits.
CallWatch* g_watch = nullptr;

void Watch(CallWatch* w) {
    std::unique_lock<std::mutex> hold(w->lock);
    for (;;) {
        w->idle = true;
        w->changed.wait(hold, [w] { return w->armed; });
        w->idle = false;
        const uint64_t call = w->call;
        const auto deadline = w->deadline;
        const auto over = [w, call] { return !w->armed || w->call != call; };
        if (w->changed.wait_until(hold, deadline, over)) continue;
        // The server has kept this call waiting too long: the socket goes,
        // and with it the wait.
        ::shutdown(w->socket, SHUT_RDWR);
        // Until this call ends; the next arming wakes the thread.
        w->idle = true;
        w->changed.wait(hold, over);
    }
}

struct OpenAttempt {
    std::mutex lock;  // guards everything below
    std::condition_variable done;
    std::string name;
    bool finished = false;
    bool abandoned = false;
    Display* display = nullptr;
};

}  // namespace

Display* OpenDisplayWithin(const char* name, std::chrono::milliseconds bound) {
    auto attempt = std::make_shared<OpenAttempt>();
    attempt->name = name;
    try {
        std::thread([attempt] {
            Display* display = XOpenDisplay(attempt->name.c_str());
            std::lock_guard<std::mutex> hold(attempt->lock);
            if (attempt->abandoned) {
                if (display) XCloseDisplay(display);
                return;
            }
            attempt->display = display;
            attempt->finished = true;
            attempt->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return XOpenDisplay(name);  // no thread to wait with: unbounded, as Xlib is
    }
    std::unique_lock<std::mutex> hold(attempt->lock);
    if (!attempt->done.wait_for(hold, bound, [&attempt] { return attempt->finished; })) {
        attempt->abandoned = true;
        return nullptr;
    }
    return attempt->display;
}

bool StartCallWatch(Display* display) {
    if (g_watch) return true;
    auto* watch = new CallWatch;
    watch->socket = ConnectionNumber(display);
    try {
        std::thread(Watch, watch).detach();
    } catch (const std::system_error&) {
        delete watch;
        return false;
    }
    g_watch = watch;
    return true;
}

// The thread is woken only when it has nothing to watch: one that watches
// an earlier call wakes at that call's deadline and moves on to the current
// one, whose deadline is later. So a stream of short calls costs no switch
// to the thread per call.
void ArmCallWatch() {
    if (!g_watch) return;
    bool wake = false;
    {
        std::lock_guard<std::mutex> hold(g_watch->lock);
        g_watch->armed = true;
        ++g_watch->call;
        g_watch->deadline = std::chrono::steady_clock::now() + kX11CallBound;
        wake = g_watch->idle;
    }
    if (wake) g_watch->changed.notify_all();
}

void DisarmCallWatch() {
    if (!g_watch) return;
    std::lock_guard<std::mutex> hold(g_watch->lock);
    g_watch->armed = false;
}

}  // namespace kvx::platform::posix
