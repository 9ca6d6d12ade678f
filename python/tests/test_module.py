import os
import re
import subprocess
import sys

import pytest

import kolvex
from kolvex import errors


def test_version_is_the_library_version():
    assert kolvex.version() == 28443935


def test_the_virtual_camera_is_listed():
    assert kolvex.list_cameras() == [kolvex.CameraInfo(0, "Kolvex410QFX-ZQP_01", "free")]


def test_cameras_are_listed_by_device_number_as_kolvex_cli_lists_them(cli, tmp_path):
    env = dict(os.environ, KOLVEX_SIMULATOR="6,9", KOLVEX_SETTINGS_FILE=str(tmp_path / "settings.reg"))
    listed = subprocess.run([sys.executable, "-c", "import kolvex\nfor c in kolvex.list_cameras(): print(*c)\n"
                             "print(kolvex.Camera(9).name)"], env=env, capture_output=True, text=True, check=True)
    assert listed.stdout.splitlines() == ["6 Kolvex410QFX-ZQP_07 free", "9 Kolvex410QFX-ZQP_10 free",
                                          "Kolvex410QFX-ZQP_10"]
    shown = subprocess.run([cli, "list"], env=env, capture_output=True, text=True).stdout
    assert re.findall(r"(\d+) +(\S+) +(free|in use)", shown) == [
        ("6", "Kolvex410QFX-ZQP_07", "free"), ("9", "Kolvex410QFX-ZQP_10", "free")]


def test_the_version_is_one_release(cli):
    root = os.path.join(os.path.dirname(__file__), "..", "..")
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as cmake:
        release = re.search(r"project\(KolvexSdk VERSION ([0-9.]+)", cmake.read()).group(1)
    assert kolvex.__version__ == release
    shown = subprocess.run([cli, "--version"], capture_output=True, text=True).stdout
    assert shown == "kolvex-cli %s (library %s, version number 0x%08X)\n" % (release, release, kolvex.version())


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


def test_parameters_are_those_kolvex_cli_lists(cli, tmp_path):
    shown = subprocess.run([cli, "params"], capture_output=True, text=True, check=True,
                           env=dict(os.environ, KOLVEX_SETTINGS_FILE=str(tmp_path / "settings.reg"))).stdout
    listed = [line.split()[0] for line in shown.splitlines()[1:]]
    assert listed == list(kolvex.Camera.parameters)
    gamma = kolvex.Camera.parameters["gamma"]
    assert (gamma.id, gamma.min, gamma.max, gamma.default, gamma.kept) == (11, 0, 200, 100, True)


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
