"""Which library the package loads: only one of the interpreter's word size,
and a plain answer when only one of the other size is there."""

import os
import struct

import pytest

import kolvex
from kolvex import _library


def pe_file(path, machine):
    """The headers a Windows loader reads first: DOS stub pointing at the PE
    signature and the machine of the file header."""
    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 128)
    return raw_file(path, bytes(dos) + bytes(64) + b"PE\0\0" + struct.pack("<H", machine) + bytes(18))


def elf_file(path, elf_class):
    return raw_file(path, b"\x7fELF" + bytes([elf_class]) + bytes(59))


def raw_file(path, data):
    path.write_bytes(data)
    return str(path)


@pytest.mark.parametrize("make,expected", [
    (lambda p: pe_file(p, 0x014C), 32),
    (lambda p: pe_file(p, 0x8664), 64),
    (lambda p: pe_file(p, 0xAA64), None),
    (lambda p: elf_file(p, 1), 32),
    (lambda p: elf_file(p, 2), 64),
    (lambda p: raw_file(p, b"MZ"), None),
    (lambda p: raw_file(p, b""), None),
])
def test_word_size_is_read_from_the_header(tmp_path, make, expected):
    assert _library.binary_word_bits(make(tmp_path / "lib")) == expected


def test_the_loaded_library_has_the_interpreters_word_size():
    kolvex.version()
    assert _library.binary_word_bits(os.environ["KOLVEX_LIBRARY"]) == _library.WORD_BITS


@pytest.mark.parametrize("make", [
    lambda p, bits: pe_file(p, 0x014C if bits == 32 else 0x8664),
    lambda p, bits: elf_file(p, 1 if bits == 32 else 2),
])
def test_a_library_of_the_other_word_size_is_named_not_loaded(tmp_path, monkeypatch, make):
    other = 96 - _library.WORD_BITS
    path = make(tmp_path / _library.LIBRARY_NAME, other)
    monkeypatch.setenv("KOLVEX_LIBRARY", path)
    with pytest.raises(kolvex.KolvexError) as caught:
        _library.open_library()
    text = str(caught.value)
    assert "found only the %d-bit library (%s)" % (other, path) in text
    assert "this Python is %d-bit" % _library.WORD_BITS in text
