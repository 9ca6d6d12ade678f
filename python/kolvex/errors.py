"""KolvexError and the meanings of the library's error codes.

The meanings come from ``error_meanings.json``, the table kolvex-cli
compiles in, so both tell a user the same thing.
"""

import json
import os

_TABLE_PATH = os.path.join(os.path.dirname(__file__), "error_meanings.json")

with open(_TABLE_PATH, encoding="utf-8") as _file:
    _TABLE = json.load(_file)
_MEANINGS = {entry["code"]: entry for entry in _TABLE["errors"]}

#: Invalid argument: also raised for arguments the package refuses itself.
ARGUMENT = 9
#: A file name that cannot be used: also raised when a file cannot be written.
PATH = 12


def meaning(code, device=0):
    """The meaning of a library error code in a user's words, or a sentence
    naming the number for a code the library does not produce.

    >>> meaning(2, device=6)
    'no camera at device 6, or another program is streaming from it'
    """
    entry = _MEANINGS.get(code)
    if entry is None:
        return "the library reported error %d" % code
    return entry["meaning"].replace("{device}", str(device))


def remedy(code):
    """What to do about an error code, or an empty string."""
    entry = _MEANINGS.get(code)
    return entry["remedy"] if entry else ""


def recording_cut_short(disk_full):
    """Error 12 after a recording started: a write failed and the library
    ended the recording. "meaning: remedy" for a full disk, or for a file
    the file system would not let grow."""
    entry = _TABLE["recording_cut_short"]["disk_full" if disk_full else "file_too_large"]
    return entry["meaning"] + ": " + entry["remedy"]


def codes_to_report(newest_first):
    """The codes worth telling, from an error history read newest first:
    oldest first, each once, and without the codes that only follow from
    another failure when such a cause is among them.

    >>> codes_to_report([8, 1, 2])  # newest first: the device was busy (2), 1 and 8 followed
    [2]
    """
    oldest_first = [c for c in reversed(list(newest_first)) if c]

    def follows(code):
        return _MEANINGS.get(code, {}).get("follows_others", False)

    any_cause = any(not follows(c) for c in oldest_first)
    out = []
    for code in oldest_first:
        if any_cause and follows(code):
            continue
        if code not in out:
            out.append(code)
    return out


class KolvexError(Exception):
    """Raised on every failure of the camera library or of this package.

    Attributes:
        code: the library's error code (1 to 13; 9 for an argument the
            package refuses before calling the library).
        meaning: what the code means, in a user's words.
        remedy: what to do about it.
        operation: what was being done ("snapshot", "open device 2", ...).
        codes: every code the library recorded for this failure, oldest
            first.
    """

    def __init__(self, code, operation="", device=0, codes=None, detail=None):
        self.code = code
        self.operation = operation
        self.device = device
        self.codes = list(codes) if codes else [code]
        self.meaning = detail or meaning(code, device)
        self.remedy = remedy(code) if detail is None else ""
        text = self.meaning
        if self.remedy:
            text += ": " + self.remedy
        if operation:
            text = operation + ": " + text
        super().__init__(text + " (error %d)" % code)
