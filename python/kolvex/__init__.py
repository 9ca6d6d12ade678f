"""Python interface to the Kolvex410QFX-ZQP camera SDK.

A thin layer over the C library: one Camera per camera handle, frames as
numpy arrays, and KolvexError (with the library's error code and its
meaning) for every failure::

    import kolvex
    with kolvex.Camera(device=0) as cam:
        cam.color_mode = 24
        img = cam.snapshot()          # (height, width, 3) uint8, BGR
        for frame in cam.stream(frames=10):
            print(frame.mean())
"""

import ctypes
import os
import time
import warnings

import numpy as np

from . import _library, _messages, _recording
from ._recording import Recording
from .errors import KolvexError, codes_to_report, meaning, remedy

__all__ = ["Camera", "KolvexError", "PARAMETERS", "Recording", "frame_array", "list_cameras", "meaning", "remedy",
           "version"]
__version__ = "1.0.0"

#: Parameter names, as kolvex-cli spells them, by identifier (1 to 28).
PARAMETERS = (
    "brightness", "contrast", "hue", "saturation", "sharpness",
    "bayer-gain-rgb", "bayer-gain-red", "bayer-gain-green", "bayer-gain-blue", "bayer-gain-auto",
    "gamma", "bayer-mode", "global-gain", "color-gain-red", "color-gain-green1",
    "color-gain-green2", "color-gain-blue", "exposure-lines", "gray-mode", "gray-gain-r",
    "gray-gain-g1", "gray-gain-g2", "gray-gain-b", "gray-offset-r", "gray-offset-g1",
    "gray-offset-g2", "gray-offset-b", "gray-balance",
)

# Bits per pixel -> (numpy sample type, channels).
_LAYOUTS = {
    8: (np.uint8, 1),
    16: (np.uint16, 1),
    24: (np.uint8, 3),
    32: (np.uint8, 4),
    48: (np.uint16, 3),
    64: (np.uint16, 4),
}
# What Kolvex_GetColorMode answers for each depth.
_REPORTED_DEPTHS = {8: 8, 12: 16, 24: 24, 32: 32, 44: 48, 60: 64}

# Still image formats by file extension, as kolvex-cli chooses them.
_FILE_FORMATS = {".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6}

_FRAME_WAIT_MS = 10000
_ERR_PATH = 12
_ERR_DEVICE_LOST = 13


def version():
    """The library's version number (28443935 is 0x01B2051F)."""
    return _library.load().Kolvex_GetDllVersion()


def list_cameras():
    """The names of the cameras present, e.g. ["Kolvex410QFX-ZQP_01"]."""
    lib = _library.load()
    handle = lib.Kolvex_Initialize(None)
    if not handle:
        raise KolvexError(5, "list cameras")
    try:
        names = (ctypes.c_char * 256 * 10)()
        count = lib.Kolvex_EnumDevice(handle, names)
        return [names[i].value.decode("latin-1") for i in range(max(0, min(count, 10)))]
    finally:
        lib.Kolvex_Release(handle)


def frame_array(buffer, width, height, bits_per_pixel):
    """A numpy view of a frame buffer (rows top first, each padded to 4
    bytes) without the padding: (H, W) for 8 and 16 bits per pixel,
    (H, W, channels) otherwise; 16-bit samples for 16, 48 and 64."""
    sample, channels = _LAYOUTS[bits_per_pixel]
    row_bytes = width * bits_per_pixel // 8
    stride = (row_bytes + 3) & ~3
    rows = np.frombuffer(buffer, dtype=np.uint8, count=stride * height).reshape(height, stride)
    pixels = rows[:, :row_bytes].view(sample)
    return pixels.reshape(height, width) if channels == 1 else pixels.reshape(height, width, channels)


class Camera:
    """One camera of the library, opened on a device number.

    Use it as a context manager, or call close(): the camera handle is
    released on exit. Opening a device where no camera answers raises
    KolvexError (code 2). The preview window is off unless a method is
    asked for it."""

    def __init__(self, device=0):
        self._lib = _library.load()
        self.device = int(device)
        self._handle = self._lib.Kolvex_Initialize(None)
        if not self._handle:
            raise KolvexError(5, "open device %d" % self.device, self.device)
        try:
            if self.device != 0:
                self._check(self._lib.Kolvex_SetDeviceNumber(self._handle, self.device),
                            "open device %d" % self.device)
                self._drain()  # initialisation's word about device 0 no longer matters
            name = ctypes.create_string_buffer(32)
            self._check(self._lib.Kolvex_GetDeviceName(self._handle, self.device, name, len(name)),
                        "open device %d" % self.device, default=2)
            self.name = name.value.decode("latin-1")
            self._drain()
            self._lib.Kolvex_SetPreviewWindow(self._handle, None, 0, 0, 0, 0)
        except BaseException:
            self.close()
            raise

    # --- lifetime ---------------------------------------------------------

    def close(self):
        """Stops acquisition and releases the camera; safe to call twice."""
        if self._handle:
            self._lib.Kolvex_StopPreview(self._handle)
            self._lib.Kolvex_Release(self._handle)
            self._handle = 0

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass

    # --- errors -----------------------------------------------------------

    def _drain(self):
        codes = []
        while True:
            code = self._lib.Kolvex_GetLastError(self._handle)
            if not code:
                return codes
            codes.append(code)

    def _check(self, result, operation, default=None):
        """Raises KolvexError when a call returned 0, with the cause the
        library recorded (`default` when it recorded none)."""
        if result:
            return result
        history = self._drain()
        codes = codes_to_report(history)
        code = codes[0] if codes else (default or 1)
        raise KolvexError(code, operation, self.device, codes or [code])

    def _live(self):
        if not self._handle:
            raise KolvexError(1, "use a closed camera", self.device)
        return self._handle

    # --- format -----------------------------------------------------------

    @property
    def color_mode(self):
        """Bits per pixel of the frames: 8, 16, 24, 32, 48 or 64."""
        reported = self._lib.Kolvex_GetColorMode(self._live())
        return _REPORTED_DEPTHS.get(reported, reported)

    @color_mode.setter
    def color_mode(self, bits):
        if bits not in _LAYOUTS:
            raise KolvexError(9, "color mode", self.device,
                              detail="color_mode takes 8, 16, 24, 32, 48 or 64, not %r" % (bits,))
        self._check(self._lib.Kolvex_SetColorMode(self._live(), int(bits)), "color mode")

    @property
    def subsample(self):
        """1 when every other pixel and line is read (half size), else 0."""
        return self._lib.Kolvex_GetSubSample(self._live())

    @subsample.setter
    def subsample(self, half):
        self._check(self._lib.Kolvex_SetSubSample(self._live(), int(half)), "subsample", default=9)

    @property
    def frame_size(self):
        """(width, height) of the frames the camera delivers now."""
        divisor = 2 if self.subsample else 1
        handle = self._live()
        return self._lib.Kolvex_Width(handle) // divisor, self._lib.Kolvex_Height(handle) // divisor

    # --- parameters -------------------------------------------------------

    @staticmethod
    def _parameter_id(name):
        if isinstance(name, int) and 1 <= name <= len(PARAMETERS):
            return name
        if isinstance(name, str) and name in PARAMETERS:
            return PARAMETERS.index(name) + 1
        raise KolvexError(9, "parameter", detail="unknown parameter %r; known: %s"
                          % (name, ", ".join(PARAMETERS)))

    def get(self, name):
        """A parameter's value, by the name kolvex-cli uses ("gamma") or by
        identifier (1 to 28)."""
        ident = self._parameter_id(name)
        ok = ctypes.c_int(0)
        value = self._lib.Kolvex_GetFilterValue(self._live(), ident, ctypes.byref(ok))
        self._check(ok.value, PARAMETERS[ident - 1])
        return value

    def set(self, name, value):
        """Changes a parameter (see get()); the camera keeps it for later
        sessions."""
        ident = self._parameter_id(name)
        self._check(self._lib.Kolvex_SetFilterValue(self._live(), ident, int(value)),
                    "set %s to %d" % (PARAMETERS[ident - 1], int(value)), default=9)

    # --- frames -----------------------------------------------------------

    def _new_frame(self, width, height, bits):
        stride = (width * bits // 8 + 3) & ~3
        return np.empty(stride * height, dtype=np.uint8)

    def snapshot(self):
        """Takes one frame and returns it as a numpy array, top row first:
        8: (H, W) uint8; 16: (H, W) uint16; 24: (H, W, 3) uint8 BGR;
        32: (H, W, 4) uint8; 48: (H, W, 3) uint16; 64: (H, W, 4) uint16.
        Deep samples carry the camera's 12 significant bits."""
        handle = self._live()
        width, height = self.frame_size
        bits = self.color_mode
        buffer = self._new_frame(width, height, bits)
        self._check(self._lib.Kolvex_SnapShot(handle, buffer.ctypes.data, buffer.size, 0), "snapshot")
        return frame_array(buffer, width, height, bits)

    def save(self, path):
        """Saves the last frame as a still image, the format chosen by the
        extension as kolvex-cli does: .bmp, .jpg/.jpeg (quality 100), .png,
        .tif/.tiff, or .raw (the pixel memory). Takes a frame first when
        there is none yet."""
        path = os.fspath(path)
        extension = os.path.splitext(path)[1].lower()
        if extension not in _FILE_FORMATS:
            raise KolvexError(9, "save " + path, self.device,
                              detail="the extension chooses the format: .bmp, .jpg, .png, .tif or .raw")
        handle = self._live()
        encoded = os.fsencode(path)
        if not self._lib.Kolvex_SaveImage(handle, encoded, _FILE_FORMATS[extension]):
            self._drain()
            self.snapshot()
            self._check(self._lib.Kolvex_SaveImage(handle, encoded, _FILE_FORMATS[extension]),
                        "save " + path)
        return path

    def record(self, path, seconds=2.0, window=False):
        """Records `seconds` of live video, counted from the first frame in
        the file, into an uncompressed 24-bit AVI file of any length, and
        returns as soon as the recording ends with a Recording: the path,
        the frames written and the rate measured while recording. The file
        gets that name whatever its extension (with a warning when it is
        not .avi). `window` shows the preview window while recording.

        Raises KolvexError 12 when a write failed (a full disk, a file size
        limit): the file is finished with every whole frame, the message
        says which, and the error's `recording` describes the file."""
        path = os.fspath(path)
        if not seconds > 0:
            raise KolvexError(9, "record", self.device, detail="seconds must be positive")
        if not path.lower().endswith(".avi"):
            warnings.warn("%s does not end in .avi; it will hold an AVI file all the same" % path, stacklevel=2)
        handle = self._live()
        self._show_window(window)
        history = []  # newest first
        started = None
        try:
            self._check(self._lib.Kolvex_Record(handle, os.fsencode(path), int(min(seconds * 1000, 2 ** 31 - 1)),
                                                1 if window else 0), "record " + path)
            headers = os.path.getsize(path)
            waited = time.monotonic()
            # The library says nothing when a recording's time is up, only
            # when a write failed (12) or the camera went away (13).
            while started is None or time.monotonic() - started < seconds:
                time.sleep(0.05)
                history[:0] = self._drain()
                if _ERR_PATH in history or _ERR_DEVICE_LOST in history:
                    break
                if started is None and os.path.getsize(path) > headers:
                    started = time.monotonic()
                if started is None and time.monotonic() - waited > _FRAME_WAIT_MS / 1000:
                    break
        finally:
            self._lib.Kolvex_StopPreview(handle)
            self._show_window(False)
        history[:0] = self._drain()
        result = _recording.read_recording(path)
        operation = "record " + path
        if _ERR_PATH in history and result is not None:
            error = KolvexError(_ERR_PATH, operation, self.device, detail="the recording stopped after %d frames: %s"
                                % (result.frames, _recording.cut_short_reason(path)))
            error.recording = result  # what the file holds all the same
            raise error
        codes = codes_to_report(history)
        if codes:
            raise KolvexError(codes[0], operation, self.device, codes)
        if started is None or result is None:
            raise KolvexError(8, operation, self.device)
        return result

    def stream(self, frames=None, seconds=None, window=False):
        """Yields frames as they arrive (arrays as snapshot() returns them),
        until `frames` were delivered or `seconds` have passed; without
        either, until the loop stops. `window` shows the preview window.

        Frames that arrive while the loop body runs are skipped, never
        queued, so a slow consumer always sees the newest frame."""
        handle = self._live()
        self._show_window(window)
        mailbox = _messages.open_window(self._lib)
        try:
            self._check(self._lib.Kolvex_CallBackPreview(handle, mailbox.handle, None, 0, 0), "stream")
            deadline = None if seconds is None else time.monotonic() + seconds
            delivered = 0
            while frames is None or delivered < frames:
                left_ms = _FRAME_WAIT_MS
                if deadline is not None:
                    left_ms = min(left_ms, (deadline - time.monotonic()) * 1000)
                    if left_ms <= 0:
                        return
                message = mailbox.wait(left_ms)
                if message is None:
                    if left_ms < _FRAME_WAIT_MS:
                        return  # the time asked for is up
                    raise KolvexError(8, "stream", self.device)
                kind, wparam, lparam = message
                if kind != _messages.WM_FRAME:
                    continue
                if not wparam:
                    raise KolvexError(lparam or 8, "stream", self.device)
                info = _library.FrameInfo.from_address(wparam)
                width, height, bits = info.width, info.height, info.bitsPerPixel
                # The image is copied out under the library's frame lock,
                # so it is never a mix of two frames.
                buffer = self._new_frame(width, height, bits)
                self._check(self._lib.Kolvex_GetImage(handle, buffer.ctypes.data, buffer.size, 0), "stream")
                delivered += 1
                yield frame_array(buffer, width, height, bits)
                # Frames announced while the caller worked are older than
                # the next one; only their errors matter.
                while True:
                    queued = mailbox.wait(0)
                    if queued is None:
                        break
                    if queued[0] == _messages.WM_FRAME and not queued[1]:
                        raise KolvexError(queued[2] or 8, "stream", self.device)
        finally:
            if self._handle:
                self._lib.Kolvex_StopPreview(self._handle)
                self._show_window(False)
            mailbox.close()

    def _show_window(self, show):
        # The default placement: a top-level window of the frame's size.
        right, bottom = (2048, 1536) if show else (0, 0)
        self._check(self._lib.Kolvex_SetPreviewWindow(self._live(), None, 0, 0, right, bottom), "preview window")
