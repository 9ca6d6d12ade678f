/*
 * KolvexSdkLinux.h - what a Linux application needs beyond KolvexSdk.h.
 *
 * Linux has no window message queues: the library keeps the messages it
 * posts (KOLVEX_WM_FRAME, KOLVEX_WM_ERROR) in a mailbox per window value,
 * and the application collects them here.  Any value unique in the process
 * will do as a window.
 */
#ifndef KOLVEX_SDK_LINUX_H
#define KOLVEX_SDK_LINUX_H

#include <stdint.h>

#include "KolvexSdk.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KolvexMessage {
    unsigned int message; /* KOLVEX_WM_FRAME or KOLVEX_WM_ERROR */
    uintptr_t wParam;
    intptr_t lParam;
} KolvexMessage;

/* Takes the oldest message posted to `window`, waiting up to timeoutMs for
 * one.  1 when a message was taken, 0 on time-out or a null `message`. */
KOLVEX_API int KOLVEX_CALL KolvexLinux_WaitMessage(KolvexWindow window, unsigned int timeoutMs,
                                                   KolvexMessage *message);

#ifdef __cplusplus
}
#endif

#endif /* KOLVEX_SDK_LINUX_H */
