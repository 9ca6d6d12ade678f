/**
 * @file KolvexSdkLinux.h
 * What a Linux application needs beyond KolvexSdk.h.
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

/** A message the library posted, as a window procedure would receive it. */
typedef struct KolvexMessage {
    unsigned int message; /**< KOLVEX_WM_FRAME or KOLVEX_WM_ERROR */
    uintptr_t wParam;     /**< the message's wParam: a KolvexFrameInfo* for a frame */
    intptr_t lParam;      /**< the message's lParam: an error code */
} KolvexMessage;

/** Takes the oldest message posted to a window value, waiting for one if none is there.
 * The mailbox holds up to 10,000 messages, as a Windows message queue does;
 * what is posted to a full one is dropped.
 * @param window the value given to Kolvex_Initialize, Kolvex_CallBackPreview
 *        or Kolvex_Trigger.
 * @param timeoutMs how long to wait for a message, in milliseconds; 0 only looks.
 * @param message receives the message.
 * @return 1 when a message was taken, 0 on time-out or a NULL message.
 * @errors none.
 * @threads any thread; each message is taken once, by one of the threads
 *          waiting on the window value.
 */
KOLVEX_API int KOLVEX_CALL KolvexLinux_WaitMessage(KolvexWindow window, unsigned int timeoutMs,
                                                   KolvexMessage *message);

#ifdef __cplusplus
}
#endif

#endif /* KOLVEX_SDK_LINUX_H */
