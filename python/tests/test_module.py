import os
import re
import subprocess

import pytest

import kolvex
from kolvex import errors


def test_version_is_the_library_version():
    assert kolvex.version() == 28443935


def test_the_virtual_camera_is_listed():
    names = kolvex.list_cameras()
    assert len(names) == 1
    assert re.fullmatch(r"Kolvex410QFX-ZQP_\d\d", names[0])


def test_opening_an_absent_device_raises_with_the_code_and_its_meaning():
    with pytest.raises(kolvex.KolvexError) as caught:
        kolvex.Camera(device=3)
    error = caught.value
    assert error.code == 2
    assert "no camera at device 3" in error.meaning
    assert "kolvex-cli list" in error.remedy
    assert str(error).startswith("open device 3: no camera at device 3")
    assert "(error 2)" in str(error)


def test_every_library_code_has_a_meaning_and_a_remedy():
    for code in (1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13):
        assert len(kolvex.meaning(code)) > 10
        assert len(kolvex.remedy(code)) > 10
    assert "42" in kolvex.meaning(42)


def test_a_cause_is_reported_without_the_failures_it_caused():
    # A snapshot without a camera leaves 8, 1, 2 (newest first).
    assert errors.codes_to_report([8, 1, 2]) == [2]
    assert errors.codes_to_report([9, 7, 9]) == [9, 7]
    assert errors.codes_to_report([8, 1, 8]) == [8, 1]


def test_kolvex_cli_speaks_from_the_same_table(cli, tmp_path):
    run = subprocess.run([cli, "snapshot"], cwd=tmp_path, capture_output=True, text=True,
                         env={"KOLVEX_SIMULATOR": "none",
                              "KOLVEX_SETTINGS_FILE": str(tmp_path / "settings.reg")})
    assert run.returncode == 1
    assert run.stderr.strip() == "kolvex-cli: snapshot: %s: %s" % (kolvex.meaning(2, 0), kolvex.remedy(2))


def test_parameter_names_are_those_of_kolvex_cli(cli, tmp_path):
    import json
    import os

    shown = subprocess.run([cli, "params"], capture_output=True, text=True, check=True,
                           env=dict(os.environ, KOLVEX_SETTINGS_FILE=str(tmp_path / "settings.reg"))).stdout
    listed = [line.split()[0] for line in shown.splitlines()[1:]]
    table = json.load(open(os.path.join(os.path.dirname(kolvex.__file__), "parameters.json")))["parameters"]
    assert listed == [row["name"] for row in table]
    by_id = dict((row["id"], row["name"]) for row in table if "id" in row)
    assert [by_id[i] for i in range(1, 29)] == list(kolvex.PARAMETERS)


@pytest.mark.parametrize("bits,shape,dtype", [
    (8, (3, 5), "uint8"), (16, (3, 5), "uint16"), (24, (3, 5, 3), "uint8"),
    (32, (3, 5, 4), "uint8"), (48, (3, 5, 3), "uint16"), (64, (3, 5, 4), "uint16"),
])
def test_frames_drop_the_row_padding(bits, shape, dtype):
    import numpy as np

    row_bytes = 5 * bits // 8
    stride = (row_bytes + 3) & ~3
    raw = np.zeros(stride * 3, np.uint8)
    for row in range(3):
        raw[row * stride: row * stride + row_bytes] = np.arange(row_bytes) + row
        raw[row * stride + row_bytes: (row + 1) * stride] = 0xEE  # padding never shows
    frame = kolvex.frame_array(raw, 5, 3, bits)
    assert frame.shape == shape and frame.dtype == dtype
    flat = frame.reshape(3, -1).view(np.uint8)
    assert flat.shape == (3, row_bytes)
    assert (flat[2] == np.arange(row_bytes) + 2).all()
    assert not (flat == 0xEE).any()


def test_the_device_table_is_the_one_the_environment_names(cam, cli, tmp_path):
    # While this process streams device 0, a program on the same table is
    # refused, and a program that names a table of its own has a camera of
    # its own.
    def snapshot(table):
        env = dict(os.environ, KOLVEX_DEVICE_TABLE=table, KOLVEX_SETTINGS_FILE=str(tmp_path / "cli.reg"))
        return subprocess.run([cli, "snapshot", "--output", "shot.bmp"], cwd=tmp_path, capture_output=True,
                              text=True, env=env).returncode

    for _ in cam.stream(frames=1):
        assert snapshot(os.environ["KOLVEX_DEVICE_TABLE"]) == 1
        assert snapshot(os.environ["KOLVEX_DEVICE_TABLE"] + "-other") == 0
