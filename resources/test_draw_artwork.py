#!/usr/bin/python3
"""Tests of the artwork script and of the committed pictures.

Run: /usr/bin/python3 resources/test_draw_artwork.py
"""

import os
import sys
import unittest

import cairo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_artwork as art  # noqa: E402


def copy_of(surface):
    copy = cairo.ImageSurface(surface.get_format(), surface.get_width(), surface.get_height())
    ctx = cairo.Context(copy)
    ctx.set_source_surface(surface, 0, 0)
    ctx.set_operator(cairo.OPERATOR_SOURCE)
    ctx.paint()
    copy.flush()
    return copy


def fill(surface, box, colour, alpha=1.0):
    ctx = cairo.Context(surface)
    ctx.rectangle(box[0], box[1], box[2] - box[0], box[3] - box[1])
    ctx.set_source_rgba(colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0, alpha)
    ctx.set_operator(cairo.OPERATOR_SOURCE)
    ctx.fill()
    surface.flush()


class ArtworkTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = art.missing_fonts()
        if missing:
            raise unittest.SkipTest("fonts missing: " + "; ".join(missing))
        cls.pictures, cls.legends = art.draw_all()

    def test_fresh_drawing_passes_its_own_checks(self):
        self.assertEqual(art.check(self.pictures, self.legends), [])

    def test_drawing_is_deterministic_and_committed_files_are_current(self):
        again, _ = art.draw_all()
        for pid, surface in self.pictures.items():
            data = art.png_bytes(surface)
            self.assertTrue(data == art.png_bytes(again[pid]), "picture %d differs between runs" % pid)
            with open(os.path.join(art.HERE, "%d.png" % pid), "rb") as f:
                self.assertTrue(f.read() == data, "%d.png is stale: run draw_artwork.py" % pid)

    def test_committed_files_have_the_sizes_and_channels_the_controls_expect(self):
        for pid, surface in self.pictures.items():
            png = cairo.ImageSurface.create_from_png(os.path.join(art.HERE, "%d.png" % pid))
            self.assertEqual((png.get_width(), png.get_height()), (surface.get_width(), surface.get_height()))
            # cairo reads RGB files as RGB24 and RGBA files as ARGB32.
            self.assertEqual(png.get_format(), surface.get_format(), "picture %d channels" % pid)

    def test_finer_sets_are_current_and_reduce_to_the_1x_pictures(self):
        for scale in art.SCALED_SETS:
            art.SCALE = scale
            try:
                finer, _ = art.draw_all()
            finally:
                art.SCALE = 1
            for pid, surface in finer.items():
                one = self.pictures[pid]
                self.assertEqual(
                    (surface.get_width(), surface.get_height()),
                    (one.get_width() * scale, one.get_height() * scale),
                    "%dx picture %d size" % (scale, pid),
                )
                with open(os.path.join(art.HERE, "%dx" % scale, "%d.png" % pid), "rb") as f:
                    self.assertTrue(f.read() == art.png_bytes(surface), "%dx/%d.png is stale" % (scale, pid))
                # The same drawing: reduced to 1x it differs from the 1x picture only at edges
                # that fall between pixels (most in the PRESET and BANK words, whose 1x glyphs
                # hinting puts on whole pixels); a wrong offset or size differs by far more.
                small = cairo.ImageSurface(one.get_format(), one.get_width(), one.get_height())
                ctx = cairo.Context(small)
                # The finer picture carries its device scale: as a source it has the 1x size.
                ctx.set_source_surface(surface, 0, 0)
                ctx.get_source().set_filter(cairo.FILTER_GOOD)
                ctx.set_operator(cairo.OPERATOR_SOURCE)
                ctx.paint()
                small.flush()
                a, b = bytes(small.get_data()), bytes(one.get_data())
                mean = sum(abs(x - y) for x, y in zip(a, b)) / len(a)
                self.assertLess(mean, 20.0, "%dx picture %d reduced differs from 1x" % (scale, pid))

    def test_pictures_drawn_over_the_background_blend_with_it(self):
        bg = self.pictures[1128]
        # Strip buttons: the left column of every state is the strip under the control.
        rows = [(pid, rect, 14) for pid, (rect, _) in art.STRIP_ARROWS.items()]
        rows += [(pid, rect, 10) for pid, (rect, _) in art.STRIP_WORDS.items()]
        for pid, rect, state_h in rows:
            image = self.pictures[pid]
            visible = min(state_h, rect[3] - rect[1])
            for state in range(3):
                for y in range(visible):
                    self.assertEqual(
                        art.pixel(image, 0, state * state_h + y)[:3],
                        art.pixel(bg, rect[0], rect[1] + y)[:3],
                        "picture %d state %d row %d" % (pid, state, y),
                    )
        # Bypass key: its top row; LED: its corners.
        key = self.pictures[1132]
        l, t, r, b = art.BYPASS_RECT
        for state in range(2):
            for x in range(r - l):
                self.assertEqual(art.pixel(key, x, state * (b - t))[:3], art.pixel(bg, l + x, t)[:3])
        led = self.pictures[1131]
        l, t, r, b = art.LED_RECT
        for state in range(2):
            for dx, dy in ((0, 0), (r - l - 1, 0), (0, b - t - 1), (r - l - 1, b - t - 1)):
                self.assertEqual(art.pixel(led, dx, state * (b - t) + dy)[:3], art.pixel(bg, l + dx, t + dy)[:3])

    def test_about_picture_edges_show_the_panel_behind_it(self):
        about, bg = self.pictures[1200], self.pictures[1128]
        ox, oy = art.ABOUT_ORIGIN
        w, h = art.ABOUT_SIZE
        edge = [(x, y) for x in range(w) for y in (0, h - 1)] + [(x, y) for y in range(h) for x in (0, w - 1)]
        for x, y in edge:
            self.assertEqual(art.pixel(about, x, y)[:3], art.pixel(bg, ox + x, oy + y)[:3], "at %d,%d" % (x, y))

    def test_checks_report_pictures_that_do_not_fit_their_controls(self):
        def problems_with(pid, mutate, legends=None):
            pictures = dict(self.pictures)
            pictures[pid] = copy_of(pictures[pid])
            mutate(pictures[pid])
            return art.check(pictures, self.legends if legends is None else legends)

        dark_display = problems_with(1128, lambda s: fill(s, art.DISPLAYS["mix"], (60, 30, 10)))
        self.assertTrue(any("display mix" in p for p in dark_display), dark_display)

        wrong_field = problems_with(1128, lambda s: fill(s, art.NAME_FIELD, (200, 200, 200)))
        self.assertTrue(any("name field" in p for p in wrong_field), wrong_field)

        dark_knob = problems_with(1128, lambda s: fill(s, art.KNOBS[0][1], (20, 20, 20)))
        self.assertTrue(any("knob decay" in p for p in dark_knob), dark_knob)

        opaque_handle = problems_with(1130, lambda s: fill(s, (0, 0, 6, 6), (0, 0, 0)))
        self.assertTrue(any("handle 1130 corners" in p for p in opaque_handle), opaque_handle)

        led_always_off = problems_with(1131, lambda s: fill(s, (0, 10, 10, 20), (90, 10, 10)))
        self.assertTrue(any("LED on state" in p for p in led_always_off), led_always_off)

        busy_version_box = problems_with(1200, lambda s: fill(s, (180, 82, 200, 92), (20, 20, 20)))
        self.assertTrue(any("version box" in p for p in busy_version_box), busy_version_box)

        def same_states(s):
            first = copy_of(s)
            ctx = cairo.Context(s)
            ctx.set_operator(cairo.OPERATOR_SOURCE)
            for state in (1, 2):
                ctx.set_source_surface(first, 0, 14 * state)
                ctx.rectangle(0, 14 * state, 12, 14)
                ctx.fill()
            s.flush()

        flat_button = problems_with(19991, same_states)
        self.assertTrue(any("19991 has identical states" in p for p in flat_button), flat_button)

        covered = self.legends + [("TUNE", (110, 130, 120, 136))]
        self.assertTrue(any("legend TUNE" in p for p in problems_with(1128, lambda s: None, covered)))

        pictures = dict(self.pictures)
        pictures[1129] = cairo.ImageSurface(cairo.FORMAT_ARGB32, 10, 9)
        self.assertTrue(any("1129 is 10x9" in p for p in art.check(pictures, self.legends)))


if __name__ == "__main__":
    unittest.main()
