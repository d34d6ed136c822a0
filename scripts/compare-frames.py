#!/usr/bin/env python3
"""Compares two raw frame streams of brindlemox-capture --raw (640x480 bgr0
per frame), frame by frame and pixel by pixel.

Prints each frame that differs with its count of differing pixels, then one
summary line. Exits 0 when both streams hold the same frames, 1 otherwise.
usage: compare-frames.py STREAM_A STREAM_B   (files or named pipes)
"""
import sys

WIDTH, HEIGHT = 640, 480
FRAME_BYTES = WIDTH * HEIGHT * 4


def read_frame(stream):
    data = stream.read(FRAME_BYTES)
    if len(data) not in (0, FRAME_BYTES):
        raise SystemExit(f"{stream.name}: a frame cut short after {len(data)} bytes")
    return data


def differing_pixels(a, b):
    return sum(1 for i in range(0, FRAME_BYTES, 4) if a[i:i + 3] != b[i:i + 3])


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    frames = frames_differing = pixels_differing = 0
    with open(sys.argv[1], "rb") as first, open(sys.argv[2], "rb") as second:
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
                print(f"frame {frames}: {count} pixels differ")
    print(f"{frames} frames compared: {frames_differing} differ, "
          f"{pixels_differing} pixels in all")
    return 0 if frames > 0 and frames_differing == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
