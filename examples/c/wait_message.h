/*
 * wait_message.h - waiting for the messages the library posts, the same way
 * on Windows and Linux, for programs that need no window of their own.
 * wait_message_windows.c and wait_message_linux.c implement it.
 */
#ifndef WAIT_MESSAGE_H
#define WAIT_MESSAGE_H

#include <stdint.h>

#include <KolvexSdk.h>

typedef struct PostedMessage {
    unsigned int message; /* KOLVEX_WM_FRAME or KOLVEX_WM_ERROR */
    uintptr_t wParam;
    intptr_t lParam;
} PostedMessage;

/* A window to give the library as application or callback window; NULL
 * when none can be made. */
KolvexWindow open_message_window(void);
/* Drops what is still queued for the window and closes it. */
void close_message_window(KolvexWindow window);
/* The oldest message posted to the window, waiting up to timeout_ms for
 * one: 1, or 0 when none came. Call it on the thread that opened the
 * window (Windows queues a window's messages on that thread). */
int wait_message(KolvexWindow window, unsigned int timeout_ms, PostedMessage *message);

#endif
