"""A window value for the library to post frames and errors to.

Linux: the library keeps posted messages in a mailbox per window value,
collected with KolvexLinux_WaitMessage. Windows: a hidden message-only
window of this thread, whose queue is pumped while waiting.
"""

import ctypes
import itertools
import sys
import time

from . import _library

WM_FRAME = 0x8002
WM_ERROR = 0x8003

_serial = itertools.count(1)


class _MailboxWindow:
    def __init__(self, lib):
        self._lib = lib
        # Any value unique in the process will do; odd, so it is never an
        # address the library hands out.
        self.handle = ctypes.c_void_p((0x4B560000 + next(_serial)) * 2 + 1)

    def wait(self, timeout_ms):
        message = _library.Message()
        if not self._lib.KolvexLinux_WaitMessage(self.handle, int(timeout_ms), ctypes.byref(message)):
            return None
        return message.message, message.wParam, message.lParam

    def close(self):
        while self.wait(0) is not None:
            pass


class _Win32Window:
    PM_REMOVE = 1
    HWND_MESSAGE = -3
    QS_ALLINPUT = 0x04FF

    def __init__(self, lib):
        from ctypes import wintypes

        self._user32 = ctypes.WinDLL("user32", use_last_error=True)
        u = self._user32
        u.CreateWindowExA.restype = wintypes.HWND
        u.CreateWindowExA.argtypes = [wintypes.DWORD, ctypes.c_char_p, ctypes.c_char_p, wintypes.DWORD,
                                      ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                      wintypes.HWND, wintypes.HMENU, wintypes.HINSTANCE, wintypes.LPVOID]
        u.PeekMessageA.argtypes = [ctypes.POINTER(wintypes.MSG), wintypes.HWND, wintypes.UINT,
                                   wintypes.UINT, wintypes.UINT]
        u.DispatchMessageA.argtypes = [ctypes.POINTER(wintypes.MSG)]
        u.TranslateMessage.argtypes = [ctypes.POINTER(wintypes.MSG)]
        u.DestroyWindow.argtypes = [wintypes.HWND]
        u.MsgWaitForMultipleObjects.argtypes = [wintypes.DWORD, ctypes.c_void_p, wintypes.BOOL,
                                                wintypes.DWORD, wintypes.DWORD]
        self._msg_type = wintypes.MSG
        # The system's own "Static" class: no window procedure of ours to
        # keep alive, and a message-only parent keeps it off the screen.
        self.hwnd = u.CreateWindowExA(0, b"Static", b"kolvex", 0, 0, 0, 0, 0,
                                      wintypes.HWND(self.HWND_MESSAGE), None, None, None)
        if not self.hwnd:
            raise OSError(ctypes.get_last_error(), "cannot create a message window")
        self.handle = ctypes.c_void_p(self.hwnd)

    def wait(self, timeout_ms):
        u = self._user32
        msg = self._msg_type()
        deadline = time.monotonic() + timeout_ms / 1000.0
        while True:
            while u.PeekMessageA(ctypes.byref(msg), None, 0, 0, self.PM_REMOVE):
                if msg.hWnd == self.hwnd and msg.message >= 0x8000:
                    return msg.message, msg.wParam or 0, msg.lParam
                u.TranslateMessage(ctypes.byref(msg))
                u.DispatchMessageA(ctypes.byref(msg))
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            u.MsgWaitForMultipleObjects(0, None, False, int(left * 1000) + 1, self.QS_ALLINPUT)

    def close(self):
        if self.hwnd:
            self._user32.DestroyWindow(self.hwnd)
            self.hwnd = None


def open_window(lib):
    """A fresh window value and a way to wait for what is posted to it:
    .handle, .wait(timeout_ms) -> (message, wParam, lParam) or None, .close()."""
    if sys.platform == "win32":
        return _Win32Window(lib)
    return _MailboxWindow(lib)
