import signal
import struct
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
