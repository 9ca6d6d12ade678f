#!/usr/bin/python3
"""Hands recordings to four AVI readers nobody here wrote (ffprobe/ffmpeg,
GStreamer's avidemux, MediaInfo, OpenCV) and checks that each reads every
frame the recording holds, with every pixel, and no other.

    check_avi_readers.py SCENARIO WRITER [EMULATOR...]
    check_avi_readers.py file RECORDING

WRITER is avi_sample_writer (EMULATOR runs it, e.g. wine). Its frames carry
a pattern computed here again on its own, so frame k's pixels prove that a
reader delivered frame k. Scenarios:

    plain       a short recording: one RIFF, the plain layout
    parts       past a small RIFF limit: OpenDML parts
    crash       killed while writing a later part: the finished parts
    size_limit  a file size limit cuts a later part short: every whole frame

`file` judges a recording of any picture (the recording benchmark's, past
4 GiB): every reader counts the frames its header counts, and the frames at
the start, the end and both sides of every RIFF boundary, as ffmpeg and
OpenCV decode them, are the chunks found by walking the file's lists.
"""
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

import cv2
import numpy as np

WIDTH, HEIGHT = 37, 20  # rows of 111 bytes, padded to 112
STRIDE = (WIDTH * 3 + 3) & ~3
FRAME_BYTES = STRIDE * HEIGHT
SMALL_RIFF = 16384      # a handful of frames per RIFF


def pattern(k):
    """Frame k, top row first, as (HEIGHT, WIDTH, 3) blue-green-red."""
    y, x = np.mgrid[0:HEIGHT, 0:WIDTH]
    return np.stack([(3 * x + 5 * k) % 256, (7 * y + 11 * k) % 256, (x + y + 13 * k) % 256],
                    axis=-1).astype(np.uint8)


def top_level_chunks(path):
    """(id, size, form type) of each chunk at the top of the file."""
    chunks = []
    with open(path, "rb") as f:
        while True:
            head = f.read(12)
            if len(head) < 8:
                return chunks
            size = int.from_bytes(head[4:8], "little")
            chunks.append((head[:4].decode("latin-1"), size, head[8:12].decode("latin-1")))
            f.seek(size + (size & 1) - 4, os.SEEK_CUR)


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, check=False, timeout=120, **kwargs)


def frames_from_bytes(data, stride):
    """Frames of WIDTH x HEIGHT from back-to-back rows of `stride` bytes."""
    frame_size = stride * HEIGHT
    count = len(data) // frame_size
    rows = np.frombuffer(data[:count * frame_size], np.uint8).reshape(count, HEIGHT, stride)
    frames = rows[:, :, :WIDTH * 3].reshape(count, HEIGHT, WIDTH, 3)
    return frames, len(data) % frame_size


def ffmpeg_reader(path, scratch):
    probe = run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                 "-show_entries", "stream=nb_read_frames", "-of", "default=nw=1:nk=1", path])
    decoded = run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"])
    counted = int(probe.stdout.strip() or b"-1")
    frames, rest = frames_from_bytes(decoded.stdout, WIDTH * 3)
    errors = (probe.stderr + decoded.stderr).decode(errors="replace").strip()
    return counted, frames, rest, errors


def gstreamer_reader(path, scratch):
    out = os.path.join(scratch, "gst.raw")
    env = dict(os.environ, GST_REGISTRY=os.path.join(scratch, "gst-registry.bin"))
    result = run(["gst-launch-1.0", "-q", "filesrc", "location=" + path, "!", "avidemux", "!",
                  "filesink", "location=" + out], env=env)
    data = open(out, "rb").read() if os.path.exists(out) else b""
    # avidemux turns the file's bottom-up rows the right way up.
    frames, rest = frames_from_bytes(data, STRIDE)
    errors = result.stderr.decode(errors="replace").strip() if result.returncode else ""
    return len(frames), frames, rest, errors


def mediainfo_reader(path, scratch):
    result = run(["mediainfo", "--Output=Video;%FrameCount%", path])
    text = result.stdout.decode().strip()
    return int(text) if text.isdigit() else -1, None, 0, result.stderr.decode(errors="replace").strip()


def opencv_reader(path, scratch):
    capture = cv2.VideoCapture(path)
    counted = int(capture.get(cv2.CAP_PROP_FRAME_COUNT))
    frames = []
    while True:
        ok, image = capture.read()
        if not ok:
            break
        frames.append(image)
    capture.release()
    stacked = np.array(frames, np.uint8) if frames else np.zeros((0, HEIGHT, WIDTH, 3), np.uint8)
    return counted, stacked, 0, ""


READERS = [("ffmpeg", ffmpeg_reader), ("gstreamer", gstreamer_reader),
           ("mediainfo", mediainfo_reader), ("opencv", opencv_reader)]


def check_readers(path, least, most, scratch):
    """Every reader's count and frames: at least frames 0 .. least-1, at
    most frames 0 .. most-1, each with its own picture."""
    def counts(n):
        return "%d" % least if least == most else "%d to %d" % (least, most)
    faults = []
    for name, reader in READERS:
        counted, frames, rest, errors = reader(path, scratch)
        said = "%s: counts %d" % (name, counted)
        if not least <= counted <= most:
            faults.append("%s counts %d frames, not %s" % (name, counted, counts(least)))
        if frames is not None:
            said += ", decodes %d" % len(frames)
            if not least <= len(frames) <= most or rest:
                faults.append("%s decodes %d frames (+%d bytes), not %s" % (name, len(frames), rest, counts(least)))
            for k in range(len(frames)):
                if frames.shape[1:] != (HEIGHT, WIDTH, 3) or not np.array_equal(frames[k], pattern(k)):
                    faults.append("%s: frame %d is not frame %d's picture" % (name, k, k))
                    break
        if errors:
            faults.append("%s complains: %s" % (name, errors[:300]))
        print(said)
    return faults


def writer_command(writer, emulator, *args):
    return emulator + [writer] + [str(a) for a in args]


def record(writer, emulator, path, frames, riff_limit, duration_ms, limit_bytes=None):
    def limited():
        # A refused write then fails with EFBIG instead of ending the writer.
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit_bytes, resource.RLIM_INFINITY))
    result = run(writer_command(writer, emulator, "record", path, WIDTH, HEIGHT, frames, riff_limit, duration_ms),
                 preexec_fn=limited if limit_bytes else None)
    match = re.search(rb"frames (\d+) failed (\d)", result.stdout)
    if result.returncode != 0 or not match:
        sys.exit("the writer failed: %s" % (result.stdout + result.stderr).decode(errors="replace"))
    return int(match.group(1)), match.group(2) == b"1"


def crash(writer, emulator, path, riffs):
    child = subprocess.Popen(writer_command(writer, emulator, "crash", path, WIDTH, HEIGHT, SMALL_RIFF, 1000, riffs),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = child.stdout.readline()
    child.kill()  # as a crash would: nothing more of the writer runs
    child.wait()
    match = re.match(rb"indexed (\d+) written (\d+)", line)
    if not match:
        sys.exit("the writer failed: %s" % (line + child.stderr.read()).decode(errors="replace"))
    return int(match.group(1)), int(match.group(2))


def frame_chunks(path):
    """File offsets of the frame data of every "00db" chunk, walking each
    RIFF's movi list in file order, and how many each RIFF holds."""
    offsets, per_riff = [], []
    with open(path, "rb") as f:
        end = os.path.getsize(path)
        riff = 0
        while riff + 12 <= end:
            f.seek(riff)
            head = f.read(12)
            if head[:4] != b"RIFF":
                break
            riff_end = riff + 8 + int.from_bytes(head[4:8], "little")
            at, before = riff + 12, len(offsets)
            while at + 8 <= riff_end:
                f.seek(at)
                chunk = f.read(12)
                size = int.from_bytes(chunk[4:8], "little")
                if chunk[:4] == b"LIST" and chunk[8:12] == b"movi":
                    inner = at + 12
                    while inner + 8 <= at + 8 + size:
                        f.seek(inner)
                        sub = f.read(8)
                        sub_size = int.from_bytes(sub[4:8], "little")
                        if sub[:4] == b"00db":
                            offsets.append(inner + 8)
                        inner += 8 + sub_size + (sub_size & 1)
                at += 8 + size + (size & 1)
            per_riff.append(len(offsets) - before)
            riff = riff_end + (riff_end & 1)
    return offsets, per_riff


def check_recording(path, scratch):
    """The `file` scenario."""
    with open(path, "rb") as f:
        header = f.read(144)
    width, height = (int.from_bytes(header[o:o + 4], "little") for o in (64, 68))
    frames = int.from_bytes(header[140:144], "little")
    stride = (width * 3 + 3) & ~3
    offsets, per_riff = frame_chunks(path)
    print("%d frames of %d x %d in %d RIFFs, %.2f GiB" % (frames, width, height, len(per_riff),
                                                         os.path.getsize(path) / 2 ** 30))
    faults = [] if len(offsets) == frames else ["the lists hold %d frames, the header %d" % (len(offsets), frames)]
    samples = {0, frames - 1}
    first = 0
    for count in per_riff[:-1]:
        first += count
        samples |= {first - 1, first}
    samples = sorted(k for k in samples if 0 <= k < len(offsets))

    def chunk_picture(k):
        with open(path, "rb") as f:
            f.seek(offsets[k])
            rows = np.frombuffer(f.read(stride * height), np.uint8).reshape(height, stride)
        return rows[::-1, :width * 3].reshape(height, width, 3)

    probe = run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                 "-show_entries", "stream=nb_read_frames", "-of", "default=nw=1:nk=1", path])
    chosen = "+".join("eq(n\\,%d)" % k for k in samples)
    decoded = run(["ffmpeg", "-v", "error", "-i", path, "-vf", "select=" + chosen, "-vsync", "0",
                   "-f", "rawvideo", "-pix_fmt", "bgr24", "-"])
    ffmpeg_frames = np.frombuffer(decoded.stdout, np.uint8).reshape(-1, height, width, 3)
    env = dict(os.environ, GST_REGISTRY=os.path.join(scratch, "gst-registry.bin"))
    gst = run(["gst-launch-1.0", "-v", "filesrc", "location=" + path, "!", "avidemux", "!",
               "fakesink", "silent=false"], env=env)
    info = run(["mediainfo", "--Output=Video;%FrameCount%", path]).stdout.decode().strip()
    capture = cv2.VideoCapture(path)
    opencv_count = int(capture.get(cv2.CAP_PROP_FRAME_COUNT))
    opencv_frames = []
    for k in samples:
        capture.set(cv2.CAP_PROP_POS_FRAMES, k)
        ok, image = capture.read()
        opencv_frames.append(image if ok else None)
    capture.release()

    counts = {"ffmpeg": int(probe.stdout.strip() or b"-1"),
              "gstreamer": gst.stdout.count(b"chain   *"),
              "mediainfo": int(info) if info.isdigit() else -1,
              "opencv": opencv_count}
    for name, counted in counts.items():
        print("%s: counts %d" % (name, counted))
        if counted != frames:
            faults.append("%s counts %d frames, not %d" % (name, counted, frames))
    print("frames compared with their chunks: %s" % samples)
    if len(ffmpeg_frames) != len(samples):
        faults.append("ffmpeg decoded %d of the %d frames chosen" % (len(ffmpeg_frames), len(samples)))
    for i, k in enumerate(samples):
        expected = chunk_picture(k)
        for name, image in (("ffmpeg", ffmpeg_frames[i] if i < len(ffmpeg_frames) else None),
                            ("opencv", opencv_frames[i])):
            if image is None or not np.array_equal(image, expected):
                faults.append("%s: frame %d is not the picture of chunk %d" % (name, k, k))
    return faults


def main():
    if sys.argv[1] == "file":
        scratch = tempfile.mkdtemp(prefix="kolvex-readers-")
        try:
            faults = check_recording(sys.argv[2], scratch)
        finally:
            shutil.rmtree(scratch, ignore_errors=True)
        for fault in faults:
            print("FAULT: " + fault)
        return 1 if faults else 0
    scenario, writer, emulator = sys.argv[1], sys.argv[2], sys.argv[3:]
    scratch = tempfile.mkdtemp(prefix="kolvex-readers-")
    try:
        path = os.path.join(scratch, "recording.avi")
        faults = []
        least = None
        if scenario == "plain":
            frames, failed = record(writer, emulator, path, 6, 0xFFFFFFFF, 2000)
            riffs = [c for c in top_level_chunks(path) if c[0] == "RIFF"]
            if frames != 6 or failed or len(riffs) != 1:
                faults.append("wrote %d frames (failed %s) in %d RIFFs" % (frames, failed, len(riffs)))
        elif scenario == "parts":
            frames, failed = record(writer, emulator, path, 40, SMALL_RIFF, 10000)
            riffs = [c for c in top_level_chunks(path) if c[0] == "RIFF"]
            print("RIFFs: " + " ".join("%s %d" % (c[2], c[1]) for c in riffs))
            if frames != 40 or failed or len(riffs) < 3 or any(c[1] > SMALL_RIFF for c in riffs):
                faults.append("wrote %d frames (failed %s) in RIFFs %s" % (frames, failed, riffs))
        elif scenario == "crash":
            # Readers that walk the movi lists also find the frames of the
            # part being written, up to its last checkpoint.
            least, frames = crash(writer, emulator, path, 2)
            print("killed with %d frames in finished RIFFs, %d written" % (least, frames))
        elif scenario == "size_limit":
            # Room for two RIFFs and part of a third.
            frames, failed = record(writer, emulator, path, 40, SMALL_RIFF, 10000, limit_bytes=2 * SMALL_RIFF + 9000)
            riffs = [c for c in top_level_chunks(path) if c[0] == "RIFF"]
            print("cut short after %d frames in %d RIFFs" % (frames, len(riffs)))
            if not failed or len(riffs) != 3 or os.path.getsize(path) != sum(c[1] + 8 for c in riffs):
                faults.append("wrote %d frames (failed %s) in RIFFs %s" % (frames, failed, riffs))
        else:
            sys.exit("unknown scenario " + scenario)
        faults += check_readers(path, frames if least is None else least, frames, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for fault in faults:
        print("FAULT: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
