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

# The word size of this interpreter: only a library of the same size loads.
WORD_BITS = struct.calcsize("P") * 8


def binary_word_bits(path):
    """32 or 64 for a Windows DLL or an ELF shared object, read from its
    header; None when the file cannot be read or is of neither kind."""
    try:
        with open(path, "rb") as f:
            head = f.read(64)
            if head[:4] == b"\x7fELF" and len(head) > 4:
                return {1: 32, 2: 64}.get(head[4])
            if head[:2] != b"MZ" or len(head) < 64:
                return None
            f.seek(struct.unpack_from("<I", head, 0x3C)[0])
            pe = f.read(6)
    except OSError:
        return None
    if len(pe) < 6 or pe[:4] != b"PE\0\0":
        return None
    machine = struct.unpack_from("<H", pe, 4)[0]
    return {0x014C: 32, 0x8664: 64}.get(machine)


def _search_path():
    """Where Windows' loader would look for the DLL by name beyond its own
    folders: the working directory and PATH."""
    folders = [os.getcwd()] + os.environ.get("PATH", "").split(os.pathsep)
    return [os.path.join(folder, LIBRARY_NAME) for folder in folders if folder]


def _candidates():
    """Paths to try in order, and whether the last resort (the bare name,
    for the system loader) may follow them."""
    explicit = os.environ.get("KOLVEX_LIBRARY")
    if explicit:
        return [explicit], False
    here = os.path.dirname(os.path.abspath(__file__))
    # Beside the package: the one library, or one per word size in the
    # folders Visual Studio names its platforms after.
    beside = [os.path.join(here, LIBRARY_NAME),
              os.path.join(here, "x64" if WORD_BITS == 64 else "x86", LIBRARY_NAME)]
    found = [path for path in beside if os.path.exists(path)]
    if found:
        return found, False
    if sys.platform == "win32":
        return [path for path in _search_path() if os.path.isfile(path)], True
    return [], True


def _wrong_size_detail(paths):
    other = 32 if WORD_BITS == 64 else 64
    where = ", ".join(paths)
    if sys.platform == "win32":
        take = ("take the DLL from KolvexSdk-<version>-win%d.zip and set KOLVEX_LIBRARY to it, "
                "or run a %d-bit Python" % (WORD_BITS, other))
    else:
        take = "build the library for %d bits and set KOLVEX_LIBRARY to it" % WORD_BITS
    return ("found only the %d-bit library (%s) and this Python is %d-bit, which cannot load it: %s"
            % (other, where, WORD_BITS, take))


def open_library():
    """The library of this interpreter's word size, loaded with ctypes.

    Raises KolvexError when none loads, saying so plainly when only a
    library of the other word size was found."""
    paths, system_search = _candidates()
    wrong_size = [path for path in paths if binary_word_bits(path) not in (None, WORD_BITS)]
    to_try = [path for path in paths if path not in wrong_size]
    if system_search:
        to_try.append(LIBRARY_NAME)  # the system loader's own search
    errors = []
    for path in to_try:
        try:
            return ctypes.CDLL(path)
        except OSError as exc:
            errors.append(str(exc))
    if wrong_size:
        raise KolvexError(11, "load the library", detail=_wrong_size_detail(wrong_size))
    raise KolvexError(11, "load the library",
                      detail="cannot load %s (set KOLVEX_LIBRARY to its path): %s"
                      % (LIBRARY_NAME, "; ".join(errors) or "not found"))


def load():
    """The loaded library with its prototypes set; loaded once.

    Raises KolvexError when no library can be loaded."""
    global _library
    if _library is not None:
        return _library
    lib = open_library()
    for name, (result, arguments) in _PROTOTYPES.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    if sys.platform != "win32":
        lib.KolvexLinux_WaitMessage.restype = _INT
        lib.KolvexLinux_WaitMessage.argtypes = [_VOIDP, ctypes.c_uint, ctypes.POINTER(Message)]
    _library = lib
    return lib
