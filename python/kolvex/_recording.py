"""What record() hands back, read from the recording's own headers, and how
it follows the file while the library writes it."""

import collections
import os
import shutil
import struct

from .errors import recording_cut_short


class Recording(collections.namedtuple(
        "Recording", "path frames width height frames_per_second seconds bytes")):
    """A finished recording: the file, the frames it holds, their size, the
    rate the library measured while recording (what players show), the time
    the frames span at that rate, and the file's length. Usable as the path
    itself (os.fspath, open)."""

    __slots__ = ()

    def __fspath__(self):
        return self.path


def read_recording(path):
    """The Recording the headers of `path` describe, or None when it holds
    no AVI headers. The plain and the OpenDML layout keep the stream's
    length (every frame) and timing at the same places."""
    with open(path, "rb") as f:
        header = f.read(144)
    if len(header) < 144 or header[:4] != b"RIFF" or header[8:12] != b"AVI ":
        return None
    width, height = struct.unpack_from("<II", header, 64)
    scale, rate = struct.unpack_from("<II", header, 128)
    frames, = struct.unpack_from("<I", header, 140)
    fps = rate / scale if scale else 0.0
    return Recording(path, frames, width, height, fps, frames / fps if fps else 0.0, os.path.getsize(path))


def chunk_bytes(path):
    """One frame and its chunk header, as the main header says."""
    with open(path, "rb") as f:
        f.seek(60)
        return struct.unpack("<I", f.read(4))[0]


def cut_short_reason(path):
    """Why a write of a recording failed, from the room left on its disk."""
    folder = os.path.dirname(os.path.abspath(path))
    disk_full = shutil.disk_usage(folder).free < 2 * chunk_bytes(path)
    return recording_cut_short(disk_full)
