"""The camera's parameters from ``parameters.json``, the table kolvex-cli
compiles in, and the checks every value passes before it reaches the
library: whole numbers in range, never wrapped to 32 bits."""

import collections
import ctypes
import json
import math
import operator
import os
import types

from .errors import ARGUMENT, KolvexError

_TABLE_PATH = os.path.join(os.path.dirname(__file__), "parameters.json")

Parameter = collections.namedtuple(
    "Parameter", "name id getter setter unit min max default step values kept view_of meaning")
Parameter.__doc__ = """One row of the parameter table.

    name: as kolvex-cli spells it; id: the filter identifier or None;
    getter, setter: the C exports; unit; min, max, step and values (the only
    values allowed, or None): what the setter takes; default: a new
    camera's value; kept: whether the camera stores it for later sessions;
    view_of: the rows this one is another view of, or None; meaning."""


def _load():
    with open(_TABLE_PATH, encoding="utf-8") as file:
        rows = json.load(file)["parameters"]
    table = collections.OrderedDict()
    for row in rows:
        table[row["name"]] = Parameter(
            row["name"], row.get("id"), row["get"], row["set"], row["unit"], row["min"], row["max"],
            row["default"], row["step"], tuple(row["values"]) if "values" in row else None, row["kept"],
            row.get("view_of"), row["meaning"])
    return types.MappingProxyType(table)


#: Every parameter by name, in kolvex-cli's order.
TABLE = _load()

# Kolvex_Record counts milliseconds in 32 bits.
LONGEST_SECONDS = 2147483.0


def whole(value, what, low, high):
    """`value` as an int when it is a whole number in [low, high]; otherwise
    KolvexError 9 naming `what` and the range."""
    try:
        number = operator.index(value)
    except TypeError:
        raise KolvexError(ARGUMENT, what, detail="takes a whole number (%d..%d), not %r"
                          % (low, high, value)) from None
    if not low <= number <= high:
        raise KolvexError(ARGUMENT, what, detail="takes %d..%d, not %d" % (low, high, number))
    return number


def seconds(value, what):
    """A positive, finite number of seconds that the library can count."""
    try:
        number = float(value)
    except (TypeError, ValueError, OverflowError):
        number = math.nan
    if isinstance(value, (str, bytes)) or not (0 < number <= LONGEST_SECONDS):
        raise KolvexError(ARGUMENT, what, detail="takes seconds above 0 and up to %d, not %r"
                          % (LONGEST_SECONDS, value))
    return number


def find(name):
    """The row of a name or a filter identifier; KolvexError 9 when unknown."""
    if isinstance(name, str) and name in TABLE:
        return TABLE[name]
    if isinstance(name, int) and not isinstance(name, bool):
        for row in TABLE.values():
            if row.id == name:
                return row
    raise KolvexError(ARGUMENT, "parameter", detail="unknown parameter %r; known: %s"
                      % (name, ", ".join(TABLE)))


def accepted(row, value):
    """`value` as an int when the setter of `row` takes it; KolvexError 9
    with the range otherwise."""
    if row.values:
        number = whole(value, row.name, row.min, row.max)
        if number not in row.values:
            raise KolvexError(ARGUMENT, row.name, detail="takes one of %s, not %d"
                              % (", ".join(map(str, row.values)), number))
        return number
    number = whole(value, row.name, row.min, row.max)
    if (number - row.min) % row.step:
        raise KolvexError(ARGUMENT, row.name, detail="takes %d..%d in steps of %d, not %d"
                          % (row.min, row.max, row.step, number))
    return number


def stored_rows(row):
    """The rows whose stored values setting `row` changes."""
    if not row.view_of:
        return [row]
    return [TABLE[name.strip()] for name in row.view_of.split(",")]


# Kolvex_GetColorMode reports the 16-bit modes by their significant bits.
_BITS_OF_DEPTH_CODE = {12: 16, 44: 48, 60: 64}
_WINDOW_FIELDS = {"window-x": 1, "window-y": 4, "window-width": 2, "window-height": 5}


def capture_window(lib, handle):
    """(horizontal total, x, width, vertical total, y, height)."""
    values = [ctypes.c_int(0) for _ in range(6)]
    lib.Kolvex_GetCaptureWindowEx(handle, *[ctypes.byref(v) for v in values])
    return [v.value for v in values]


def read(lib, handle, row):
    """(value, ok) through the row's getter."""
    ok = ctypes.c_int(1)
    getter = row.getter
    if row.id is not None:
        value = lib.Kolvex_GetFilterValue(handle, row.id, ctypes.byref(ok))
    elif getter in ("Kolvex_GetRealExposureTime", "Kolvex_GetAutoIris"):
        value = getattr(lib, getter)(handle, ctypes.byref(ok))
    elif getter == "Kolvex_GetColorMode":
        code = lib.Kolvex_GetColorMode(handle)
        value = _BITS_OF_DEPTH_CODE.get(code, code)
    elif getter == "Kolvex_GetCaptureWindowEx":
        value = capture_window(lib, handle)[_WINDOW_FIELDS[row.name]]
    else:
        value = getattr(lib, getter)(handle)
    return value, bool(ok.value)


def write(lib, handle, row, value):
    """The setter's result (0 when refused)."""
    if row.id is not None:
        return lib.Kolvex_SetFilterValue(handle, row.id, value)
    if row.setter == "Kolvex_SetCaptureWindowEx":
        window = capture_window(lib, handle)
        window[_WINDOW_FIELDS[row.name]] = value
        return lib.Kolvex_SetCaptureWindowEx(handle, *window)
    return getattr(lib, row.setter)(handle, value)
