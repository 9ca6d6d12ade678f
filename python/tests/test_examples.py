"""The Python example of examples/python runs as a user would run it, on a
machine without a display, and OpenCV reads back what it wrote."""

import os
import subprocess
import sys

import pytest

import kolvex

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python", "opencv_stream.py")


@pytest.mark.skipif(not os.path.exists(EXAMPLE), reason="the package is tested outside the source tree")
def test_opencv_example_streams_saves_and_records_without_a_display(tmp_path):
    cv2 = pytest.importorskip("cv2")
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    # The package under test, wherever it was imported from.
    package_root = os.path.dirname(os.path.dirname(kolvex.__file__))
    env["PYTHONPATH"] = os.pathsep.join(p for p in (package_root, env.get("PYTHONPATH")) if p)
    run = subprocess.run([sys.executable, EXAMPLE, "--frames", "12", "--seconds", "0.5", "--output-dir",
                          str(tmp_path)], env=env, capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "frames of 1024 x 768" in run.stdout and "12 frames, brightest spot at" in run.stdout

    still = cv2.imread(str(tmp_path / "last-frame.png"))
    assert still is not None and still.shape == (768, 1024, 3)

    clip = cv2.VideoCapture(str(tmp_path / "clip.avi"))
    sizes = []
    while True:
        ok, frame = clip.read()
        if not ok:
            break
        sizes.append(frame.shape)
    clip.release()
    assert sizes and set(sizes) == {(768, 1024, 3)}
