#!/usr/bin/python3
"""Draws every picture of the plug-in editor and writes one PNG per resource id.

Regenerate all pictures (from the repository root):

    /usr/bin/python3 resources/draw_artwork.py

Every picture is written three times: at its size in frame pixels (<id>.png) and at two and
three times that resolution (2x/<id>.png, 3x/<id>.png) for editors drawn at a larger scale.

Other modes:
    --check            draw in memory and fail if a committed PNG differs (stale artwork)
    --preview FILE     also write a 3x-scaled composite of the editor as a user sees it
                       (handles, LED, key, strip buttons and sample display texts placed
                       at their control positions); for looking at, not for committing

Needs python3-cairo, fontconfig and fonts-liberation2 (checked at start). The output is
deterministic: the grain textures come from a fixed seed and every text is drawn with
explicit font options, so the same machine writes the same bytes on every run.

Geometry is in frame pixels (left, top, right, bottom; right and bottom exclusive), the
same numbers the editor uses for its controls. Controls repaint their own rectangle from
the background picture, so anything drawn there must be what the control should show
under its text or handle; pictures that are drawn over the background (LED, bypass key,
strip buttons, about plate) start from a copy of the background under them so that they
blend without a seam.
"""

import json
import math
import os
import random
import re
import sys

import cairo

HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 320, 257

# ---------------------------------------------------------------------------------------
# Layout: the editor's control rectangles
# ---------------------------------------------------------------------------------------

# The rectangles come from layout.json, the one table of them that the C++ editor is built from
# too; only what the pictures draw (legends, colours, words) is written here.
with open(os.path.join(HERE, "layout.json"), encoding="utf-8") as _f:
    LAYOUT = json.load(_f)


def _box(r):
    return tuple(r)


# (name, legend, large) in drawing order; legends are centred over their knob.
KNOB_LEGENDS = [
    ("decay", "DECAY TIME", True),
    ("damp", "DAMPING", True),
    ("transpose", "TRANSPOSE", False),
    ("tune", "TUNE", False),
    ("detune", "DETUNE", False),
    ("mix", "MIX", False),
    ("output", "OUTPUT", False),
]
# (name, rectangle, legend, large)
KNOBS = [(name, _box(LAYOUT["knobs"][name]), legend, large) for name, legend, large in KNOB_LEGENDS]
# The Detune legend sits next to the Transpose display; a small shift keeps air between.
LEGEND_NUDGE = {"detune": 2}
# Knobs whose middle position is a neutral setting get a longer tick at the top.
BIPOLAR = {"transpose", "tune"}

DISPLAYS = {name: _box(LAYOUT["displays"][name]) for name, _, _ in KNOB_LEGENDS}

_CONTROLS = LAYOUT["controls"]
LED_RECT = _box(_CONTROLS["led"])
BYPASS_RECT = _box(_CONTROLS["bypassKey"])
ABOUT_HOTSPOT = _box(_CONTROLS["aboutHotSpot"])
ABOUT_ORIGIN = tuple(_CONTROLS["aboutPicture"][:2])
ABOUT_SIZE = (_CONTROLS["aboutPicture"][2] - ABOUT_ORIGIN[0], _CONTROLS["aboutPicture"][3] - ABOUT_ORIGIN[1])
# Where the plug-in writes its version text, relative to the about picture. The box is
# wider than the picture; the text ("v.1.5.0", about 30 pixels) needs a plain, light field
# up to VERSION_FIELD_RIGHT.
VERSION_BOX = _box(_CONTROLS["aboutVersion"])
VERSION_FIELD_RIGHT = 244

NAME_FIELD = _box(_CONTROLS["nameField"])
NAME_FIELD_FILL = (189, 207, 218)
NAME_FIELD_FRAME = (36, 36, 32)
MENU_RECT = _box(_CONTROLS["programMenu"])
ROCKER_RECT = _box(_CONTROLS["rocker"])

# Preset-strip buttons: resource id -> (rectangle, kind). The rectangle is where the first
# state's top-left lands; a few rectangles are shorter than one state. Load and recall arrows
# are green, save and store arrows red; the default buttons are the words.
_STRIP = LAYOUT["strip"]
_ARROW_COLOUR = {"load": "green", "recall": "green", "save": "red", "store": "red"}
STRIP_ARROWS = {
    b["bitmap"]: (_box(b["rect"]), _ARROW_COLOUR[verb])
    for key, b in _STRIP.items()
    for verb in _ARROW_COLOUR
    if key.startswith(verb)
}
STRIP_WORDS = {
    _STRIP["defaultPreset"]["bitmap"]: (_box(_STRIP["defaultPreset"]["rect"]), "PRESET"),
    _STRIP["defaultBank"]["bitmap"]: (_box(_STRIP["defaultBank"]["rect"]), "BANK"),
}

PANEL = (6, 3, 314, 219)
PANEL_RADIUS = 13
STRIP_TOP = 222

# Every control rectangle that repaints itself from the background; legends must stay
# clear of all of them.
CONTROL_RECTS = (
    [k[1] for k in KNOBS]
    + list(DISPLAYS.values())
    + [LED_RECT, BYPASS_RECT, NAME_FIELD, MENU_RECT, ROCKER_RECT]
    + [r for r, _ in STRIP_ARROWS.values()]
    + [r for r, _ in STRIP_WORDS.values()]
)

SANS = "Liberation Sans"
SERIF = "Liberation Serif"

# ---------------------------------------------------------------------------------------
# Drawing helpers
# ---------------------------------------------------------------------------------------


def rgb(c, a=None):
    """Cairo colour from 0..255 components."""
    if a is None:
        return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0)
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, a)


def mix(c1, c2, t):
    return tuple(c1[i] + (c2[i] - c1[i]) * t for i in range(3))


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


# Device pixels per frame pixel of the set being drawn: 1, or 2 and 3 for the sharp sets of
# scaled editors. Every drawing is the same in frame pixels; only the resolution differs.
SCALE = 1


def new_surface(w, h, alpha=False):
    """A w x h picture in frame pixels, SCALE times as many device pixels."""
    fmt = cairo.FORMAT_ARGB32 if alpha else cairo.FORMAT_RGB24
    surface = cairo.ImageSurface(fmt, w * SCALE, h * SCALE)
    surface.set_device_scale(SCALE, SCALE)
    ctx = cairo.Context(surface)
    return surface, ctx


def paint_grain(ctx, surface, x, y):
    """Grain is a texture of frame pixels: finer sets enlarge it without smoothing, so a finer
    set reduced to 1x shows the same grain as the 1x set."""
    ctx.set_source_surface(surface, x, y)
    ctx.get_source().set_filter(cairo.FILTER_NEAREST)
    ctx.paint()


def set_font(ctx, size, bold=False, italic=False, family=SANS):
    ctx.select_font_face(
        family,
        cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
        cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL,
    )
    ctx.set_font_size(size)
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    options.set_hint_metrics(cairo.HINT_METRICS_ON)
    ctx.set_font_options(options)


def fractional_advances(ctx):
    """Letter-spaced text is placed glyph by glyph; whole-pixel advances would make its gaps
    uneven, so it uses the font's exact advances. Call inside save/restore."""
    options = ctx.get_font_options()
    options.set_hint_metrics(cairo.HINT_METRICS_OFF)
    ctx.set_font_options(options)


def text_width(ctx, text, tracking=0.0):
    """Advance width of text drawn glyph by glyph with extra space between letters."""
    if tracking == 0.0:
        return ctx.text_extents(text).x_advance
    ctx.save()
    fractional_advances(ctx)
    width = sum(ctx.text_extents(ch).x_advance for ch in text) + tracking * (len(text) - 1)
    ctx.restore()
    return width


def show_text(ctx, text, x, y, tracking=0.0):
    if tracking == 0.0:
        ctx.move_to(x, y)
        ctx.show_text(text)
        return
    ctx.save()
    fractional_advances(ctx)
    for ch in text:
        ctx.move_to(x, y)
        ctx.show_text(ch)
        x += ctx.text_extents(ch).x_advance + tracking
    ctx.restore()


def ink_box(ctx, text, x, y, tracking=0.0):
    """Pixel box (left, top, right, bottom) covered by the glyphs of text drawn at x, y."""
    ext = ctx.text_extents(text)
    width = text_width(ctx, text, tracking)
    return (
        math.floor(x + ext.x_bearing),
        math.floor(y + ext.y_bearing),
        math.ceil(x + width),
        math.ceil(y + ext.y_bearing + ext.height),
    )


def grain(w, h, seed, strength):
    """Translucent black/white grain: powder-coat and anodised finishes."""
    rng = random.Random(seed)
    stride = cairo.ImageSurface.format_stride_for_width(cairo.FORMAT_ARGB32, w)
    data = bytearray(stride * h)
    for y in range(h):
        row = y * stride
        for x in range(w):
            v = rng.random() * 2.0 - 1.0
            a = int(abs(v) * strength * 255)
            c = a if v > 0 else 0  # premultiplied white or black
            i = row + 4 * x
            data[i] = c
            data[i + 1] = c
            data[i + 2] = c
            data[i + 3] = a
    return cairo.ImageSurface.create_for_data(data, cairo.FORMAT_ARGB32, w, h, stride)


# Engraving on the orange finish: dark letters with a light lip below them.
ENGRAVE_INK = (58, 26, 6)
ENGRAVE_LIP = (255, 214, 160)


def engraved_text(ctx, text, cx, baseline, size, tracking, boxes=None):
    set_font(ctx, size, bold=True)
    w = text_width(ctx, text, tracking)
    x = round(cx - w / 2.0)
    ctx.set_source_rgba(*rgb(ENGRAVE_LIP, 0.55))
    show_text(ctx, text, x, baseline + 1, tracking)
    ctx.set_source_rgba(*rgb(ENGRAVE_INK, 0.92))
    show_text(ctx, text, x, baseline, tracking)
    if boxes is not None:
        l, t, r, b = ink_box(ctx, text, x, baseline, tracking)
        boxes.append((text, (l, t, r, b + 1)))


def engraved_line(ctx, x0, y0, x1, y1, width=1.0, alpha=0.9):
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(width)
    ctx.set_source_rgba(*rgb(ENGRAVE_LIP, 0.5))
    ctx.move_to(x0, y0 + 1)
    ctx.line_to(x1, y1 + 1)
    ctx.stroke()
    ctx.set_source_rgba(*rgb(ENGRAVE_INK, alpha))
    ctx.move_to(x0, y0)
    ctx.line_to(x1, y1)
    ctx.stroke()


def rect_centre(r):
    return ((r[0] + r[2]) / 2.0, (r[1] + r[3]) / 2.0)


# ---------------------------------------------------------------------------------------
# Background parts
# ---------------------------------------------------------------------------------------


def draw_backdrop(ctx):
    g = cairo.RadialGradient(160, 100, 20, 160, 120, 260)
    g.add_color_stop_rgb(0, *rgb((46, 44, 42)))
    g.add_color_stop_rgb(1, *rgb((16, 16, 17)))
    ctx.set_source(g)
    ctx.paint()
    paint_grain(ctx, grain(WIDTH, HEIGHT, 11, 0.035), 0, 0)


def panel_path(ctx, grow=0.0):
    l, t, r, b = PANEL
    rounded_rect(ctx, l - grow, t - grow, r - l + 2 * grow, b - t + 2 * grow, PANEL_RADIUS + grow)


def draw_panel(ctx):
    l, t, r, b = PANEL
    # Shadow on the desk below and around the pedal.
    for i in range(7, 0, -1):
        ctx.save()
        ctx.translate(0, 2.5)
        panel_path(ctx, i * 0.8)
        ctx.set_source_rgba(0, 0, 0, 0.07)
        ctx.fill()
        ctx.restore()

    # Orange powder-coated top.
    panel_path(ctx)
    g = cairo.LinearGradient(0, t, 0, b)
    g.add_color_stop_rgb(0.0, *rgb((246, 138, 40)))
    g.add_color_stop_rgb(0.55, *rgb((232, 112, 24)))
    g.add_color_stop_rgb(1.0, *rgb((208, 90, 14)))
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.save()
    ctx.clip()
    light = cairo.RadialGradient(95, 10, 10, 95, 10, 240)
    light.add_color_stop_rgba(0, 1, 1, 0.9, 0.16)
    light.add_color_stop_rgba(1, 1, 1, 0.9, 0.0)
    ctx.set_source(light)
    ctx.paint()
    paint_grain(ctx, grain(WIDTH, HEIGHT, 23, 0.05), 0, 0)
    ctx.restore()

    # Rounded-over edge: light along the top, dark along the bottom.
    ctx.save()
    panel_path(ctx, -1.0)
    bevel = cairo.LinearGradient(0, t, 0, b)
    bevel.add_color_stop_rgba(0.0, 1, 0.95, 0.85, 0.75)
    bevel.add_color_stop_rgba(0.25, 1, 0.95, 0.85, 0.15)
    bevel.add_color_stop_rgba(0.75, 0.3, 0.1, 0, 0.10)
    bevel.add_color_stop_rgba(1.0, 0.3, 0.1, 0, 0.55)
    ctx.set_source(bevel)
    ctx.set_line_width(2.0)
    ctx.stroke()
    panel_path(ctx, -0.5)
    ctx.set_source_rgba(*rgb((70, 28, 4), 0.9))
    ctx.set_line_width(1.0)
    ctx.stroke()
    ctx.restore()

    for x, y in ((18, 15), (302, 15), (18, 207), (302, 207)):
        draw_screw(ctx, x, y, 4.2, angle=0.35 + 0.5 * (x + y) / 320.0)


def draw_screw(ctx, cx, cy, r, angle):
    ctx.arc(cx + 0.4, cy + 0.9, r + 0.6, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    g = cairo.LinearGradient(cx - r, cy - r, cx + r, cy + r)
    g.add_color_stop_rgb(0, *rgb((236, 236, 232)))
    g.add_color_stop_rgb(0.5, *rgb((170, 170, 166)))
    g.add_color_stop_rgb(1, *rgb((96, 96, 94)))
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.set_source_rgba(0, 0, 0, 0.5)
    ctx.set_line_width(0.6)
    ctx.stroke()
    # Cross recess.
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for a in (angle, angle + math.pi / 2):
        dx, dy = math.cos(a) * (r - 1.3), math.sin(a) * (r - 1.3)
        ctx.set_line_width(1.3)
        ctx.set_source_rgba(1, 1, 1, 0.45)
        ctx.move_to(cx - dx + 0.4, cy - dy + 0.5)
        ctx.line_to(cx + dx + 0.4, cy + dy + 0.5)
        ctx.stroke()
        ctx.set_source_rgba(*rgb((40, 40, 40), 0.9))
        ctx.move_to(cx - dx, cy - dy)
        ctx.line_to(cx + dx, cy + dy)
        ctx.stroke()


def draw_banner(ctx):
    l, t, r, b = ABOUT_HOTSPOT
    w, h = r - l, b - t
    # Recess the plate sits in.
    rounded_rect(ctx, l - 1, t - 1, w + 2, h + 2, 6)
    ctx.set_source_rgba(*rgb((90, 38, 6), 0.55))
    ctx.fill()
    rounded_rect(ctx, l - 1, t, w + 2, h + 2, 6)
    ctx.set_source_rgba(*rgb((255, 220, 170), 0.5))
    ctx.set_line_width(1.0)
    ctx.stroke()

    # Black anodised plate with a polished chamfer.
    rounded_rect(ctx, l, t, w, h, 5)
    chamfer = cairo.LinearGradient(0, t, 0, b)
    chamfer.add_color_stop_rgb(0, *rgb((200, 198, 192)))
    chamfer.add_color_stop_rgb(0.5, *rgb((110, 108, 104)))
    chamfer.add_color_stop_rgb(1, *rgb((60, 58, 56)))
    ctx.set_source(chamfer)
    ctx.fill()
    rounded_rect(ctx, l + 1.5, t + 1.5, w - 3, h - 3, 3.8)
    face = cairo.LinearGradient(0, t, 0, b)
    face.add_color_stop_rgb(0, *rgb((44, 40, 38)))
    face.add_color_stop_rgb(1, *rgb((16, 15, 15)))
    ctx.set_source(face)
    ctx.fill_preserve()
    ctx.save()
    ctx.clip()
    paint_grain(ctx, grain(w, h, 37, 0.06), l, t)
    # Gloss across the upper half.
    rounded_rect(ctx, l + 2, t + 2, w - 4, (h - 4) * 0.48, 3)
    gloss = cairo.LinearGradient(0, t, 0, t + h * 0.5)
    gloss.add_color_stop_rgba(0, 1, 1, 1, 0.12)
    gloss.add_color_stop_rgba(1, 1, 1, 1, 0.02)
    ctx.set_source(gloss)
    ctx.fill()
    ctx.restore()

    # Product name: a serif logotype with a warm gold face.
    cx = (l + r) / 2.0
    set_font(ctx, 20, bold=True, italic=True, family=SERIF)
    title = "Orv Sympharon"
    tw = text_width(ctx, title)
    x = round(cx - tw / 2.0)
    base = t + 22
    ctx.set_source_rgba(0, 0, 0, 0.8)
    ctx.move_to(x + 1, base + 1)
    ctx.show_text(title)
    ctx.move_to(x, base)
    ctx.text_path(title)
    gold = cairo.LinearGradient(0, base - 15, 0, base + 2)
    gold.add_color_stop_rgb(0, *rgb((255, 236, 196)))
    gold.add_color_stop_rgb(0.55, *rgb((252, 184, 92)))
    gold.add_color_stop_rgb(1, *rgb((226, 120, 34)))
    ctx.set_source(gold)
    ctx.fill()

    # Thin rules either side of the descriptor line.
    set_font(ctx, 6, bold=True)
    sub = "STRING RESONATOR"
    track = 1.6
    sw = text_width(ctx, sub, track)
    sx = round(cx - sw / 2.0)
    sbase = t + 34
    ctx.set_source_rgba(*rgb((240, 150, 60), 0.95))
    show_text(ctx, sub, sx, sbase, track)
    ctx.set_line_width(1.0)
    for x0, x1 in ((l + 22, sx - 6), (sx + sw + 6, r - 22)):
        g = cairo.LinearGradient(x0, 0, x1, 0)
        fade_left = x0 < cx - sw / 2 - 10
        g.add_color_stop_rgba(0, *rgb((240, 150, 60), 0.0 if fade_left else 0.7))
        g.add_color_stop_rgba(1, *rgb((240, 150, 60), 0.7 if fade_left else 0.0))
        ctx.set_source(g)
        ctx.move_to(x0, sbase - 2.5)
        ctx.line_to(x1, sbase - 2.5)
        ctx.stroke()


def knob_geometry(rect):
    l, t, r, b = rect
    return (l + r) / 2.0, (t + b) / 2.0, (r - l) / 2.0


def draw_scale(ctx, name, rect, large):
    cx, cy, radius = knob_geometry(rect)
    start, sweep = 0.75 * math.pi, 1.5 * math.pi
    if large:
        r0, r1, width = radius + 2.6, radius + 5.0, 1.1
    else:
        r0, r1, width = radius + 1.8, radius + 3.6, 1.0
    for i in range(11):
        a = start + sweep * i / 10.0
        outer = r1
        if i in (0, 10) or (name in BIPOLAR and i == 5):
            outer += 1.3 if large else 1.0
        engraved_line(
            ctx,
            cx + math.cos(a) * r0,
            cy + math.sin(a) * r0,
            cx + math.cos(a) * outer,
            cy + math.sin(a) * outer,
            width,
        )


def draw_knob(ctx, rect, large):
    cx, cy, radius = knob_geometry(rect)
    body = radius - 0.6
    # Shadow cast down and to the right.
    for i in range(5, 0, -1):
        ctx.arc(cx + 0.8, cy + 1.8, body + i * 0.55, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, 0.07)
        ctx.fill()

    # Knurled dark skirt.
    ctx.arc(cx, cy, body, 0, 2 * math.pi)
    skirt = cairo.LinearGradient(cx, cy - body, cx, cy + body)
    skirt.add_color_stop_rgb(0, *rgb((92, 92, 92)))
    skirt.add_color_stop_rgb(1, *rgb((18, 18, 18)))
    ctx.set_source(skirt)
    ctx.fill()
    teeth = 36 if large else 20
    ctx.set_line_width(0.6)
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        ctx.move_to(cx + math.cos(a) * (body - 1.2), cy + math.sin(a) * (body - 1.2))
        ctx.line_to(cx + math.cos(a) * body, cy + math.sin(a) * body)
        shade = 0.5 + 0.5 * math.cos(a + math.pi * 0.75)
        ctx.set_source_rgba(1, 1, 1, 0.10 + 0.25 * shade)
        ctx.stroke()

    # Machined aluminium cap: a conic sheen built from a mesh, plus fine lathe rings.
    cap = body - (1.3 if large else 1.1)
    mesh = cairo.MeshPattern()
    segments = 72
    light_dir = -0.75 * math.pi

    def sheen(a):
        s = math.cos(2 * (a - light_dir))
        return mix((150, 152, 156), (238, 238, 236), 0.5 + 0.5 * s)

    centre = (205, 206, 206)
    for i in range(segments):
        a0 = 2 * math.pi * i / segments
        a1 = 2 * math.pi * (i + 1) / segments
        mesh.begin_patch()
        mesh.move_to(cx, cy)
        mesh.line_to(cx + math.cos(a0) * cap, cy + math.sin(a0) * cap)
        mesh.line_to(cx + math.cos(a1) * cap, cy + math.sin(a1) * cap)
        mesh.line_to(cx, cy)
        mesh.set_corner_color_rgb(0, *rgb(centre))
        mesh.set_corner_color_rgb(1, *rgb(sheen(a0)))
        mesh.set_corner_color_rgb(2, *rgb(sheen(a1)))
        mesh.set_corner_color_rgb(3, *rgb(centre))
        mesh.end_patch()
    ctx.save()
    ctx.arc(cx, cy, cap, 0, 2 * math.pi)
    ctx.clip()
    ctx.set_source(mesh)
    ctx.paint()
    rng = random.Random(int(cx * 1000 + cy))
    rr = 0.8
    while rr < cap:
        v = rng.random()
        ctx.arc(cx, cy, rr, 0, 2 * math.pi)
        if v > 0.5:
            ctx.set_source_rgba(1, 1, 1, (v - 0.5) * 0.18)
        else:
            ctx.set_source_rgba(0, 0, 0, (0.5 - v) * 0.12)
        ctx.set_line_width(0.5)
        ctx.stroke()
        rr += 0.5
    # Overall light from the upper left.
    dome = cairo.LinearGradient(cx - cap, cy - cap, cx + cap, cy + cap)
    dome.add_color_stop_rgba(0, 1, 1, 1, 0.18)
    dome.add_color_stop_rgba(0.5, 1, 1, 1, 0.0)
    dome.add_color_stop_rgba(1, 0, 0, 0, 0.16)
    ctx.set_source(dome)
    ctx.paint()
    ctx.restore()

    # Chamfer between cap and skirt.
    ctx.arc(cx, cy, cap - 0.3, 0, 2 * math.pi)
    rim = cairo.LinearGradient(cx - cap, cy - cap, cx + cap, cy + cap)
    rim.add_color_stop_rgba(0, 1, 1, 1, 0.9)
    rim.add_color_stop_rgba(0.5, 0.6, 0.6, 0.6, 0.4)
    rim.add_color_stop_rgba(1, 0.1, 0.1, 0.1, 0.8)
    ctx.set_source(rim)
    ctx.set_line_width(0.8)
    ctx.stroke()
    ctx.arc(cx, cy, body - 0.25, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.75)
    ctx.set_line_width(0.5)
    ctx.stroke()


def draw_display_window(ctx, rect):
    l, t, r, b = rect
    w, h = r - l, b - t
    # Light lip below the cut-out, as if the window were sunk into the panel.
    rounded_rect(ctx, l - 0.5, t + 0.5, w + 1, h + 0.5, 3)
    ctx.set_source_rgba(*rgb((255, 222, 180), 0.55))
    ctx.set_line_width(1.0)
    ctx.stroke()
    rounded_rect(ctx, l, t, w, h, 2.5)
    ctx.set_source_rgb(*rgb((52, 30, 14)))
    ctx.fill()
    rounded_rect(ctx, l + 1, t + 1, w - 2, h - 2, 1.8)
    g = cairo.LinearGradient(0, t + 1, 0, b - 1)
    g.add_color_stop_rgb(0, *rgb((226, 230, 212)))
    g.add_color_stop_rgb(0.3, *rgb((240, 242, 228)))
    g.add_color_stop_rgb(1, *rgb((228, 231, 214)))
    ctx.set_source(g)
    ctx.fill()
    # Inner shadow along the top edge.
    ctx.set_source_rgba(0, 0, 0, 0.16)
    ctx.rectangle(l + 1.5, t + 1, w - 3, 1)
    ctx.fill()


LED_CENTRE = rect_centre(LED_RECT)


def draw_led_socket(ctx):
    cx, cy = LED_CENTRE
    ctx.arc(cx + 0.3, cy + 0.8, 7.6, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    ctx.arc(cx, cy, 7.3, 0, 2 * math.pi)
    g = cairo.LinearGradient(cx - 7, cy - 7, cx + 7, cy + 7)
    g.add_color_stop_rgb(0, *rgb((250, 250, 246)))
    g.add_color_stop_rgb(0.45, *rgb((170, 170, 166)))
    g.add_color_stop_rgb(1, *rgb((80, 80, 78)))
    ctx.set_source(g)
    ctx.fill()
    ctx.arc(cx, cy, 5.6, 0, 2 * math.pi)
    g = cairo.LinearGradient(cx - 5, cy - 5, cx + 5, cy + 5)
    g.add_color_stop_rgb(0, *rgb((70, 70, 68)))
    g.add_color_stop_rgb(1, *rgb((200, 200, 196)))
    ctx.set_source(g)
    ctx.fill()
    ctx.arc(cx, cy, 4.9, 0, 2 * math.pi)
    ctx.set_source_rgb(*rgb((24, 18, 16)))
    ctx.fill()


def draw_bypass_well(ctx):
    l, t, r, b = BYPASS_RECT
    w, h = r - l, b - t
    rounded_rect(ctx, l - 0.5, t + 0.5, w + 1, h + 0.5, 7)
    ctx.set_source_rgba(*rgb((255, 222, 180), 0.6))
    ctx.set_line_width(1.0)
    ctx.stroke()
    rounded_rect(ctx, l, t, w, h, 6.5)
    g = cairo.LinearGradient(0, t, 0, b)
    g.add_color_stop_rgb(0, *rgb((22, 14, 8)))
    g.add_color_stop_rgb(1, *rgb((58, 34, 16)))
    ctx.set_source(g)
    ctx.fill()


def draw_maker_mark(ctx):
    engraved_text(ctx, "ORVATONE", 160, 210, 7.5, 2.2)
    # Small diamond either side.
    for x in (121, 199):
        ctx.move_to(x, 207)
        ctx.line_to(x + 2.2, 209.2)
        ctx.line_to(x, 211.4)
        ctx.line_to(x - 2.2, 209.2)
        ctx.close_path()
        ctx.set_source_rgba(*rgb(ENGRAVE_INK, 0.85))
        ctx.fill()


def draw_strip(ctx):
    top = STRIP_TOP
    ctx.rectangle(0, top - 1, WIDTH, 1)
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.fill()
    ctx.rectangle(0, top, WIDTH, HEIGHT - top)
    g = cairo.LinearGradient(0, top, 0, HEIGHT)
    g.add_color_stop_rgb(0, *rgb((54, 53, 51)))
    g.add_color_stop_rgb(1, *rgb((33, 33, 32)))
    ctx.set_source(g)
    ctx.fill()
    ctx.save()
    ctx.rectangle(0, top, WIDTH, HEIGHT - top)
    ctx.clip()
    paint_grain(ctx, grain(WIDTH, HEIGHT - top, 41, 0.045), 0, top)
    ctx.restore()
    ctx.rectangle(0, top, WIDTH, 1)
    ctx.set_source_rgba(1, 1, 1, 0.16)
    ctx.fill()

    # Grooves between the three groups (files, program, memories).
    for x in (91.5, 265.5):
        ctx.rectangle(x - 0.5, top + 5, 1, HEIGHT - top - 9)
        ctx.set_source_rgba(0, 0, 0, 0.55)
        ctx.fill()
        ctx.rectangle(x + 0.5, top + 5, 1, HEIGHT - top - 9)
        ctx.set_source_rgba(1, 1, 1, 0.09)
        ctx.fill()

    # Program name window: the edit field paints this rectangle as its background.
    l, t, r, b = NAME_FIELD
    rounded_rect(ctx, l - 1, t - 1, r - l + 2, b - t + 2, 2)
    ctx.set_source_rgba(1, 1, 1, 0.10)
    ctx.fill()
    ctx.rectangle(l, t, r - l, b - t)
    ctx.set_source_rgb(*rgb(NAME_FIELD_FRAME))
    ctx.fill()
    ctx.rectangle(l + 1, t + 1, r - l - 2, b - t - 2)
    ctx.set_source_rgb(*rgb(NAME_FIELD_FILL))
    ctx.fill()
    ctx.rectangle(l + 1, t + 1, r - l - 2, 1)
    ctx.set_source_rgba(0, 0, 0, 0.10)
    ctx.fill()

    # Menu symbol: a small down-pointing triangle beside the name.
    mx = (MENU_RECT[0] + MENU_RECT[2]) / 2.0
    my = 240.5
    for dy, colour in ((1, (0, 0, 0, 0.6)), (0, rgb((206, 204, 198), 1.0))):
        ctx.move_to(mx - 3.5, my - 2 + dy)
        ctx.line_to(mx + 3.5, my - 2 + dy)
        ctx.line_to(mx, my + 2.5 + dy)
        ctx.close_path()
        ctx.set_source_rgba(*colour)
        ctx.fill()

    # Memory slot letters between the store and recall buttons.
    set_font(ctx, 9, bold=True)
    for letter, row in (("A", 226), ("B", 241)):
        cy = row + 7
        w = text_width(ctx, letter)
        x = round(287 - w / 2.0)
        base = cy + 3
        ctx.set_source_rgba(0, 0, 0, 0.7)
        ctx.move_to(x, base + 1)
        ctx.show_text(letter)
        ctx.set_source_rgb(*rgb((214, 212, 206)))
        ctx.move_to(x, base)
        ctx.show_text(letter)


def draw_background(legend_boxes=None):
    surface, ctx = new_surface(WIDTH, HEIGHT)
    draw_backdrop(ctx)
    draw_panel(ctx)
    draw_banner(ctx)
    boxes = legend_boxes if legend_boxes is not None else []
    for name, rect, legend, large in KNOBS:
        draw_scale(ctx, name, rect, large)
        cx, cy, radius = knob_geometry(rect)
        cx += LEGEND_NUDGE.get(name, 0)
        if large:
            engraved_text(ctx, legend, cx, rect[1] - 9, 7.5, 1.0, boxes)
        else:
            engraved_text(ctx, legend, cx, rect[1] - 6, 7, 0.6, boxes)
    for name, rect, legend, large in KNOBS:
        draw_knob(ctx, rect, large)
    for rect in DISPLAYS.values():
        draw_display_window(ctx, rect)
    draw_led_socket(ctx)
    draw_bypass_well(ctx)
    draw_maker_mark(ctx)
    draw_strip(ctx)
    surface.flush()
    return surface


# ---------------------------------------------------------------------------------------
# Pictures drawn over the background
# ---------------------------------------------------------------------------------------


def background_copy(background, w, h, x, y):
    surface, ctx = new_surface(w, h)
    ctx.set_source_surface(background, -x, -y)
    ctx.paint()
    return surface, ctx


def draw_handle(size, dot_radius):
    surface, ctx = new_surface(size, size, alpha=True)
    c = size / 2.0
    # Light rim below the dot: it reads as a hole drilled into the cap.
    ctx.arc(c, c + 0.3, dot_radius + 0.3, 0, 2 * math.pi)
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.fill()
    ctx.arc(c, c, dot_radius, 0, 2 * math.pi)
    g = cairo.RadialGradient(c + 0.5, c + 0.8, 0, c, c, dot_radius)
    g.add_color_stop_rgb(0, *rgb((62, 60, 58)))
    g.add_color_stop_rgb(1, *rgb((12, 12, 12)))
    ctx.set_source(g)
    ctx.fill()
    surface.flush()
    return surface


def state_cells(ctx, background, origin, width, state_h, count):
    """Steps through `count` states stacked top to bottom, each `state_h` pixels high: yields
    the state's number with `ctx` moved to, and clipped to, that state's cell, which already
    shows the background lying under the control (whose top-left corner is `origin`)."""
    for state in range(count):
        ctx.save()
        ctx.translate(0, state * state_h)
        ctx.rectangle(0, 0, width, state_h)
        ctx.clip()
        ctx.set_source_surface(background, -origin[0], -origin[1])
        ctx.paint()
        yield state
        ctx.restore()


def draw_led(background):
    l, t, r, b = LED_RECT
    w, h = r - l, b - t
    surface, ctx = new_surface(w, 2 * h)
    for state in state_cells(ctx, background, (l, t), w, h, 2):
        cx, cy = LED_CENTRE[0] - l, LED_CENTRE[1] - t
        if state:
            # Light spilling onto the bezel.
            glow = cairo.RadialGradient(cx, cy, 2, cx, cy, 5)
            glow.add_color_stop_rgba(0, 1, 0.2, 0.1, 0.7)
            glow.add_color_stop_rgba(1, 1, 0.2, 0.1, 0.0)
            ctx.set_source(glow)
            ctx.paint()
            lens = ((255, 236, 220), (255, 72, 44), (196, 20, 10))
        else:
            lens = ((150, 44, 36), (98, 14, 10), (46, 6, 6))
        ctx.arc(cx, cy, 4.3, 0, 2 * math.pi)
        g = cairo.RadialGradient(cx - 0.6, cy - 0.6, 0.2, cx, cy, 4.3)
        g.add_color_stop_rgb(0, *rgb(lens[0]))
        g.add_color_stop_rgb(0.45, *rgb(lens[1]))
        g.add_color_stop_rgb(1, *rgb(lens[2]))
        ctx.set_source(g)
        ctx.fill()
        # Reflection of the room light on the dome.
        ctx.arc(cx - 1.4, cy - 1.5, 1.3, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.75 if state else 0.45)
        ctx.fill()
    surface.flush()
    return surface


def draw_bypass_key(background):
    l, t, r, b = BYPASS_RECT
    w, h = r - l, b - t
    surface, ctx = new_surface(w, 2 * h)
    for state in state_cells(ctx, background, (l, t), w, h, 2):
        lit = state == 1
        # A latched key sits half a pixel lower in its well.
        drop = 0.8 if lit else 0.0
        kx, ky, kw, kh = 3.0, 2.5 + drop, w - 6.0, h - 6.0
        rounded_rect(ctx, kx - 0.5, ky + 0.8, kw + 1, kh + 1, 5.5)
        ctx.set_source_rgba(0, 0, 0, 0.7)
        ctx.fill()
        rounded_rect(ctx, kx, ky, kw, kh, 5)
        g = cairo.LinearGradient(0, ky, 0, ky + kh)
        if lit:
            g.add_color_stop_rgb(0, *rgb((128, 44, 34)))
            g.add_color_stop_rgb(1, *rgb((62, 16, 12)))
        else:
            g.add_color_stop_rgb(0, *rgb((78, 76, 74)))
            g.add_color_stop_rgb(1, *rgb((30, 30, 30)))
        ctx.set_source(g)
        ctx.fill()
        # Rubber top: a soft highlight band and a crisp edge.
        rounded_rect(ctx, kx + 1.5, ky + 1.2, kw - 3, kh * 0.45, 3.5)
        top = cairo.LinearGradient(0, ky, 0, ky + kh * 0.5)
        top.add_color_stop_rgba(0, 1, 1, 1, 0.22 if not lit else 0.16)
        top.add_color_stop_rgba(1, 1, 1, 1, 0.02)
        ctx.set_source(top)
        ctx.fill()
        rounded_rect(ctx, kx + 0.5, ky + 0.5, kw - 1, kh - 1, 4.5)
        ctx.set_source_rgba(1, 1, 1, 0.18)
        ctx.set_line_width(1.0)
        ctx.stroke()

        set_font(ctx, 8, bold=True)
        label = "BYPASS"
        track = 1.1
        tw = text_width(ctx, label, track)
        tx = round(kx + (kw - tw) / 2.0)
        base = round(ky + kh / 2.0 + 3.0)
        if lit:
            # Backlit legend: a red halo under bright letters.
            for off, a in ((1.6, 0.10), (1.0, 0.16), (0.5, 0.22)):
                for dx, dy in ((-off, 0), (off, 0), (0, -off), (0, off)):
                    ctx.set_source_rgba(1, 0.25, 0.12, a)
                    show_text(ctx, label, tx + dx, base + dy, track)
            ctx.set_source_rgb(*rgb((255, 214, 196)))
            show_text(ctx, label, tx, base, track)
        else:
            ctx.set_source_rgba(0, 0, 0, 0.7)
            show_text(ctx, label, tx, base + 1, track)
            ctx.set_source_rgb(*rgb((206, 204, 198)))
            show_text(ctx, label, tx, base, track)
    surface.flush()
    return surface


ARROW_COLOURS = {
    # normal, hover, pressed: (fill top, fill bottom, glow alpha)
    "green": [
        ((96, 186, 88), (46, 124, 44), 0.0),
        ((170, 250, 150), (80, 200, 72), 0.35),
        ((226, 255, 214), (120, 236, 104), 0.7),
    ],
    "red": [
        ((222, 102, 78), (150, 44, 30), 0.0),
        ((255, 156, 124), (222, 78, 52), 0.35),
        ((255, 214, 196), (250, 110, 80), 0.7),
    ],
}
GLOW = {"green": (0.35, 1.0, 0.3), "red": (1.0, 0.35, 0.2)}


def arrow_path(ctx, x0, y0, w, h, direction):
    """Triangle with slightly rounded corners, pointing right (+1) or left (-1)."""
    if direction > 0:
        pts = [(x0, y0), (x0 + w, y0 + h / 2.0), (x0, y0 + h)]
    else:
        pts = [(x0 + w, y0), (x0, y0 + h / 2.0), (x0 + w, y0 + h)]
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.close_path()


def draw_arrow_glyph(ctx, x0, y0, w, h, direction, top, bottom, glow, glow_rgb):
    if glow > 0:
        for grow, a in ((2.2, 0.25), (1.4, 0.45), (0.7, 0.7)):
            ctx.save()
            arrow_path(ctx, x0, y0, w, h, direction)
            ctx.set_line_join(cairo.LINE_JOIN_ROUND)
            ctx.set_line_width(grow * 2)
            ctx.set_source_rgba(*glow_rgb, glow * a * 0.6)
            ctx.stroke()
            ctx.restore()
    else:
        ctx.save()
        ctx.translate(0, 1)
        arrow_path(ctx, x0, y0, w, h, direction)
        ctx.set_source_rgba(0, 0, 0, 0.65)
        ctx.fill()
        ctx.restore()
    arrow_path(ctx, x0, y0, w, h, direction)
    g = cairo.LinearGradient(0, y0, 0, y0 + h)
    g.add_color_stop_rgb(0, *rgb(top))
    g.add_color_stop_rgb(1, *rgb(bottom))
    ctx.set_source(g)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(0.8)
    ctx.fill_preserve()
    ctx.stroke()


def draw_strip_arrow(background, rect, kind):
    w, state_h = 12, 14
    surface, ctx = new_surface(w, 3 * state_h)
    for state in state_cells(ctx, background, rect, w, state_h, 3):
        top, bottom, glow = ARROW_COLOURS[kind][state]
        # Rows 4..10 keep the arrow inside the 12-pixel rectangles of the B buttons and
        # centre it on the PRESET and BANK words beside it.
        draw_arrow_glyph(ctx, 3.5, 4.0, 5.5, 7.0, +1, top, bottom, glow, GLOW[kind])
    surface.flush()
    return surface


WORD_COLOURS = [(178, 176, 170), (246, 244, 238), (255, 160, 64)]


def draw_strip_word(background, rect, word):
    w, state_h = rect[2] - rect[0], 10
    surface, ctx = new_surface(w, 3 * state_h)
    for state in state_cells(ctx, background, rect, w, state_h, 3):
        set_font(ctx, 8, bold=True)
        track = 1.0
        tw = text_width(ctx, word, track)
        x = round((w - tw) / 2.0)
        base = 8
        if state == 2:
            for dx, dy in ((-0.7, 0), (0.7, 0), (0, -0.7), (0, 0.7)):
                ctx.set_source_rgba(1, 0.5, 0.1, 0.25)
                show_text(ctx, word, x + dx, base + dy, track)
        else:
            ctx.set_source_rgba(0, 0, 0, 0.7)
            show_text(ctx, word, x, base + 1, track)
        ctx.set_source_rgb(*rgb(WORD_COLOURS[state]))
        show_text(ctx, word, x, base, track)
    surface.flush()
    return surface


def draw_rocker(background):
    l, t, r, b = ROCKER_RECT
    w, state_h = r - l, 14
    surface, ctx = new_surface(w, 5 * state_h)
    # state -> (highlighted side, pressed)
    states = [(0, False), (-1, False), (+1, False), (-1, True), (+1, True)]
    for index in state_cells(ctx, background, (l, t), w, state_h, len(states)):
        side, pressed = states[index]
        # Two-way rocker cap.
        rounded_rect(ctx, 0.5, 1.5, w - 1, 12, 4)
        ctx.set_source_rgba(0, 0, 0, 0.6)
        ctx.fill()
        rounded_rect(ctx, 0.5, 0.5, w - 1, 12, 4)
        g = cairo.LinearGradient(0, 0.5, 0, 12.5)
        g.add_color_stop_rgb(0, *rgb((88, 87, 84)))
        g.add_color_stop_rgb(1, *rgb((42, 42, 41)))
        ctx.set_source(g)
        ctx.fill()
        half = w / 2.0
        for s in (-1, +1):
            x0 = 0.5 if s < 0 else half
            if side == s:
                ctx.save()
                rounded_rect(ctx, 0.5, 0.5, w - 1, 12, 4)
                ctx.clip()
                ctx.rectangle(x0, 0.5, half - 0.5, 12)
                if pressed:
                    ctx.set_source_rgba(0, 0, 0, 0.35)
                else:
                    ctx.set_source_rgba(1, 1, 1, 0.10)
                ctx.fill()
                ctx.restore()
        rounded_rect(ctx, 1.0, 1.0, w - 2, 11, 3.5)
        ctx.set_source_rgba(1, 1, 1, 0.14)
        ctx.set_line_width(1.0)
        ctx.stroke()
        # Parting line between the halves.
        ctx.rectangle(math.floor(half), 2, 1, 9)
        ctx.set_source_rgba(0, 0, 0, 0.7)
        ctx.fill()
        for s in (-1, +1):
            cx = half + s * 7.5
            if side == s and pressed:
                colours = ((255, 196, 120), (255, 140, 40), 0.6)
                glow = (1.0, 0.55, 0.15)
            elif side == s:
                colours = ((255, 255, 252), (214, 212, 206), 0.3)
                glow = (1.0, 1.0, 0.95)
            else:
                colours = ((192, 190, 184), (138, 136, 132), 0.0)
                glow = (1.0, 1.0, 1.0)
            dy = 0.5 if (side == s and pressed) else 0.0
            draw_arrow_glyph(ctx, cx - 2.5, 3.0 + dy, 5.0, 7.0, s, colours[0], colours[1], colours[2], glow)
    surface.flush()
    return surface


# ---------------------------------------------------------------------------------------
# About picture: the base plate seen from below, with its name plate
# ---------------------------------------------------------------------------------------


def draw_about(background):
    aw, ah = ABOUT_SIZE
    ox, oy = ABOUT_ORIGIN
    surface, ctx = background_copy(background, aw, ah, ox, oy)

    # Brushed steel base plate, with a margin of panel around it so that the picture's
    # edges match the panel outside it; its shadow fades out inside that margin.
    # At the bottom the plate reaches down far enough to hide the maker's mark beneath it.
    px, py, pw, ph = 4.0, 3.0, aw - 8.0, ah - 6.5
    for i in range(3, 0, -1):
        grow = i * 0.45
        rounded_rect(ctx, px - grow, py + 1.0 - grow, pw + 2 * grow, ph + 2 * grow, 11 + grow)
        ctx.set_source_rgba(0, 0, 0, 0.11)
        ctx.fill()
    rounded_rect(ctx, px, py, pw, ph, 11)
    g = cairo.LinearGradient(0, py, 0, py + ph)
    g.add_color_stop_rgb(0, *rgb((198, 200, 202)))
    g.add_color_stop_rgb(1, *rgb((160, 162, 166)))
    ctx.set_source(g)
    ctx.fill_preserve()
    ctx.save()
    ctx.clip()
    rng = random.Random(7)
    for y in range(int(py), int(py + ph)):
        for _ in range(3):
            x0 = rng.random() * aw
            length = 20 + rng.random() * 120
            v = rng.random()
            ctx.rectangle(x0, y, length, 1)
            if v > 0.5:
                ctx.set_source_rgba(1, 1, 1, (v - 0.5) * 0.28)
            else:
                ctx.set_source_rgba(0, 0, 0, (0.5 - v) * 0.14)
            ctx.fill()
    sheen = cairo.LinearGradient(px, py, px + pw, py + ph)
    sheen.add_color_stop_rgba(0, 1, 1, 1, 0.18)
    sheen.add_color_stop_rgba(0.45, 1, 1, 1, 0.0)
    sheen.add_color_stop_rgba(1, 0, 0, 0, 0.12)
    ctx.set_source(sheen)
    ctx.paint()
    ctx.restore()
    rounded_rect(ctx, px + 0.5, py + 0.5, pw - 1, ph - 1, 10.5)
    edge = cairo.LinearGradient(0, py, 0, py + ph)
    edge.add_color_stop_rgba(0, 1, 1, 1, 0.8)
    edge.add_color_stop_rgba(1, 0.2, 0.2, 0.2, 0.8)
    ctx.set_source(edge)
    ctx.set_line_width(1.0)
    ctx.stroke()
    rounded_rect(ctx, px, py, pw, ph, 11)
    ctx.set_source_rgba(0, 0, 0, 0.55)
    ctx.set_line_width(0.8)
    ctx.stroke()

    # Rubber feet in the corners, screws beside them.
    for fx, fy in ((16, 15), (aw - 16, 15), (16, ah - 18), (aw - 16, ah - 18)):
        ctx.arc(fx + 0.5, fy + 1.5, 9.5, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, 0.35)
        ctx.fill()
        ctx.arc(fx, fy, 9, 0, 2 * math.pi)
        rg = cairo.RadialGradient(fx - 3, fy - 3, 1, fx, fy, 9)
        rg.add_color_stop_rgb(0, *rgb((78, 76, 74)))
        rg.add_color_stop_rgb(1, *rgb((24, 24, 24)))
        ctx.set_source(rg)
        ctx.fill()
        ctx.arc(fx, fy, 5.5, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.06)
        ctx.set_line_width(1.0)
        ctx.stroke()
    for sx, sy in ((aw / 2.0, 14), (aw / 2.0, ah - 16)):
        draw_screw(ctx, sx, sy, 4.0, 0.6)

    # Name plate: a printed label with an orange header band.
    # It reaches far to the right so that the version line has a plain, light field.
    lx, ly, lw, lh = 14.0, 28.0, 234.0, 146.0
    rounded_rect(ctx, lx + 0.5, ly + 1.5, lw, lh, 5)
    ctx.set_source_rgba(0, 0, 0, 0.3)
    ctx.fill()
    rounded_rect(ctx, lx, ly, lw, lh, 5)
    g = cairo.LinearGradient(0, ly, 0, ly + lh)
    g.add_color_stop_rgb(0, *rgb((250, 248, 242)))
    g.add_color_stop_rgb(1, *rgb((236, 232, 222)))
    ctx.set_source(g)
    ctx.fill()
    ctx.save()
    rounded_rect(ctx, lx, ly, lw, lh, 5)
    ctx.clip()
    band_h = 38.0
    ctx.rectangle(lx, ly, lw, band_h)
    bg = cairo.LinearGradient(0, ly, 0, ly + band_h)
    bg.add_color_stop_rgb(0, *rgb((246, 136, 40)))
    bg.add_color_stop_rgb(1, *rgb((214, 96, 16)))
    ctx.set_source(bg)
    ctx.fill()
    ctx.rectangle(lx, ly + band_h, lw, 1)
    ctx.set_source_rgba(*rgb((120, 50, 8), 0.6))
    ctx.fill()
    ctx.restore()
    rounded_rect(ctx, lx + 0.5, ly + 0.5, lw - 1, lh - 1, 4.5)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.set_line_width(1.0)
    ctx.stroke()

    cx = lx + lw / 2.0
    set_font(ctx, 20, bold=True, italic=True, family=SERIF)
    title = "Orv Sympharon"
    x = round(cx - text_width(ctx, title) / 2.0)
    ctx.set_source_rgba(*rgb((110, 44, 4), 0.7))
    ctx.move_to(x + 1, ly + 22)
    ctx.show_text(title)
    ctx.set_source_rgb(*rgb((255, 250, 240)))
    ctx.move_to(x, ly + 21)
    ctx.show_text(title)
    set_font(ctx, 6, bold=True)
    sub = "STRING RESONATOR"
    x = round(cx - text_width(ctx, sub, 1.6) / 2.0)
    ctx.set_source_rgba(*rgb((70, 26, 2), 0.9))
    show_text(ctx, sub, x, ly + 33, 1.6)

    ink = (34, 32, 30)
    grey = (110, 106, 100)
    # Maker and version on one line; the plug-in writes its version at VERSION_BOX, whose
    # 9-pixel text sits on baseline 91 of this picture.
    base = 91
    set_font(ctx, 14, bold=True)
    ctx.set_source_rgb(*rgb(ink))
    show_text(ctx, "Orvatone", lx + 12, base, 0.3)
    set_font(ctx, 6.5, bold=True)
    label = "VERSION"
    ctx.set_source_rgb(*rgb(grey))
    show_text(ctx, label, VERSION_BOX[0] - 4 - text_width(ctx, label, 0.8), base, 0.8)

    ctx.rectangle(lx + 12, 102, lw - 24, 1)
    ctx.set_source_rgba(*rgb((214, 96, 16), 0.8))
    ctx.fill()

    set_font(ctx, 6.5, bold=True)
    ctx.set_source_rgb(*rgb(grey))
    show_text(ctx, "WEB", lx + 12, 118, 0.8)
    set_font(ctx, 9)
    ctx.set_source_rgb(*rgb(ink))
    show_text(ctx, "www.orvatone.com", lx + 56, 118)
    set_font(ctx, 6.5, bold=True)
    ctx.set_source_rgb(*rgb(grey))
    show_text(ctx, "FORMAT", lx + 12, 132, 0.8)
    set_font(ctx, 9)
    ctx.set_source_rgb(*rgb(ink))
    show_text(ctx, "VST 2.4 plug-in, stereo", lx + 56, 132)

    ctx.rectangle(lx + 12, 142, lw - 24, 1)
    ctx.set_source_rgba(0, 0, 0, 0.15)
    ctx.fill()
    set_font(ctx, 8)
    notice = "VST is a trademark of Steinberg Media Technologies GmbH"
    ctx.set_source_rgb(*rgb(grey))
    show_text(ctx, notice, round(cx - text_width(ctx, notice) / 2.0), 154)

    set_font(ctx, 7)
    hint = "click to close"
    ctx.set_source_rgba(*rgb((60, 58, 56), 0.8))
    show_text(ctx, hint, round(cx - text_width(ctx, hint) / 2.0), 167)

    surface.flush()
    return surface


# ---------------------------------------------------------------------------------------
# Checks of the finished pictures against what the editor expects of them
# ---------------------------------------------------------------------------------------


def pixel(surface, x, y):
    """(r, g, b, a) of one pixel; cairo stores native-endian premultiplied 32-bit words."""
    data = surface.get_data()
    i = y * surface.get_stride() + 4 * x
    b, g, r, a = data[i], data[i + 1], data[i + 2], data[i + 3]
    if surface.get_format() == cairo.FORMAT_RGB24:
        a = 255
    return r, g, b, a


def luminance(p):
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]


def region_luminance(surface, box):
    l, t, r, b = box
    values = [luminance(pixel(surface, x, y)) for y in range(t, b) for x in range(l, r)]
    return min(values), max(values)


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check(pictures, legend_boxes):
    """Returns a list of problems; empty when every picture fits its control."""
    problems = []
    expected = {
        1128: (320, 257, False),
        1129: (9, 9, True),
        1130: (6, 6, True),
        1131: (10, 20, False),
        1132: (62, 56, False),
        1200: (260, 204, False),
        19899: (47, 30, False),
        19990: (37, 30, False),
        19997: (31, 70, False),
    }
    for pid in STRIP_ARROWS:
        expected[pid] = (12, 42, False)
    if set(expected) != set(pictures):
        problems.append("picture ids differ: %s" % sorted(set(expected) ^ set(pictures)))
    for pid, (w, h, alpha) in expected.items():
        s = pictures.get(pid)
        if s is None:
            continue
        if (s.get_width(), s.get_height()) != (w, h):
            problems.append("%d is %dx%d, not %dx%d" % (pid, s.get_width(), s.get_height(), w, h))
        if (s.get_format() == cairo.FORMAT_ARGB32) != alpha:
            problems.append("%d: wrong alpha format" % pid)
    if problems:
        return problems  # the checks below read pixels at fixed positions

    bg = pictures[1128]
    # Value displays: black 9-pixel text must stay readable over the whole window.
    for name, rect in DISPLAYS.items():
        inner = (rect[0] + 2, rect[1] + 2, rect[2] - 2, rect[3] - 2)
        low, _ = region_luminance(bg, inner)
        if low < 180:
            problems.append("display %s window too dark (%d)" % (name, low))
    # Program name field: the edit control shows this area as its own box.
    l, t, r, b = NAME_FIELD
    if pixel(bg, (l + r) // 2, (t + b) // 2)[:3] != NAME_FIELD_FILL:
        problems.append("name field fill is %s" % (pixel(bg, (l + r) // 2, (t + b) // 2)[:3],))
    if pixel(bg, l + 5, t)[:3] != NAME_FIELD_FRAME or pixel(bg, l, (t + b) // 2)[:3] != NAME_FIELD_FRAME:
        problems.append("name field frame colour wrong")
    # Legends are painted once and never repainted by a control; none may sit under one.
    for text, box in legend_boxes:
        for rect in CONTROL_RECTS:
            if overlaps(box, rect):
                problems.append("legend %s %s overlaps control %s" % (text, box, rect))
    # Knob bodies must be light wherever a dark handle can land.
    for name, rect, _, large in KNOBS:
        cx, cy, radius = knob_geometry(rect)
        size = 9 if large else 6
        reach = radius - (size / 2.0 + 2.5) + size / 2.0
        for i in range(12):
            a = 2 * math.pi * i / 12
            x, y = int(cx + math.cos(a) * reach), int(cy + math.sin(a) * reach)
            if luminance(pixel(bg, x, y)) < 110:
                problems.append("knob %s too dark under the handle path at %d,%d" % (name, x, y))
    # Handles: opaque dark centre, transparent corners.
    for pid in (1129, 1130):
        s = pictures[pid]
        n = s.get_width()
        centre = pixel(s, n // 2, n // 2)
        if centre[3] != 255 or luminance(centre) > 80:
            problems.append("handle %d centre not an opaque dark dot" % pid)
        if any(pixel(s, x, y)[3] != 0 for x, y in ((0, 0), (n - 1, 0), (0, n - 1), (n - 1, n - 1))):
            problems.append("handle %d corners not transparent" % pid)
    # LED: off is dark red, on is bright red.
    led = pictures[1131]
    off, on = pixel(led, 5, 6), pixel(led, 5, 16)
    if not (off[0] > off[1] + 30 and luminance(off) < 90):
        problems.append("LED off state is not dark red: %s" % (off,))
    if not (on[0] > 220 and on[0] > on[1] + 80):
        problems.append("LED on state is not bright red: %s" % (on,))
    # About picture: the version text box must be plain and light.
    box = (VERSION_BOX[0], VERSION_BOX[1], VERSION_FIELD_RIGHT, VERSION_BOX[3])
    low, high = region_luminance(pictures[1200], box)
    if low < 180 or high - low > 40:
        problems.append("about version box not plain and light (%d..%d)" % (low, high))
    # Multi-state pictures: every state must differ from the one before it.
    state_counts = {p: 3 for p in list(STRIP_ARROWS) + list(STRIP_WORDS)}
    state_counts.update({19997: 5, 1131: 2, 1132: 2})
    for pid, states in state_counts.items():
        s = pictures[pid]
        h = s.get_height() // states
        size = h * s.get_stride()
        rows = [bytes(s.get_data()[i * size : (i + 1) * size]) for i in range(states)]
        if len(set(rows)) != states:
            problems.append("%d has identical states" % pid)
    return problems


# ---------------------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------------------


FONT_FILES = {
    (SANS, "bold"): "LiberationSans-Bold.ttf",
    (SANS, "regular"): "LiberationSans-Regular.ttf",
    (SERIF, "bold:italic"): "LiberationSerif-BoldItalic.ttf",
}


def missing_fonts():
    """Families that fontconfig would replace by another face (which changes every picture)."""
    import subprocess

    missing = []
    for (family, style), filename in FONT_FILES.items():
        try:
            found = subprocess.run(
                ["fc-match", "-f", "%{file}", "%s:%s" % (family, style)],
                capture_output=True,
                text=True,
                check=True,
            ).stdout
        except (OSError, subprocess.CalledProcessError):
            found = ""
        if os.path.basename(found) != filename:
            missing.append("%s %s (got %s)" % (family, style, found or "nothing"))
    return missing


def draw_all():
    legend_boxes = []
    bg = draw_background(legend_boxes)
    pictures = {
        1128: bg,
        1129: draw_handle(9, 3.5),
        1130: draw_handle(6, 2.1),
        1131: draw_led(bg),
        1132: draw_bypass_key(bg),
        1200: draw_about(bg),
        19997: draw_rocker(bg),
    }
    for pid, (rect, kind) in STRIP_ARROWS.items():
        pictures[pid] = draw_strip_arrow(bg, rect, kind)
    for pid, (rect, word) in STRIP_WORDS.items():
        pictures[pid] = draw_strip_word(bg, rect, word)
    return pictures, legend_boxes


def png_bytes(surface):
    import io

    buf = io.BytesIO()
    surface.write_to_png(buf)
    return buf.getvalue()


def handle_origin(rect, handle_size, value):
    """Top-left of a knob handle as the toolkit places it (linear knob geometry)."""
    l, t, r, b = rect
    w, h = r - l, b - t
    inset = handle_size / 2.0 + 2.5
    a = 0.75 * math.pi + value * 1.5 * math.pi
    px = w / 2.0 + math.cos(a) * (w / 2.0 - inset) + 0.5
    py = h / 2.0 + math.sin(a) * (h / 2.0 - inset) + 0.5
    return math.floor(l + px - handle_size / 2.0), math.floor(t + py - handle_size / 2.0)


def write_preview(pictures, path, about=False):
    """The editor composed as a user sees it, scaled 3x, with sample texts."""
    surface, ctx = new_surface(WIDTH, HEIGHT)
    ctx.set_source_surface(pictures[1128], 0, 0)
    ctx.paint()
    # Knob value and the text its display shows for it.
    samples = {
        "decay": (0.62, "62%"),
        "damp": (0.35, "35%"),
        "transpose": (0.5, "0"),
        "tune": (0.2, "-59c"),
        "detune": (0.0, "0%"),
        "mix": (0.25, "25%"),
        "output": (0.5, "0.0dB"),
    }
    for name, rect, _, large in KNOBS:
        pid = 1129 if large else 1130
        x, y = handle_origin(rect, pictures[pid].get_width(), samples[name][0])
        ctx.set_source_surface(pictures[pid], x, y)
        ctx.paint()
    set_font(ctx, 9)
    ctx.set_source_rgb(0, 0, 0)
    for name, rect in DISPLAYS.items():
        text = samples[name][1]
        w = ctx.text_extents(text).x_advance
        cap = 9 * 0.69
        # The toolkit centres the cap height in the rectangle.
        baseline = rect[3] - ((rect[3] - rect[1]) / 2.0 - cap / 2.0)
        ctx.move_to(rect[0] + (rect[2] - rect[0]) / 2.0 - w / 2.0, baseline)
        ctx.show_text(text)

    def blit(pid, rect, state, state_h):
        ctx.save()
        ctx.rectangle(rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1])
        ctx.clip()
        ctx.set_source_surface(pictures[pid], rect[0], rect[1] - state * state_h)
        ctx.paint()
        ctx.restore()

    blit(1132, BYPASS_RECT, 1, 28)
    blit(1131, LED_RECT, 1, 10)
    blit(19997, ROCKER_RECT, 2, 14)
    for i, (pid, (rect, _)) in enumerate(sorted(STRIP_ARROWS.items())):
        blit(pid, rect, 1 if i == 2 else 0, 14)
    for pid, (rect, _) in STRIP_WORDS.items():
        blit(pid, rect, 1 if pid == 19899 else 0, 10)
    set_font(ctx, 11)
    ctx.set_source_rgb(*rgb(NAME_FIELD_FRAME))
    name = "Default"
    w = ctx.text_extents(name).x_advance
    ctx.move_to(NAME_FIELD[0] + (NAME_FIELD[2] - NAME_FIELD[0] - w) / 2.0, 244)
    ctx.show_text(name)
    if about:
        ctx.set_source_surface(pictures[1200], *ABOUT_ORIGIN)
        ctx.paint()
        set_font(ctx, 9)
        ctx.set_source_rgb(0, 0, 0)
        baseline = ABOUT_ORIGIN[1] + VERSION_BOX[3] - ((VERSION_BOX[3] - VERSION_BOX[1]) / 2.0 - 9 * 0.69 / 2.0)
        ctx.move_to(ABOUT_ORIGIN[0] + VERSION_BOX[0], baseline)
        ctx.show_text("v." + project_version())
    scaled, sctx = new_surface(WIDTH * 3, HEIGHT * 3)
    sctx.scale(3, 3)
    sctx.set_source_surface(surface, 0, 0)
    sctx.get_source().set_filter(cairo.FILTER_NEAREST)
    sctx.paint()
    scaled.write_to_png(path)


def project_version():
    """The release version, as project() in the top-level CMakeLists.txt states it."""
    with open(os.path.join(HERE, "..", "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(\s*\w+\s+VERSION\s+([0-9.]+)", f.read()).group(1)


# The finer sets written besides the 1x pictures, each into its folder (2x/, 3x/).
SCALED_SETS = (2, 3)


def main(argv):
    missing = missing_fonts()
    if missing:
        print("draw_artwork: fonts missing (fonts-liberation2): " + "; ".join(missing), file=sys.stderr)
        return 1
    pictures, legend_boxes = draw_all()
    problems = check(pictures, legend_boxes)
    for p in problems:
        print("draw_artwork: " + p, file=sys.stderr)

    if "--preview" in argv:
        i = argv.index("--preview")
        if i + 1 >= len(argv):
            print("draw_artwork: --preview needs a file name", file=sys.stderr)
            return 2
        out = argv[i + 1]
        write_preview(pictures, out)
        base, ext = os.path.splitext(out)
        write_preview(pictures, base + "-about" + ext, about=True)
    if problems:
        return 1

    sets = {"": pictures}
    global SCALE
    for scale in SCALED_SETS:
        SCALE = scale
        sets["%dx" % scale] = draw_all()[0]
        SCALE = 1
        for pid, surface in sets["%dx" % scale].items():
            one = pictures[pid]
            if (surface.get_width(), surface.get_height()) != (
                one.get_width() * scale,
                one.get_height() * scale,
            ):
                print("draw_artwork: %dx %d has the wrong size" % (scale, pid), file=sys.stderr)
                return 1

    def paths():
        for folder, drawn in sets.items():
            for pid, surface in sorted(drawn.items()):
                yield os.path.join(HERE, folder, "%d.png" % pid), surface

    if "--check" in argv:
        stale = []
        for path, surface in paths():
            try:
                with open(path, "rb") as f:
                    on_disk = f.read()
            except OSError:
                on_disk = None
            if on_disk != png_bytes(surface):
                stale.append(os.path.relpath(path, HERE))
        if stale:
            print("draw_artwork: out of date: " + " ".join(stale), file=sys.stderr)
            return 1
        print("draw_artwork: %d pictures up to date" % sum(len(d) for d in sets.values()))
        return 0

    for path, surface in paths():
        data = png_bytes(surface)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        tmp = path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(data)
        os.replace(tmp, path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
