#!/usr/bin/env python3
"""Draws the pictures of the skin's dialogs and backgrounds into common/.

Every picture is drawn here from shapes and gradients, so the skin carries no
artwork from elsewhere. Icons are written as SVG. The window backgrounds are
drawn as SVG too and turned into PNG by the program's own renderer
(tools/renderlayout), since the background picture a user picks is stored by
path in main.ini and the standard one must be "common/background.png".

    data/skin/tools/make_pictures.py --renderlayout build/tools/renderlayout/renderlayout

Without --renderlayout only the SVG icons are written. The random patterns
use fixed seeds, so the output is the same on every run.
"""
import argparse
import math
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
COMMON = os.path.join(os.path.dirname(HERE), "common")

ACCENT = "#3DB8FF"
ACCENT2 = "#8A5CFF"
WIDTH, HEIGHT = 800, 572


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{body}</svg>\n')


def icon(path, colour, size=16, width=1.8):
    return svg(size, size, f'<path d="{path}" fill="none" stroke="{colour}" '
                           f'stroke-width="{width}" stroke-linecap="round" '
                           f'stroke-linejoin="round"/>')


def glow(cx, cy, r, colour, opacity, name):
    return (f'<radialGradient id="{name}" cx="{cx}" cy="{cy}" r="{r}" '
            f'gradientUnits="userSpaceOnUse">'
            f'<stop offset="0" stop-color="{colour}" stop-opacity="{opacity}"/>'
            f'<stop offset="1" stop-color="{colour}" stop-opacity="0"/></radialGradient>')


def scatter(rng, count, area, radius, opacity, colours=("#FFFFFF",)):
    """count dots at random places of area (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = area
    return "".join(
        f'<circle cx="{rng.uniform(x0, x1):.1f}" cy="{rng.uniform(y0, y1):.1f}" '
        f'r="{rng.uniform(*radius):.2f}" fill="{rng.choice(colours)}" '
        f'fill-opacity="{rng.uniform(*opacity):.3f}"/>' for _ in range(count))


def layer(name):
    return f'<rect width="{WIDTH}" height="{HEIGHT}" fill="url(#{name})"/>'


# Icons of the dialogs.
ICONS = {
    "close.svg": icon("M4.5 4.5l7 7M11.5 4.5l-7 7", "#AEB6C2"),
    "close_hot.svg": icon("M4.5 4.5l7 7M11.5 4.5l-7 7", "#FFFFFF"),
    "info.svg": svg(22, 22,
        '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs>'
        '<circle cx="11" cy="11" r="10" fill="url(#g)"/>'
        '<path d="M11 9.6v5.6" stroke="#0B0E13" stroke-width="2.2" stroke-linecap="round"/>'
        '<circle cx="11" cy="6.4" r="1.3" fill="#0B0E13"/>'),
    "palette.svg": svg(22, 22,
        '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs>'
        '<path d="M11 2a9 9 0 1 0 0 18c1.4 0 2-1 1.5-2.2-.6-1.3.3-2.6 1.7-2.6H16a4 4 0 0 0 '
        '4-4c0-5-4-9.2-9-9.2z" fill="url(#g)"/>'
        '<circle cx="6.5" cy="10" r="1.5" fill="#0B0E13"/>'
        '<circle cx="9" cy="6" r="1.5" fill="#0B0E13"/>'
        '<circle cx="13.5" cy="6" r="1.5" fill="#0B0E13"/>'),
    "skin.svg": svg(22, 22,
        '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs>'
        '<rect x="2" y="4" width="18" height="14" rx="3" fill="none" stroke="url(#g)" '
        'stroke-width="2"/>'
        '<path d="M4.5 15.5l4.5-5 3.5 3.5 2.5-2.5 3 4" fill="none" stroke="url(#g)" '
        'stroke-width="2" stroke-linejoin="round" stroke-linecap="round"/>'
        '<circle cx="15" cy="8.5" r="1.6" fill="url(#g)"/>'),
    "reset.svg": icon("M3.5 8a4.5 4.5 0 1 0 1.4-3.3M3.5 2.8v2.6h2.6", "#C9D1DC", 16, 1.6),
    "folder.svg": icon("M2.5 4.5h4l1.5 1.5h5.5v6.5h-11zM8 8v3M6.5 9.5h3", "#0B0E13", 16, 1.6),
    "tick.svg": svg(16, 16, '<circle cx="8" cy="8" r="7" fill="#0B0E13" fill-opacity="0.55"/>'
                            '<path d="M4.8 8.2l2.2 2.2 4.2-4.4" fill="none" stroke="#FFFFFF" '
                            'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'),
    # The About window's emblem: a stylised mouse in the accent gradient.
    "about_logo.svg": svg(72, 72,
        '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient><radialGradient id="h" cx="36" cy="36" r="36" '
        'gradientUnits="userSpaceOnUse">'
        f'<stop offset="0" stop-color="{ACCENT}" stop-opacity="0.28"/>'
        f'<stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/></radialGradient></defs>'
        '<circle cx="36" cy="36" r="36" fill="url(#h)"/>'
        '<path d="M36 12c-11 0-18 9-18 20v10c0 11 7 18 18 18s18-7 18-18V32c0-11-7-20-18-20z" '
        'fill="#12161C" stroke="url(#g)" stroke-width="3.2"/>'
        '<path d="M36 15v16M19 32h34" stroke="url(#g)" stroke-width="2.4" '
        'stroke-linecap="round"/>'
        '<rect x="33" y="20" width="6" height="10" rx="3" fill="url(#g)"/>'),
    # Buttons: the primary one in the accent gradient, nine-slice friendly.
    "button_primary.svg": svg(120, 34,
        '<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="0">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs><rect width="120" height="34" rx="9" fill="url(#b)"/>'),
    "button_primary_hot.svg": svg(120, 34,
        '<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="0">'
        '<stop offset="0" stop-color="#6FCBFF"/><stop offset="1" stop-color="#A683FF"/>'
        '</linearGradient></defs><rect width="120" height="34" rx="9" fill="url(#b)"/>'),
    "button_primary_pushed.svg": svg(120, 34,
        '<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="0">'
        '<stop offset="0" stop-color="#2A9BDD"/><stop offset="1" stop-color="#7048E0"/>'
        '</linearGradient></defs><rect width="120" height="34" rx="9" fill="url(#b)"/>'),
    # The ring a colour swatch shows while hovered or pressed.
    "swatch_hot.svg": svg(30, 30, '<circle cx="15" cy="15" r="13.6" fill="none" stroke="#FFFFFF" '
                                  'stroke-width="2.2"/>'),
    # The frame a picture choice shows while hovered.
    "thumb_hot.svg": svg(68, 50, f'<rect x="1" y="1" width="66" height="48" rx="8" '
                                 f'fill="none" stroke="{ACCENT}" stroke-width="2"/>'),
}


def background_midnight():
    """The standard background: deep charcoal with two soft accent glows."""
    rng = random.Random(1)
    lines = "".join(
        f'<path d="M{x} 0l{-HEIGHT} {HEIGHT}" stroke="#FFFFFF" stroke-opacity="0.018" '
        f'stroke-width="1"/>' for x in range(0, WIDTH + HEIGHT, 22))
    dots = scatter(rng, 140, (0, 0, WIDTH, HEIGHT), (0.4, 1.1), (0.03, 0.09))
    return svg(WIDTH, HEIGHT,
        '<defs>'
        '<linearGradient id="base" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#12161C"/><stop offset="1" stop-color="#0C0F13"/>'
        '</linearGradient>'
        + glow(90, 40, 420, ACCENT, 0.13, "a") + glow(740, 560, 460, ACCENT2, 0.12, "b") +
        '</defs>' + layer("base") + layer("a") + layer("b") + lines + dots)


def background_aurora():
    """Night sky with green, teal and violet bands."""
    rng = random.Random(2)
    bands = []
    for i, (colour, opacity) in enumerate([("#2BF5B5", 0.20), ("#3DB8FF", 0.18),
                                           ("#8A5CFF", 0.16), ("#2BF5B5", 0.10)]):
        y = 150 + i * 70
        c1, c2 = y - rng.uniform(60, 140), y + rng.uniform(-40, 80)
        bands.append(
            f'<path d="M-40 {y} C200 {c1:.0f} 420 {c2:.0f} 840 {y - 120 + i * 30} '
            f'L840 {y - 40 + i * 30} C420 {c2 + 90:.0f} 200 {c1 + 110:.0f} -40 {y + 90} Z" '
            f'fill="url(#band{i})" fill-opacity="{opacity}"/>')
    defs = "".join(
        f'<linearGradient id="band{i}" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{c}" stop-opacity="0"/>'
        f'<stop offset="0.5" stop-color="{c}" stop-opacity="1"/>'
        f'<stop offset="1" stop-color="{c}" stop-opacity="0"/></linearGradient>'
        for i, c in enumerate(["#2BF5B5", "#3DB8FF", "#8A5CFF", "#2BF5B5"]))
    stars = scatter(rng, 160, (0, 0, WIDTH, HEIGHT * 0.7), (0.4, 1.3), (0.15, 0.55))
    return svg(WIDTH, HEIGHT,
        '<defs><linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#070B16"/><stop offset="1" stop-color="#0D1622"/>'
        '</linearGradient>' + defs + '</defs>' + layer("sky") + stars + "".join(bands))


def background_carbon():
    """Carbon-fibre weave with a diagonal sheen."""
    cells = []
    size = 8
    for row in range(HEIGHT // size + 1):
        for col in range(WIDTH // size + 1):
            x, y = col * size, row * size
            if (row + col) % 2 == 0:
                cells.append(f'<rect x="{x}" y="{y}" width="{size}" height="{size // 2}" '
                             f'fill="#1D2129"/>')
            else:
                cells.append(f'<rect x="{x}" y="{y}" width="{size // 2}" height="{size}" '
                             f'fill="#191C23"/>')
    return svg(WIDTH, HEIGHT,
        '<defs><linearGradient id="sheen" x1="0" y1="0" x2="1" y2="1">'
        '<stop offset="0" stop-color="#FFFFFF" stop-opacity="0"/>'
        '<stop offset="0.45" stop-color="#FFFFFF" stop-opacity="0.06"/>'
        '<stop offset="0.55" stop-color="#FFFFFF" stop-opacity="0.02"/>'
        '<stop offset="1" stop-color="#000000" stop-opacity="0.35"/></linearGradient>'
        '</defs>'
        f'<rect width="{WIDTH}" height="{HEIGHT}" fill="#14171C"/>' + "".join(cells)
        + layer("sheen"))


def background_circuit():
    """Circuit-board traces in cyan on near-black."""
    rng = random.Random(4)
    traces = []
    for _ in range(70):
        x, y = rng.randrange(0, WIDTH, 20), rng.randrange(0, HEIGHT, 20)
        points = [(x, y)]
        for _ in range(rng.randint(2, 5)):
            direction = rng.choice([(1, 0), (0, 1), (1, 1), (-1, 0), (0, -1)])
            length = rng.randrange(20, 120, 20)
            x, y = x + direction[0] * length, y + direction[1] * length
            points.append((x, y))
        d = "M" + " L".join(f"{px} {py}" for px, py in points)
        opacity = rng.uniform(0.10, 0.32)
        traces.append(f'<path d="{d}" fill="none" stroke="{ACCENT}" stroke-opacity="{opacity:.2f}" '
                      f'stroke-width="1.4" stroke-linejoin="round"/>')
        end_x, end_y = points[-1]
        traces.append(f'<circle cx="{end_x}" cy="{end_y}" r="3" fill="#0B1014" stroke="{ACCENT}" '
                      f'stroke-opacity="{opacity + 0.1:.2f}" stroke-width="1.4"/>')
    return svg(WIDTH, HEIGHT,
        '<defs><linearGradient id="base" x1="0" y1="0" x2="1" y2="1">'
        '<stop offset="0" stop-color="#0B1116"/><stop offset="1" stop-color="#0A0D12"/>'
        '</linearGradient>' + glow(620, 120, 380, ACCENT, 0.12, "a")
        + glow(120, 520, 300, "#2BF5B5", 0.07, "b") + '</defs>'
        + layer("base") + layer("a") + layer("b") + "".join(traces))


def background_ember():
    """Dark red with rising sparks."""
    rng = random.Random(5)
    sparks = scatter(rng, 120, (0, HEIGHT * 0.25, WIDTH, HEIGHT), (0.6, 2.2), (0.15, 0.6),
                     ("#FF8A3D", "#FFC15E", "#FF5A3D"))
    return svg(WIDTH, HEIGHT,
        '<defs><linearGradient id="base" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#0E0A0B"/><stop offset="1" stop-color="#1A0D0B"/>'
        '</linearGradient>' + glow(400, 700, 520, "#FF5A1F", 0.30, "a")
        + glow(80, 520, 260, "#FF2E4D", 0.14, "b") + '</defs>'
        + layer("base") + layer("a") + layer("b") + sparks)


def background_nebula():
    """Violet and magenta clouds with stars."""
    rng = random.Random(6)
    clouds = []
    defs = []
    for i in range(9):
        colour = rng.choice([ACCENT2, "#E04BFF", "#3D6BFF", "#B05CFF"])
        cx, cy = rng.uniform(0, WIDTH), rng.uniform(0, HEIGHT)
        defs.append(glow(cx, cy, rng.uniform(140, 300), colour, rng.uniform(0.10, 0.22), f"c{i}"))
        clouds.append(layer(f"c{i}"))
    stars = scatter(rng, 220, (0, 0, WIDTH, HEIGHT), (0.3, 1.2), (0.1, 0.6))
    return svg(WIDTH, HEIGHT, '<defs>' + "".join(defs) + '</defs>'
               f'<rect width="{WIDTH}" height="{HEIGHT}" fill="#0A0812"/>'
               + "".join(clouds) + stars)


def background_arctic():
    """Low-polygon ice in deep blues."""
    rng = random.Random(7)
    step_x, step_y = 80, 72
    rows, cols = HEIGHT // step_y + 2, WIDTH // step_x + 2
    points = {}
    for row in range(rows):
        for col in range(cols):
            # The outer points stay on the edges so that the ice covers the
            # whole picture.
            x_jitter = 0 if col in (0, cols - 1) else rng.uniform(-22, 22)
            y_jitter = 0 if row in (0, rows - 1) else rng.uniform(-18, 18)
            points[(row, col)] = (col * step_x + x_jitter, row * step_y + y_jitter)
    shapes = []
    for row in range(HEIGHT // step_y + 1):
        for col in range(WIDTH // step_x + 1):
            a, b = points[(row, col)], points[(row, col + 1)]
            c, d = points[(row + 1, col)], points[(row + 1, col + 1)]
            for tri in ((a, b, c), (b, d, c)):
                shade = rng.uniform(0, 1)
                depth = (tri[0][1] + tri[1][1] + tri[2][1]) / 3 / HEIGHT
                r = int(10 + 7 * shade + 6 * (1 - depth))
                g = int(17 + 15 * shade + 10 * (1 - depth))
                bl = int(28 + 24 * shade + 14 * (1 - depth))
                pts = " ".join(f"{px:.1f},{py:.1f}" for px, py in tri)
                shapes.append(f'<polygon points="{pts}" fill="#{r:02X}{g:02X}{bl:02X}" '
                              f'stroke="#{r:02X}{g:02X}{bl:02X}" stroke-width="0.8"/>')
    return svg(WIDTH, HEIGHT, '<defs>' + glow(560, 0, 420, "#9FE6FF", 0.12, "a") + '</defs>'
               + "".join(shapes) + layer("a"))


def background_hex():
    """A faint hexagon grid that brightens towards the centre."""
    cells = []
    r = 26
    h = math.sqrt(3) * r
    for row in range(int(HEIGHT / h) + 2):
        for col in range(int(WIDTH / (1.5 * r)) + 2):
            cx = col * 1.5 * r
            cy = row * h + (h / 2 if col % 2 else 0)
            pts = " ".join(f"{cx + r * math.cos(math.radians(60 * k)):.1f},"
                           f"{cy + r * math.sin(math.radians(60 * k)):.1f}" for k in range(6))
            distance = math.hypot(cx - WIDTH / 2, cy - HEIGHT / 2) / math.hypot(WIDTH, HEIGHT)
            opacity = max(0.03, 0.16 - distance * 0.26)
            cells.append(f'<polygon points="{pts}" fill="none" stroke="{ACCENT}" '
                         f'stroke-opacity="{opacity:.3f}" stroke-width="1"/>')
    return svg(WIDTH, HEIGHT,
        '<defs>' + glow(WIDTH / 2, HEIGHT / 2, 420, ACCENT, 0.10, "a") + '</defs>'
        f'<rect width="{WIDTH}" height="{HEIGHT}" fill="#0C1015"/>' + layer("a") + "".join(cells))


BACKGROUNDS = {
    "background": background_midnight,
    "bg_aurora": background_aurora,
    "bg_carbon": background_carbon,
    "bg_circuit": background_circuit,
    "bg_ember": background_ember,
    "bg_nebula": background_nebula,
    "bg_arctic": background_arctic,
    "bg_hex": background_hex,
}


def render_png(renderlayout, svg_text, out_path, work):
    """Draws one SVG into a PNG of the background's size with renderlayout."""
    with open(os.path.join(work, "picture.svg"), "w", encoding="utf-8") as f:
        f.write(svg_text)
    with open(os.path.join(work, "picture.xml"), "w", encoding="utf-8") as f:
        f.write(f'<Window size="{WIDTH},{HEIGHT}"><Control bkimage="picture.svg"/></Window>\n')
    subprocess.run([renderlayout, "--resources", work, "--layout", "picture.xml",
                    "--out", out_path], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--renderlayout", help="path of the built renderlayout tool")
    args = parser.parse_args()
    os.makedirs(COMMON, exist_ok=True)
    for name, content in ICONS.items():
        with open(os.path.join(COMMON, name), "w", encoding="utf-8") as f:
            f.write(content)
    if not args.renderlayout:
        print("SVG icons written; pass --renderlayout to draw the backgrounds", file=sys.stderr)
        return
    with tempfile.TemporaryDirectory() as work:
        for name, draw in BACKGROUNDS.items():
            render_png(args.renderlayout, draw(), os.path.join(COMMON, name + ".png"), work)


if __name__ == "__main__":
    main()
