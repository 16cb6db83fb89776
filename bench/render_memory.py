#!/usr/bin/python3
"""Peak memory and speed of `orv-host render` on a long input, and the length it writes.

Run: /usr/bin/python3 bench/render_memory.py [--hours H] [--tail S] [--pipe] [--keep]
         [--host build/orv-host] [--folder DIR]

Makes a sparse 32-bit float WAV of H hours (default 3) of 48 kHz stereo silence in DIR (it costs
no disk space and reads fast), renders it into DIR/out.wav (from standard input with --pipe),
prints the peak resident memory of orv-host, the time and speed, and the length the output's
header gives (RF64 or WAV) against the length expected. Files are removed unless --keep.
"""

import argparse
import os
import resource
import struct
import subprocess
import sys
import tempfile
import time

RATE = 48000
CHANNELS = 2


def write_sparse_wav(path, frames):
    data = frames * CHANNELS * 4
    if data > 0xFFFFFFFF - 36:
        sys.exit("render_memory: %d frames do not fit a WAV input" % frames)
    header = b"RIFF" + struct.pack("<I", 36 + data) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 3, CHANNELS, RATE, RATE * CHANNELS * 4,
                                    CHANNELS * 4, 32)
    header += b"data" + struct.pack("<I", data)
    with open(path, "wb") as f:
        f.write(header)
        f.truncate(len(header) + data)


def header_frames(path):
    """The frame count a WAV or RF64 header gives, and which of the two it is."""
    with open(path, "rb") as f:
        kind = f.read(4).decode("ascii", "replace")
        f.read(8)
        ds64_data = None
        align = None
        while True:
            head = f.read(8)
            if len(head) < 8:
                return kind, None
            cid, size = head[:4], struct.unpack("<I", head[4:])[0]
            if cid == b"ds64":
                body = f.read(size + (size & 1))
                ds64_data = struct.unpack("<Q", body[8:16])[0]
            elif cid == b"fmt ":
                body = f.read(size + (size & 1))
                align = struct.unpack("<H", body[12:14])[0]
            elif cid == b"data":
                data = ds64_data if (kind == "RF64" and size == 0xFFFFFFFF) else size
                return kind, data // align
            else:
                f.seek(size + (size & 1), 1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--hours", type=float, default=3.0)
    parser.add_argument("--tail", type=float, default=2.0)
    parser.add_argument("--pipe", action="store_true")
    parser.add_argument("--keep", action="store_true")
    parser.add_argument("--host", default=os.path.join(os.path.dirname(__file__), "..", "build",
                                                       "orv-host"))
    parser.add_argument("--folder", default=None)
    args = parser.parse_args()

    folder = args.folder or tempfile.mkdtemp(prefix="orv-render-memory-")
    source = os.path.join(folder, "long.wav")
    target = os.path.join(folder, "out.wav")
    frames = int(round(args.hours * 3600 * RATE))
    write_sparse_wav(source, frames)
    command = [args.host, "render", "-" if args.pipe else source, target, "--tail", str(args.tail)]
    started = time.monotonic()
    try:
        if args.pipe:
            with open(source, "rb") as stdin:
                done = subprocess.run(command, stdin=stdin)
        else:
            done = subprocess.run(command)
        seconds = time.monotonic() - started
        peak_mb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
        audio = frames / RATE + args.tail
        print("input        %.2f h of %d Hz stereo (%s)" % (args.hours, RATE,
                                                          "pipe" if args.pipe else "file"))
        print("exit         %d" % done.returncode)
        print("peak memory  %.1f MB" % peak_mb)
        print("time         %.1f s (%.0fx real time)" % (seconds, audio / seconds))
        if done.returncode == 0:
            kind, got = header_frames(target)
            expected = frames + int(round(args.tail * RATE))
            print("output       %s, %.2f GB, header says %s frames, expected %d" % (
                kind, os.path.getsize(target) / 1e9, got, expected))
            return 0 if got == expected else 1
        return 1
    finally:
        if not args.keep:
            for path in (source, target):
                if os.path.exists(path):
                    os.remove(path)
            if not args.folder:
                os.rmdir(folder)


if __name__ == "__main__":
    sys.exit(main())
