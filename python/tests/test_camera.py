import os
import re
import signal
import struct
import threading
import time

import numpy as np
import pytest

import kolvex

SHAPES = {
    8: ((768, 1024), np.uint8),
    16: ((768, 1024), np.uint16),
    24: ((768, 1024, 3), np.uint8),
    32: ((768, 1024, 4), np.uint8),
    48: ((768, 1024, 3), np.uint16),
    64: ((768, 1024, 4), np.uint16),
}


@pytest.mark.parametrize("bits", sorted(SHAPES))
def test_snapshot_shape_and_type_follow_the_color_mode(cam, bits):
    cam.color_mode = bits
    assert cam.color_mode == bits
    img = cam.snapshot()
    shape, dtype = SHAPES[bits]
    assert img.shape == shape
    assert img.dtype == dtype
    assert img.max() > 0
    if dtype == np.uint16:
        assert img.max() <= 4095  # 12 significant bits


def test_deep_samples_hold_the_eight_bit_picture(cam):
    cam.color_mode = 8
    shallow = cam.snapshot().astype(np.float64)
    cam.color_mode = 16
    deep = cam.snapshot().astype(np.float64) / 16
    # The moving marker differs between two frames; the picture does not.
    assert abs(shallow.mean() - deep.mean()) < 3


def read_bmp(path):
    data = path.read_bytes()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    stride = (width * bits // 8 + 3) & ~3
    rows = np.frombuffer(data, np.uint8, stride * height, offset).reshape(height, stride)
    return rows[::-1, : width * bits // 8].reshape(height, width, bits // 8)


def test_snapshot_is_top_row_first_as_the_saved_image(cam, tmp_path):
    cam.color_mode = 24
    img = cam.snapshot()
    # The file holds the same converted frame, bottom row first.
    saved = read_bmp(tmp_path / cam.save(tmp_path / "frame.bmp"))
    np.testing.assert_array_equal(img, saved)
    assert not np.array_equal(img, img[::-1])  # the check can tell the two orders apart


def test_save_chooses_the_format_by_extension(cam, tmp_path):
    signatures = {"a.png": b"\x89PNG", "a.jpg": b"\xff\xd8", "a.tif": b"II*\x00", "a.bmp": b"BM"}
    cam.snapshot()
    for name, signature in signatures.items():
        cam.save(tmp_path / name)
        assert (tmp_path / name).read_bytes()[: len(signature)] == signature


def test_save_without_a_frame_takes_one(cam, tmp_path):
    cam.save(tmp_path / "first.png")
    assert (tmp_path / "first.png").stat().st_size > 1000


def test_save_refuses_an_unknown_extension(cam, tmp_path):
    with pytest.raises(kolvex.KolvexError) as caught:
        cam.save(tmp_path / "frame.gif")
    assert caught.value.code == 9
    assert not (tmp_path / "frame.gif").exists()


def test_parameters_by_name_and_by_number(cam):
    cam.set("gamma", 150)
    assert cam.get("gamma") == 150
    assert cam.get(11) == 150
    cam.set("gamma", 100)


def test_bad_parameters_raise_argument_errors(cam):
    for call in (lambda: cam.get("no-such-thing"), lambda: cam.set("brightness", 10_000),
                 lambda: setattr(cam, "color_mode", 12)):
        with pytest.raises(kolvex.KolvexError) as caught:
            call()
        assert caught.value.code == 9


def test_stream_yields_the_frames_asked_for(cam):
    cam.color_mode = 8
    frames = list(cam.stream(frames=3))
    assert len(frames) == 3
    assert all(f.shape == (768, 1024) for f in frames)
    # Each is an array of its own, not one buffer overwritten.
    assert len({f.ctypes.data for f in frames}) == 3


def test_leaving_a_stream_early_stops_acquisition(cam):
    for _ in cam.stream():
        break
    # A snapshot fails while a preview runs; it works here.
    assert cam.snapshot().size > 0


def test_stream_for_a_time(cam):
    cam.color_mode = 8
    count = sum(1 for _ in cam.stream(seconds=0.6))
    assert count >= 1


def test_record_reports_what_the_finished_file_holds(cam, tmp_path):
    recording = cam.record(tmp_path / "clip.avi", seconds=0.5)
    data = open(recording, "rb").read()  # the result stands for its path
    assert data[:4] == b"RIFF" and data[8:12] == b"AVI "
    riff_size, = struct.unpack_from("<I", data, 4)
    assert riff_size == len(data) - 8
    frames, = struct.unpack_from("<I", data, 140)
    assert recording.frames == frames >= 2
    assert (recording.width, recording.height, recording.bytes) == (1024, 768, len(data))
    # The rate measured over the frames written, as the file's timing says,
    # not the frames divided by the time asked for.
    scale, rate = struct.unpack_from("<II", data, 128)
    assert recording.frames_per_second == pytest.approx(rate / scale)
    assert recording.seconds == pytest.approx(frames / recording.frames_per_second)


def test_record_writes_to_the_name_given_whatever_its_extension(cam, tmp_path):
    with pytest.warns(UserWarning, match="does not end in .avi"):
        recording = cam.record(tmp_path / "clip.bin", seconds=0.2)
    assert recording.path == str(tmp_path / "clip.bin")
    assert (tmp_path / "clip.bin").read_bytes()[:4] == b"RIFF"


@pytest.mark.skipif(not hasattr(signal, "SIGXFSZ"), reason="file size limits are POSIX")
def test_a_refused_write_ends_the_recording_at_once_and_says_why(cam, tmp_path):
    import resource

    saved_limit = resource.getrlimit(resource.RLIMIT_FSIZE)
    saved_handler = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (8_000_000, saved_limit[1]))
    started = time.monotonic()
    try:
        with pytest.raises(kolvex.KolvexError) as caught:
            cam.record(tmp_path / "cut.avi", seconds=60)
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, saved_limit)
        signal.signal(signal.SIGXFSZ, saved_handler)
    assert time.monotonic() - started < 30
    assert caught.value.code == 12
    assert "the file system refused a larger file" in str(caught.value)
    assert "file name" not in str(caught.value)
    assert 1 <= caught.value.recording.frames == struct.unpack_from("<I", (tmp_path / "cut.avi").read_bytes(), 140)[0]


def test_a_closed_camera_raises_and_closes_twice_quietly():
    camera = kolvex.Camera()
    camera.close()
    camera.close()
    with pytest.raises(kolvex.KolvexError) as caught:
        camera.snapshot()
    assert caught.value.code == 1


def test_stream_with_the_preview_window_and_without_it_afterwards(cam):
    cam.color_mode = 8
    assert len(list(cam.stream(frames=2, window=True))) == 2
    # The window belongs to that stream only: a snapshot runs without one.
    assert cam.snapshot().shape == (768, 1024)


# --- what a user meets first ------------------------------------------------

def test_common_parameters_are_properties_in_their_units(cam):
    cam.exposure_us = 20000
    assert abs(cam.exposure_us - 20000) < 50  # whole lines of about 23 us (subsampled)
    assert cam.get("exposure-lines") == cam.get(18)
    cam.gain = 48
    assert cam.get("global-gain") == 48
    cam.mirror_h, cam.mirror_v = 1, 0
    assert (cam.get("mirror-h"), cam.mirror_v) == (1, 0)
    cam.capture_window = (64, 32, 1024, 768)
    assert cam.capture_window == (64, 32, 1024, 768)
    assert cam.snapshot().shape == (384, 512, 3)  # subsampled
    assert "raw Bayer mosaic" in kolvex.Camera.color_mode.__doc__


def test_a_value_out_of_range_is_refused_with_the_range(cam):
    cam.set("gamma", 120)
    with pytest.raises(kolvex.KolvexError) as caught:
        cam.set("gamma", 201)
    assert caught.value.code == 9
    assert "takes 0..200, not 201" in str(caught.value)
    assert cam.get("gamma") == 120
    with pytest.raises(kolvex.KolvexError, match="takes one of 8, 16, 24, 32, 48, 64, not 40"):
        cam.color_mode = 40


def test_every_parameter_is_read_by_the_name_kolvex_cli_prints(cam):
    values = {name: cam.get(name) for name in kolvex.Camera.parameters}
    assert values["color"] == 24 and values["subsample"] == 1 and values["gamma"] == 100


def test_a_camera_opened_without_persist_leaves_no_trace(cam):
    cam.close()  # the fixture's camera would store its own settings
    with kolvex.Camera(persist=False) as changed:
        changed.set("gamma", 150)
        changed.exposure_us = 1000
        changed.mirror_v = 1
        changed.set("bayer-gain-rgb", 0x102030)
    with kolvex.Camera() as later:
        assert (later.get("gamma"), later.exposure_us, later.mirror_v) == (100, 71143, 0)
        assert later.get("bayer-gain-rgb") == 0x646464
        later.set("gamma", 140)  # persist=True, the library's way: kept
    with kolvex.Camera() as again:
        assert again.get("gamma") == 140
        again.set("gamma", 100)


def readme_python_example():
    readme = os.path.join(os.path.dirname(__file__), "..", "..", "README.md")
    with open(readme, encoding="utf-8") as file:
        lines = file.read().split("\n## Python\n", 1)[1].splitlines()
    block = []
    for line in lines[lines.index("    import kolvex"):]:
        if line and not line.startswith("    "):
            break
        block.append(line[4:])
    return "\n".join(block)


def test_readme_example_leaves_no_trace(cam, tmp_path, monkeypatch):
    cam.close()
    with kolvex.Camera() as before:
        found = {name: before.get(name) for name, row in kolvex.Camera.parameters.items() if row.kept}
    monkeypatch.chdir(tmp_path)
    exec(compile(readme_python_example(), "README.md", "exec"), {})
    with kolvex.Camera() as after:
        assert {name: after.get(name) for name in found} == found


def test_a_save_that_cannot_be_written_says_why(cam, tmp_path):
    with pytest.raises(kolvex.KolvexError) as caught:
        cam.save(tmp_path / "missing" / "x.png")
    assert caught.value.code == 12
    assert "cannot write %s: the folder %s does not exist" % (tmp_path / "missing" / "x.png",
                                                              tmp_path / "missing") in str(caught.value)
    (tmp_path / "folder.png").mkdir()
    with pytest.raises(kolvex.KolvexError, match="it is a folder") as caught:
        cam.save(tmp_path / "folder.png")
    assert caught.value.code == 12


def test_a_stream_shows_its_camera_in_use_to_the_listing(cam):
    for _ in cam.stream(frames=1):
        assert kolvex.list_cameras() == [kolvex.CameraInfo(0, cam.name, "in use")]
    assert kolvex.list_cameras()[0].state == "free"


# --- inputs that must not wrap ----------------------------------------------

INPUTS = [
    ("device beyond 32 bits", lambda cam: kolvex.Camera(device=2 ** 32), "takes 0..31, not 4294967296"),
    ("device as text", lambda cam: kolvex.Camera(device="1"), "takes a whole number"),
    ("device as a fraction", lambda cam: kolvex.Camera(device=1.7), "takes a whole number"),
    ("value beyond 32 bits", lambda cam: cam.set("gamma", 2 ** 32 + 150), "takes 0..200, not 4294967446"),
    ("value as a fraction", lambda cam: cam.set("gamma", 150.5), "takes a whole number"),
    ("value as None", lambda cam: cam.set("gamma", None), "takes a whole number"),
    ("unknown parameter", lambda cam: cam.get("gama"), "unknown parameter 'gama'"),
    ("identifier 0", lambda cam: cam.get(0), "unknown parameter 0"),
    ("stream for nan seconds", lambda cam: cam.stream(seconds=float("nan")), "takes seconds above 0"),
    ("stream for ever", lambda cam: cam.stream(seconds=float("inf")), "takes seconds above 0"),
    ("stream no frames", lambda cam: cam.stream(frames=0), "takes 1..100000000, not 0"),
    ("record beyond the library's count", lambda cam: cam.record("a.avi", seconds=2147484), "takes seconds"),
    ("record for 1e300 seconds", lambda cam: cam.record("a.avi", seconds=1e300), "takes seconds"),
    ("record for text seconds", lambda cam: cam.record("a.avi", seconds="2"), "takes seconds"),
    ("save a name with NUL", lambda cam: cam.save("shot\0.png"), "cannot hold a NUL"),
    ("save to None", lambda cam: cam.save(None), "a file name is needed"),
    ("record to a number", lambda cam: cam.record(3), "a file name is needed"),
    ("capture window of three", lambda cam: setattr(cam, "capture_window", (0, 0, 8)), "(x, y, width, height)"),
    ("capture window off the sensor", lambda cam: setattr(cam, "capture_window", (0, 0, 4096, 8)),
     "takes 4..2048, not 4096"),
]


@pytest.mark.parametrize("call,message", [(c, m) for _, c, m in INPUTS], ids=[i for i, _, _ in INPUTS])
def test_bad_inputs_raise_kolvex_errors_before_the_library_sees_them(cam, tmp_path, monkeypatch, call, message):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(kolvex.KolvexError, match=re.escape(message)) as caught:
        call(cam)
    assert caught.value.code == 9
    assert not os.listdir(tmp_path)
    assert cam.get("gamma") == 100


def test_trigger_mode_gives_a_frame_per_pulse(cam, fire_trigger):
    done = threading.Event()

    def pulses():
        while not done.wait(0.3):
            fire_trigger()

    pulser = threading.Thread(target=pulses)
    pulser.start()
    try:
        frames = list(cam.stream(frames=2, seconds=30, trigger=True))
    finally:
        done.set()
        pulser.join()
    assert len(frames) == 2 and frames[0].shape == (768, 1024, 3)
