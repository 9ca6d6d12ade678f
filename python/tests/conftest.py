"""Runs the suite against the virtual camera: one camera at device 0,
paced like the sensor, on a device table and with a settings file of the
suite's own, so that nothing else on the machine shares its camera."""

import os
import subprocess
import shutil
import tempfile

import pytest

os.environ.setdefault("KOLVEX_SIMULATOR", "0")
os.environ.setdefault("KOLVEX_DEVICE_TABLE", "KolvexPytest-%d" % os.getpid())
_settings_dir = tempfile.mkdtemp(prefix="kolvex-pytest-")
os.environ["KOLVEX_SETTINGS_FILE"] = os.path.join(_settings_dir, "settings.reg")


def pytest_sessionfinish(session, exitstatus):
    shutil.rmtree(_settings_dir, ignore_errors=True)


@pytest.fixture
def cam():
    import kolvex

    with kolvex.Camera(device=0, persist=False) as camera:  # each test starts from the defaults
        camera.subsample = 1  # quarter-size frames keep the suite fast
        yield camera


@pytest.fixture
def cli():
    """kolvex-cli from the same build as the library, or skip."""
    library = os.environ.get("KOLVEX_LIBRARY", "")
    path = os.path.join(os.path.dirname(library), "kolvex-cli")
    if not library or not os.access(path, os.X_OK):
        pytest.skip("kolvex-cli is not beside the library")
    return path


@pytest.fixture
def fire_trigger():
    """Pulses the virtual camera's trigger input at device 0, through the
    test helper of the same build, or skips."""
    library = os.environ.get("KOLVEX_LIBRARY", "")
    helper = os.path.join(os.path.dirname(library), "kolvex_test_child")
    if not library or not os.access(helper, os.X_OK):
        pytest.skip("kolvex_test_child is not beside the library")
    # The wires of the device table this process names.
    table = os.environ.get("KOLVEX_DEVICE_TABLE")
    wires = "KolvexVirtualTriggerLine" + ("-" + table if table else "")
    return lambda: subprocess.run([helper, "sim-trigger", wires, "0"], check=False)
