"""Finding and loading the camera library, and the C prototypes used here."""

import ctypes
import os
import struct
import sys

from .errors import KolvexError

if sys.platform == "win32":
    LIBRARY_NAME = "KolvexSdk_410QFX_ZQP.dll"
else:
    LIBRARY_NAME = "libKolvexSdk_410QFX_ZQP.so"


class FrameInfo(ctypes.Structure):
    """The frame information record posted with every frame."""

    _fields_ = [
        ("size", ctypes.c_int),
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("bitsPerPixel", ctypes.c_int),
        ("frameRate", ctypes.c_int),
        ("buffer", ctypes.c_void_p),
    ]


class Message(ctypes.Structure):
    """A message the Linux library keeps in a window value's mailbox."""

    _fields_ = [
        ("message", ctypes.c_uint),
        ("wParam", ctypes.c_size_t),
        ("lParam", ctypes.c_ssize_t),
    ]


_INT = ctypes.c_int
_PINT = ctypes.POINTER(ctypes.c_int)
_VOIDP = ctypes.c_void_p

# name: (result, argument types); every export is cdecl.
_PROTOTYPES = {
    "Kolvex_GetDllVersion": (_INT, []),
    "Kolvex_Initialize": (_INT, [_VOIDP]),
    "Kolvex_Release": (_INT, [_INT]),
    "Kolvex_GetLastError": (_INT, [_INT]),
    "Kolvex_EnumDevice": (_INT, [_INT, ctypes.c_void_p]),
    "Kolvex_GetDeviceName": (_INT, [_INT, _INT, ctypes.c_char_p, _INT]),
    "Kolvex_SetDeviceNumber": (_INT, [_INT, _INT]),
    "Kolvex_Width": (_INT, [_INT]),
    "Kolvex_Height": (_INT, [_INT]),
    "Kolvex_CallBackPreview": (_INT, [_INT, _VOIDP, _VOIDP, _INT, _INT]),
    "Kolvex_StopPreview": (_INT, [_INT]),
    "Kolvex_SnapShot": (_INT, [_INT, _VOIDP, _INT, _INT]),
    "Kolvex_GetImage": (_INT, [_INT, _VOIDP, _INT, _INT]),
    "Kolvex_SetPreviewWindow": (_INT, [_INT, _VOIDP, _INT, _INT, _INT, _INT]),
    "Kolvex_SetColorMode": (_INT, [_INT, _INT]),
    "Kolvex_GetColorMode": (_INT, [_INT]),
    "Kolvex_SetSubSample": (_INT, [_INT, _INT]),
    "Kolvex_GetSubSample": (_INT, [_INT]),
    "Kolvex_GetFilterValue": (_INT, [_INT, _INT, _PINT]),
    "Kolvex_SetFilterValue": (_INT, [_INT, _INT, _INT]),
    "Kolvex_SetRealExposureTime": (_INT, [_INT, _INT]),
    "Kolvex_GetRealExposureTime": (_INT, [_INT, _PINT]),
    "Kolvex_SetMirrorH": (_INT, [_INT, _INT]),
    "Kolvex_GetMirrorH": (_INT, [_INT]),
    "Kolvex_SetMirrorV": (_INT, [_INT, _INT]),
    "Kolvex_GetMirrorV": (_INT, [_INT]),
    "Kolvex_SetAutoIris": (_INT, [_INT, _INT]),
    "Kolvex_GetAutoIris": (_INT, [_INT, _PINT]),
    "Kolvex_SetWaitTime": (_INT, [_INT, _INT]),
    "Kolvex_GetWaitTime": (_INT, [_INT]),
    "Kolvex_GetCaptureWindowEx": (_INT, [_INT, _PINT, _PINT, _PINT, _PINT, _PINT, _PINT]),
    "Kolvex_SetCaptureWindowEx": (_INT, [_INT, _INT, _INT, _INT, _INT, _INT, _INT]),
    "Kolvex_Capture": (_INT, [_INT]),
    "Kolvex_Trigger": (_INT, [_INT, _VOIDP, _VOIDP, _INT, _INT]),
    "Kolvex_SaveImage": (_INT, [_INT, ctypes.c_char_p, _INT]),
    "Kolvex_Record": (_INT, [_INT, ctypes.c_char_p, _INT, _INT]),
}

_library = None


def _candidates():
    explicit = os.environ.get("KOLVEX_LIBRARY")
    if explicit:
        return [explicit]
    beside = os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY_NAME)
    if os.path.exists(beside):
        return [beside]
    return [LIBRARY_NAME]  # the system loader's search


def load():
    """The loaded library with its prototypes set; loaded once.

    Raises KolvexError when no library can be loaded."""
    global _library
    if _library is not None:
        return _library
    if sys.platform == "win32" and struct.calcsize("P") != 4:
        raise KolvexError(11, "load the library",
                          detail="the camera library is a 32-bit DLL: run a 32-bit Python")
    errors = []
    for path in _candidates():
        try:
            lib = ctypes.CDLL(path)
            break
        except OSError as exc:
            errors.append(str(exc))
    else:
        raise KolvexError(11, "load the library",
                          detail="cannot load %s (set KOLVEX_LIBRARY to its path): %s"
                          % (LIBRARY_NAME, "; ".join(errors)))
    for name, (result, arguments) in _PROTOTYPES.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    if sys.platform != "win32":
        lib.KolvexLinux_WaitMessage.restype = _INT
        lib.KolvexLinux_WaitMessage.argtypes = [_VOIDP, ctypes.c_uint, ctypes.POINTER(Message)]
    _library = lib
    return lib
