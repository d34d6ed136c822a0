#!/usr/bin/env python3
"""Compares two raw frame streams of brindlemox-capture --raw (640x480 bgr0
per frame), frame by frame and pixel by pixel.

Prints the first frames that differ with their counts of differing pixels,
then one summary line. While it runs, a line on standard error every 30
seconds says how far it has come (a comparison over the whole timeline at
1000 frames a second takes minutes). Exits 0 when both streams hold the same
frames, 1 otherwise.
usage: compare-frames.py [--label TEXT] STREAM_A STREAM_B   (files or named pipes)
"""
import sys
import time

WIDTH, HEIGHT = 640, 480
FRAME_BYTES = WIDTH * HEIGHT * 4
PROGRESS_SECONDS = 30
FRAMES_LISTED = 20


def read_frame(stream):
    data = stream.read(FRAME_BYTES)
    if len(data) not in (0, FRAME_BYTES):
        raise SystemExit(f"{stream.name}: a frame cut short after {len(data)} bytes")
    return data


def differing_pixels(a, b):
    return sum(1 for i in range(0, FRAME_BYTES, 4) if a[i:i + 3] != b[i:i + 3])


def main():
    args = sys.argv[1:]
    label = "compare-frames"
    if len(args) == 4 and args[0] == "--label":
        label, args = args[1], args[2:]
    if len(args) != 2:
        raise SystemExit(__doc__)
    frames = frames_differing = pixels_differing = 0
    next_progress = time.monotonic() + PROGRESS_SECONDS
    with open(args[0], "rb") as first, open(args[1], "rb") as second:
        while True:
            a, b = read_frame(first), read_frame(second)
            if not a or not b:
                if a or b:
                    print(f"the streams end at different frames (after frame {frames})")
                    return 1
                break
            frames += 1
            if a != b:
                count = differing_pixels(a, b)
                frames_differing += 1
                pixels_differing += count
                if frames_differing <= FRAMES_LISTED:
                    print(f"frame {frames}: {count} pixels differ", flush=True)
            if time.monotonic() >= next_progress:
                print(f"{label}: {frames} frames compared so far, {frames_differing} differ",
                      file=sys.stderr, flush=True)
                next_progress += PROGRESS_SECONDS
    if frames_differing > FRAMES_LISTED:
        print(f"... and {frames_differing - FRAMES_LISTED} more frames that differ")
    print(f"{frames} frames compared: {frames_differing} differ, "
          f"{pixels_differing} pixels in all")
    return 0 if frames > 0 and frames_differing == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
