"""Frames from the camera into OpenCV, then a short recording.

    python3 opencv_stream.py [--frames N] [--seconds S] [--device D] [--output-dir DIR] [--headless]

Shows the live picture with cv2.imshow where a display is present (Esc
ends the loop early), marks the brightest spot of each frame, writes the
last frame with cv2.imwrite and records S seconds of video (default 2)
with the library's own AVI recorder. Needs the kolvex package and OpenCV
(pip install opencv-python, or Debian's python3-opencv).
"""

import argparse
import os
import sys

import cv2

import kolvex


def display_present():
    # Windows always has a desktop; elsewhere OpenCV's windows need X.
    return sys.platform == "win32" or bool(os.environ.get("DISPLAY"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=100)
    parser.add_argument("--seconds", type=float, default=2.0, help="length of the recording")
    parser.add_argument("--device", type=int, default=0)
    parser.add_argument("--output-dir", default=".")
    parser.add_argument("--headless", action="store_true", help="no window even where a display is present")
    args = parser.parse_args()
    show = display_present() and not args.headless

    # persist=False: the settings changed here are put back when the camera
    # closes, so later programs start as they would have without this one.
    with kolvex.Camera(device=args.device, persist=False) as cam:
        cam.color_mode = 24  # numpy (H, W, 3) uint8 in B, G, R order: OpenCV's own
        cam.subsample = 1  # half width and height
        print("camera %s, frames of %d x %d" % (cam.name, *cam.frame_size))

        for number, frame in enumerate(cam.stream(frames=args.frames), 1):
            gray = cv2.cvtColor(frame, cv2.COLOR_BGR2GRAY)
            # Blurred first, so that one hot pixel does not win.
            _, brightest, _, spot = cv2.minMaxLoc(cv2.GaussianBlur(gray, (15, 15), 0))
            marked = frame.copy()  # a frame's rows may be padded; OpenCV draws on whole arrays
            cv2.circle(marked, spot, 20, (0, 0, 255), 2)
            if show:
                cv2.imshow("kolvex", marked)
                if cv2.waitKey(1) == 27:
                    break
        if show:
            cv2.destroyAllWindows()
        print("%d frames, brightest spot at %s (level %.0f)" % (number, spot, brightest))

        still = os.path.join(args.output_dir, "last-frame.png")
        if not cv2.imwrite(still, marked):
            sys.exit("cannot write %s" % still)
        print("wrote", still)

        # The library records the frames it converts: 24-bit uncompressed AVI.
        clip = cam.record(os.path.join(args.output_dir, "clip.avi"), seconds=args.seconds)
        print("recorded", clip)


if __name__ == "__main__":
    main()
