#!/usr/bin/python3
"""The Windows editor draws the same picture as the Linux one: every pixel outside the text
fields is identical (text goes through each platform's own rasteriser, so only its edges may
differ). Both sides draw a new instance's editor offscreen.

Run: compare_editor_shot.py ORV_HOST LAYOUT_JSON WINE WINDOWS_SHOT_EXE
Exits 77 (skipped) when the Linux orv-host is not built.
"""

import json
import os
import subprocess
import sys
import tempfile

import cairo


def linux_pixels(orv_host, folder):
    path = os.path.join(folder, "linux.png")
    subprocess.run([orv_host, "shot", path], check=True, stdout=subprocess.DEVNULL)
    surface = cairo.ImageSurface.create_from_png(path)
    width, height, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    data = bytes(surface.get_data())
    # cairo keeps 0xAARRGGBB little-endian: bytes B, G, R, A.
    return width, height, [tuple(data[y * stride + 4 * x + 2 - i] for i in range(3))
                           for y in range(height) for x in range(width)]


def windows_pixels(wine, exe, folder):
    subprocess.run([wine, exe, "windows.ppm"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(folder, "windows.ppm"), "rb") as f:
        data = f.read()
    header, width, height, depth = data.split(maxsplit=4)[:4]
    assert header == b"P6" and depth == b"255"
    width, height = int(width), int(height)
    pixels = data[len(data) - 3 * width * height:]
    return width, height, [tuple(pixels[3 * i:3 * i + 3]) for i in range(width * height)]


def main():
    orv_host, layout_json, wine, exe = sys.argv[1:5]
    if not os.access(orv_host, os.X_OK):
        print("no Linux orv-host at %s: build the Linux tree first" % orv_host)
        return 77
    with open(layout_json) as f:
        layout = json.load(f)
    text = list(layout["displays"].values()) + [layout["controls"]["nameField"]]
    with tempfile.TemporaryDirectory() as folder:
        lw, lh, linux = linux_pixels(orv_host, folder)
        ww, wh, windows = windows_pixels(wine, exe, folder)
    if (lw, lh) != (ww, wh):
        print("sizes differ: Linux %dx%d, Windows %dx%d" % (lw, lh, ww, wh))
        return 1
    outside = [(i % lw, i // lw) for i in range(lw * lh)
               if linux[i] != windows[i]
               and not any(r[0] <= i % lw < r[2] and r[1] <= i // lw < r[3] for r in text)]
    inside = sum(linux[i] != windows[i] for i in range(lw * lh))
    if outside:
        print("%d pixels outside the text fields differ, first at %s" % (len(outside), outside[:5]))
        return 1
    print("same picture outside the text fields; %d text pixels differ" % inside)
    return 0


if __name__ == "__main__":
    sys.exit(main())
