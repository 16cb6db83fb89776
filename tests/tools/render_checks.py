#!/usr/bin/python3
"""Helpers for orv-host's command-line test that the shell does badly.

  render_checks.py sparse-wav PATH SECONDS
      a 48 kHz stereo 32-bit float WAV of silence that takes no disk space
  render_checks.py peak-memory MEGABYTES COMMAND...
      runs COMMAND; fails when it fails or its peak resident memory exceeds MEGABYTES
  render_checks.py terminal progress|quiet|refused COMMAND...
      runs COMMAND with its standard output and error on a pseudo-terminal, then checks what
      appeared there: a progress line redrawn at most ten times a second that ends with a
      newline (progress), nothing at all (quiet), or one refusal line and a failure (refused)
"""

import os
import pty
import re
import resource
import struct
import subprocess
import sys
import time


def sparse_wav(path, seconds):
    rate, channels = 48000, 2
    data = int(round(float(seconds) * rate)) * channels * 4
    header = b"RIFF" + struct.pack("<I", 36 + data) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 3, channels, rate, rate * channels * 4,
                                    channels * 4, 32)
    header += b"data" + struct.pack("<I", data)
    with open(path, "wb") as f:
        f.write(header)
        f.truncate(len(header) + data)
    return 0


def peak_memory(megabytes, command):
    code = subprocess.run(command).returncode
    peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
    print("peak memory %.1f MB (limit %s MB), exit %d" % (peak, megabytes, code))
    return 0 if code == 0 and peak <= float(megabytes) else 1


def on_terminal(command):
    started = time.monotonic()
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.execv(command[0], command)
        finally:
            os._exit(127)
    seen = b""
    while True:
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # the child closed the terminal
            break
        if not chunk:
            break
        seen += chunk
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return seen.decode("utf-8", "replace"), os.waitstatus_to_exitcode(status), \
        time.monotonic() - started


def terminal(expectation, command):
    text, code, seconds = on_terminal(command)
    faults = []
    if expectation == "progress":
        redraws = text.count("\r") - text.count("\r\n")  # the terminal turns \n into \r\n
        if code != 0:
            faults.append("exit %d" % code)
        if redraws < 1 or redraws > 10 * seconds + 2:
            faults.append("%d redraws in %.2f s" % (redraws, seconds))
        if not text.endswith("\n"):
            faults.append("does not end with a newline")
        last = text.rstrip().split("\r")[-1]
        if not re.search(r"100%.*\d+:\d\d elapsed .*\d+(\.\d)?x real time", last):
            faults.append("final line lacks 100%, elapsed time or speed")
    elif expectation == "quiet":
        if code != 0 or text:
            faults.append("exit %d" % code)
    elif expectation == "refused":
        if code == 0 or text.count("\n") != 1 or not text.startswith("orv-host: "):
            faults.append("exit %d" % code)
    else:
        faults.append("unknown expectation " + expectation)
    if faults:
        print("%s: %s; the terminal showed %r" % (expectation, ", ".join(faults), text))
        return 1
    print("%s: %r" % (expectation, text.rstrip().split("\r")[-1]))
    return 0


def main(args):
    if args[:1] == ["sparse-wav"] and len(args) == 3:
        return sparse_wav(args[1], args[2])
    if args[:1] == ["peak-memory"] and len(args) > 2:
        return peak_memory(args[1], args[2:])
    if args[:1] == ["terminal"] and len(args) > 2:
        return terminal(args[1], args[2:])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
