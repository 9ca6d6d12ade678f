"""Python interface to the Kolvex410QFX-ZQP camera SDK.

A thin layer over the C library: one Camera per camera handle, frames as
numpy arrays, and KolvexError (with the library's error code and its
meaning) for every failure::

    import kolvex
    with kolvex.Camera(device=0, persist=False) as cam:
        cam.color_mode = 24
        cam.exposure_us = 20000
        img = cam.snapshot()          # (height, width, 3) uint8, BGR
        for frame in cam.stream(frames=10):
            print(frame.mean())

Settings persist: the library stores the parameters marked kept in
``Camera.parameters`` per camera when a camera is closed, and every later
program starts with them. ``persist=False`` puts them back as they were
found when the camera closes.
"""

import collections
import ctypes
import os
import time
import warnings

import numpy as np

from . import _library, _messages, _parameters, _recording
from ._parameters import Parameter
from ._recording import Recording
from .errors import ARGUMENT, PATH, KolvexError, codes_to_report, meaning, remedy

__all__ = ["Camera", "CameraInfo", "KolvexError", "PARAMETERS", "Parameter", "Recording", "frame_array",
           "list_cameras", "meaning", "remedy", "version"]
#: The release; kolvex-cli --version and the library's number belong to it.
__version__ = "1.0.0"

#: Every parameter by the name kolvex-cli gives it, with its range, default,
#: unit and whether the camera keeps it (the table kolvex-cli compiles in).
PARAMETERS = _parameters.TABLE

CameraInfo = collections.namedtuple("CameraInfo", "device name state")
CameraInfo.__doc__ = """A camera present: its device number, its name ("Kolvex410QFX-ZQP_07" for
    device 6, as Camera(6).name) and its state, "free" or "in use" (by
    another camera object, in this program or another)."""

# Bits per pixel -> (numpy sample type, channels).
_LAYOUTS = {
    8: (np.uint8, 1),
    16: (np.uint16, 1),
    24: (np.uint8, 3),
    32: (np.uint8, 4),
    48: (np.uint16, 3),
    64: (np.uint16, 4),
}

_DEVICE_NUMBERS = 32
_MOST_FRAMES = 100000000

# Still image formats by file extension, as kolvex-cli chooses them.
_FILE_FORMATS = {".bmp": 0, ".raw": 1, ".jpg": 2, ".jpeg": 2, ".png": 5, ".tif": 6, ".tiff": 6}

_FRAME_WAIT_MS = 10000
_ERR_PATH = 12
_ERR_DEVICE_LOST = 13


def version():
    """The library's version number, 28443935 (0x01B2051F) for release
    __version__.

    >>> hex(version())
    '0x1b2051f'
    """
    return _library.load().Kolvex_GetDllVersion()


def _forget(lib, handle):
    while lib.Kolvex_GetLastError(handle):
        pass


def _claimed_elsewhere(lib, handle):
    # The library has no question for "in use": an on-demand capture start
    # claims the device in the shared device table, or is refused with code
    # 2 while another camera object holds it. Quarter-size 8-bit frames keep
    # the start small; neither setting is one the camera keeps.
    color, subsample = _parameters.read(lib, handle, PARAMETERS["color"])[0], lib.Kolvex_GetSubSample(handle)
    lib.Kolvex_SetColorMode(handle, 8)
    lib.Kolvex_SetSubSample(handle, 1)
    busy = False
    if lib.Kolvex_Capture(handle):
        lib.Kolvex_StopPreview(handle)
    else:
        busy = 2 in _drain_codes(lib, handle)
    lib.Kolvex_SetColorMode(handle, color)
    lib.Kolvex_SetSubSample(handle, subsample)
    _forget(lib, handle)
    return busy


def _drain_codes(lib, handle):
    codes = []
    while True:
        code = lib.Kolvex_GetLastError(handle)
        if not code:
            return codes
        codes.append(code)


def list_cameras():
    """The cameras present, as kolvex-cli lists them: CameraInfo(device,
    name, state) records, e.g. [CameraInfo(device=0,
    name="Kolvex410QFX-ZQP_01", state="free")]."""
    lib = _library.load()
    handle = lib.Kolvex_Initialize(None)
    if not handle:
        raise KolvexError(5, "list cameras")
    try:
        names = (ctypes.c_char * 256 * 10)()
        lib.Kolvex_EnumDevice(handle, names)  # probes every device number
        found = []
        name = ctypes.create_string_buffer(32)
        for device in range(_DEVICE_NUMBERS):
            if lib.Kolvex_GetDeviceName(handle, device, name, len(name)):
                found.append((device, name.value.decode("latin-1")))
        _forget(lib, handle)
        cameras = []
        for device, name in found:
            busy = not lib.Kolvex_SetDeviceNumber(handle, device) or _claimed_elsewhere(lib, handle)
            cameras.append(CameraInfo(device, name, "in use" if busy else "free"))
        _forget(lib, handle)
        return cameras
    finally:
        lib.Kolvex_Release(handle)


def _path_argument(path, operation, device):
    """A path as bytes for the library; KolvexError 9 for what is no path
    or cannot be one (a NUL would cut it short)."""
    try:
        encoded = os.fsencode(path)
    except TypeError:
        raise KolvexError(ARGUMENT, operation, device, detail="a file name is needed, not %r" % (path,)) from None
    if b"\0" in encoded:
        raise KolvexError(ARGUMENT, operation, device, detail="a file name cannot hold a NUL character")
    return os.fsdecode(encoded), encoded


def _why_unwritable(path):
    """What the file system says against writing `path`: the library records
    no cause when a still writer cannot create its file."""
    if os.path.isdir(path):
        return "it is a folder"
    folder = os.path.dirname(path) or "."
    if not os.path.exists(folder):
        return "the folder %s does not exist" % folder
    if not os.path.isdir(folder):
        return "%s is not a folder" % folder
    if not os.access(folder, os.W_OK):
        return "no permission to write in %s" % folder
    return "the file system refused it"


def frame_array(buffer, width, height, bits_per_pixel):
    """A numpy view of a frame buffer (rows top first, each padded to 4
    bytes) without the padding: (H, W) for 8 and 16 bits per pixel,
    (H, W, channels) otherwise; 16-bit samples for 16, 48 and 64.

    >>> buffer = np.arange(2 * 8, dtype=np.uint8)  # two rows of 5 pixels, 3 bytes of padding each
    >>> frame_array(buffer, 5, 2, 8)
    array([[ 0,  1,  2,  3,  4],
           [ 8,  9, 10, 11, 12]], dtype=uint8)
    """
    sample, channels = _LAYOUTS[bits_per_pixel]
    row_bytes = width * bits_per_pixel // 8
    stride = (row_bytes + 3) & ~3
    rows = np.frombuffer(buffer, dtype=np.uint8, count=stride * height).reshape(height, stride)
    pixels = rows[:, :row_bytes].view(sample)
    return pixels.reshape(height, width) if channels == 1 else pixels.reshape(height, width, channels)


def _parameter_property(name, doc):
    def getter(self):
        return self.get(name)

    def setter(self, value):
        self.set(name, value)

    return property(getter, setter, doc=doc)


class Camera:
    """One camera of the library, opened on a device number (0 to 31).

    Use it as a context manager, or call close(): the camera handle is
    released on exit. Opening a device where no camera answers raises
    KolvexError (code 2). The preview window is off unless a method is
    asked for it.

    Settings persist: when the camera closes, the library stores every
    parameter marked kept in Camera.parameters, and later programs start
    with them. With persist=False the camera puts those parameters back as
    it found them when it closes, so a program leaves no trace."""

    #: Every parameter by name, with its range, default, unit and whether
    #: the camera keeps it: the table kolvex-cli's `params` lists.
    parameters = PARAMETERS

    def __init__(self, device=0, persist=True):
        self._handle = 0
        self._found = []
        self.device = _parameters.whole(device, "device", 0, _DEVICE_NUMBERS - 1)
        self._lib = _library.load()
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
            if not persist:
                self._found = [(row, self.get(row.name)) for row in PARAMETERS.values()
                               if row.kept and not row.view_of]
        except BaseException:
            self.close()
            raise

    # --- lifetime ---------------------------------------------------------

    def close(self):
        """Stops acquisition, puts the settings back when the camera was
        opened with persist=False, and releases the camera; safe to call
        twice."""
        if self._handle:
            self._lib.Kolvex_StopPreview(self._handle)
            for row, value in self._found:
                _parameters.write(self._lib, self._handle, row, value)
            self._found = []
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
        return _drain_codes(self._lib, self._handle)

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

    # --- parameters -------------------------------------------------------

    def get(self, name):
        """A parameter's value, by the name kolvex-cli uses ("gamma",
        "exposure-us", ...; Camera.parameters lists them) or by filter
        identifier (1 to 28)."""
        row = _parameters.find(name)
        value, ok = _parameters.read(self._lib, self._live(), row)
        self._check(ok, "get " + row.name)
        return value

    def set(self, name, value):
        """Changes a parameter (see get()). A value outside the parameter's
        range is refused before the library sees it. Parameters marked kept
        are stored for later sessions when the camera closes, unless it was
        opened with persist=False."""
        row = _parameters.find(name)
        number = _parameters.accepted(row, value)
        if not _parameters.write(self._lib, self._live(), row, number):
            codes = codes_to_report(self._drain()) or [ARGUMENT]
            # The range of some parameters narrows with the capture window.
            raise KolvexError(codes[0], "set %s to %d" % (row.name, number), self.device, codes,
                              detail="the camera refused %d for %s (%s; now %d)"
                              % (number, row.name, meaning(codes[0], self.device), self.get(row.name)))

    color_mode = _parameter_property("color", """Bits per pixel of the frames: 8, 16, 24, 32, 48 or 64.
        8 is the raw Bayer mosaic, one byte per sensor site (gray when the
        "gray-mode" parameter is 2); 16 the mosaic's samples with 12
        significant bits; 24 and 32 BGR(A); 48 and 64 BGR(A) with 12-bit
        samples in 16. Not kept: each Camera starts with the stored mode.""")
    subsample = _parameter_property("subsample", """1 when every other pixel and line is read (half
        width and height), else 0.""")
    exposure_us = _parameter_property("exposure-us", """Exposure time in microseconds, cut to whole
        sensor lines (kept).""")
    gain = _parameter_property("global-gain", """The sensor's gain, 0 to 480 (kept).""")
    mirror_h = _parameter_property("mirror-h", """1 flips the picture left to right (kept).""")
    mirror_v = _parameter_property("mirror-v", """1 flips the picture upside down (kept).""")

    @property
    def capture_window(self):
        """The part of the 2048 x 1536 sensor that is read: (x, y, width,
        height). Set all four at once; not kept."""
        _, x, width, _, y, height = _parameters.capture_window(self._lib, self._live())
        return x, y, width, height

    @capture_window.setter
    def capture_window(self, window):
        try:
            x, y, width, height = window
        except (TypeError, ValueError):
            raise KolvexError(ARGUMENT, "capture window", self.device,
                              detail="capture_window takes (x, y, width, height), not %r" % (window,)) from None
        values = [_parameters.accepted(PARAMETERS[name], v)
                  for name, v in zip(("window-x", "window-y", "window-width", "window-height"), window)]
        x, y, width, height = values
        handle = self._live()
        totals = _parameters.capture_window(self._lib, handle)
        self._check(self._lib.Kolvex_SetCaptureWindowEx(handle, totals[0], x, width, totals[3], y, height),
                    "capture window %r" % (tuple(values),))

    @property
    def frame_size(self):
        """(width, height) of the frames the camera delivers now."""
        divisor = 2 if self.subsample else 1
        handle = self._live()
        return self._lib.Kolvex_Width(handle) // divisor, self._lib.Kolvex_Height(handle) // divisor

    # --- frames -----------------------------------------------------------

    def _new_frame(self, width, height, bits):
        stride = (width * bits // 8 + 3) & ~3
        return np.empty(stride * height, dtype=np.uint8)

    def snapshot(self):
        """Takes one frame and returns it as a numpy array, top row first:
        8: (H, W) uint8; 16: (H, W) uint16; 24: (H, W, 3) uint8 BGR;
        32: (H, W, 4) uint8; 48: (H, W, 3) uint16; 64: (H, W, 4) uint16.
        Deep samples carry the camera's 12 significant bits; 8 and 16 are
        the raw Bayer mosaic unless gray-mode says otherwise (color_mode)."""
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
        there is none yet. A file that cannot be written raises KolvexError
        12 saying why."""
        path, encoded = _path_argument(path, "save", self.device)
        operation = "save " + path
        extension = os.path.splitext(path)[1].lower()
        if extension not in _FILE_FORMATS:
            raise KolvexError(ARGUMENT, operation, self.device,
                              detail="the extension chooses the format: .bmp, .jpg, .png, .tif or .raw")
        handle = self._live()
        if os.path.isdir(path):
            raise KolvexError(PATH, operation, self.device, detail="cannot write %s: it is a folder" % path)
        if self._lib.Kolvex_SaveImage(handle, encoded, _FILE_FORMATS[extension]):
            return path
        # Code 1 alone: no frame yet. Anything else is the library's cause.
        codes = codes_to_report(self._drain())
        if codes == [1]:
            self.snapshot()
            if self._lib.Kolvex_SaveImage(handle, encoded, _FILE_FORMATS[extension]):
                return path
            codes = codes_to_report(self._drain())
        if codes:
            raise KolvexError(codes[0], operation, self.device, codes)
        # The writers record nothing when they cannot create the file.
        raise KolvexError(PATH, operation, self.device,
                          detail="cannot write %s: %s" % (path, _why_unwritable(path)))

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
        path, encoded = _path_argument(path, "record", self.device)
        seconds = _parameters.seconds(seconds, "seconds")
        if not path.lower().endswith(".avi"):
            warnings.warn("%s does not end in .avi; it will hold an AVI file all the same" % path, stacklevel=2)
        handle = self._live()
        self._show_window(window)
        history = []  # newest first
        started = None
        try:
            self._check(self._lib.Kolvex_Record(handle, encoded, int(seconds * 1000),
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

    def stream(self, frames=None, seconds=None, window=False, trigger=False):
        """Yields frames as they arrive (arrays as snapshot() returns them),
        until `frames` were delivered or `seconds` have passed; without
        either, until the loop stops. `window` shows the preview window.
        With `trigger` the camera waits for its trigger input and a frame
        comes with each pulse.

        Frames that arrive while the loop body runs are skipped, never
        queued, so a slow consumer always sees the newest frame."""
        if frames is not None:
            frames = _parameters.whole(frames, "frames", 1, _MOST_FRAMES)
        if seconds is not None:
            seconds = _parameters.seconds(seconds, "seconds")
        self._live()
        return self._frames(frames, seconds, window, trigger)

    def _frames(self, frames, seconds, window, trigger):
        handle = self._live()
        self._show_window(window)
        mailbox = _messages.open_window(self._lib)
        try:
            start = self._lib.Kolvex_Trigger if trigger else self._lib.Kolvex_CallBackPreview
            self._check(start(handle, mailbox.handle, None, 0, 0), "stream")
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
                    if trigger:
                        continue  # pulses come when they come
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
