#!/usr/bin/env python3
"""Writes the gallery skin's pictures (SVG) into pictures/.

Every picture of the gallery is drawn here, so the skin carries no artwork
from elsewhere. Run it again after changing a colour or a shape.
"""
import os

ACCENT = "#3DB8FF"
ACCENT2 = "#8A5CFF"
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures")


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{body}</svg>\n')


def icon(path, colour, w=16, h=16, width=1.8):
    return svg(w, h, f'<path d="{path}" fill="none" stroke="{colour}" '
                     f'stroke-width="{width}" stroke-linecap="round" stroke-linejoin="round"/>')


PICTURES = {
    # Window buttons, normal and hot.
    "min.svg": icon("M4 8.5h8", "#AEB6C2"),
    "min_hot.svg": icon("M4 8.5h8", "#FFFFFF"),
    "max.svg": icon("M4.5 4.5h7v7h-7z", "#AEB6C2"),
    "max_hot.svg": icon("M4.5 4.5h7v7h-7z", "#FFFFFF"),
    "close.svg": icon("M4.5 4.5l7 7M11.5 4.5l-7 7", "#AEB6C2"),
    "close_hot.svg": icon("M4.5 4.5l7 7M11.5 4.5l-7 7", "#FFFFFF"),
    "skin.svg": icon("M3 11l3-7 3 5 2-3 2 5", "#AEB6C2"),
    # The logo: a stylised mouse with an accent gradient.
    "logo.svg": svg(28, 28,
        '<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="1">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs>'
        '<path d="M14 3c-5 0-8 4-8 9v5c0 5 3 8 8 8s8-3 8-8v-5c0-5-3-9-8-9z" '
        'fill="none" stroke="url(#g)" stroke-width="2.4"/>'
        '<path d="M14 5v7" stroke="url(#g)" stroke-width="2.4" stroke-linecap="round"/>'),
    # Check box: box and ticked box.
    "check.svg": svg(18, 18, '<rect x="1.5" y="1.5" width="15" height="15" rx="4" '
                             'fill="#10141A" stroke="#4A5260" stroke-width="1.4"/>'),
    "check_on.svg": svg(18, 18, f'<rect x="1" y="1" width="16" height="16" rx="4" fill="{ACCENT}"/>'
                                '<path d="M5 9.3l2.6 2.6L13 6.5" fill="none" stroke="#0B0E13" '
                                'stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>'),
    # Radio option.
    "radio.svg": svg(18, 18, '<circle cx="9" cy="9" r="7.2" fill="#10141A" stroke="#4A5260" '
                             'stroke-width="1.4"/>'),
    "radio_on.svg": svg(18, 18, f'<circle cx="9" cy="9" r="7.2" fill="#10141A" stroke="{ACCENT}" '
                                f'stroke-width="1.6"/><circle cx="9" cy="9" r="3.8" fill="{ACCENT}"/>'),
    # Navigation tab: selected marker bar with a glow.
    "nav_selected.svg": svg(160, 40,
        '<defs><linearGradient id="n" x1="0" y1="0" x2="1" y2="0">'
        f'<stop offset="0" stop-color="{ACCENT}" stop-opacity="0.28"/>'
        f'<stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/></linearGradient></defs>'
        '<rect width="160" height="40" fill="url(#n)"/>'
        f'<rect width="3" height="40" fill="{ACCENT}"/>'),
    # Navigation icons.
    "nav_dpi.svg": icon("M2 12h3l2-8 3 10 2-6h2", "#C9D1DC", 16, 16, 1.6),
    "nav_light.svg": icon("M8 2v2M8 12v2M2 8h2M12 8h2M4 4l1.4 1.4M10.6 10.6L12 12M4 12l1.4-1.4M10.6 5.4L12 4M8 6a2 2 0 1 0 0.01 0", "#C9D1DC", 16, 16, 1.5),
    "nav_keys.svg": icon("M3 4h10v8H3zM5 7h1M8 7h1M11 7h0.5M5 10h6", "#C9D1DC", 16, 16, 1.5),
    "nav_macro.svg": icon("M3 4h10M3 8h7M3 12h4M12 10v4M10 12h4", "#C9D1DC", 16, 16, 1.5),
    "nav_profile.svg": icon("M8 8a3 3 0 1 0 0-6 3 3 0 0 0 0 6zM2.5 14c1-3 3-4 5.5-4s4.5 1 5.5 4", "#C9D1DC", 16, 16, 1.5),
    # Primary button background (nine-slice friendly).
    "button_primary.svg": svg(120, 32,
        '<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="0">'
        f'<stop offset="0" stop-color="{ACCENT}"/><stop offset="1" stop-color="{ACCENT2}"/>'
        '</linearGradient></defs><rect width="120" height="32" rx="6" fill="url(#b)"/>'),
    "button_primary_hot.svg": svg(120, 32,
        '<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="0">'
        '<stop offset="0" stop-color="#6FCBFF"/><stop offset="1" stop-color="#A683FF"/>'
        '</linearGradient></defs><rect width="120" height="32" rx="6" fill="url(#b)"/>'),
    # A top view of the mouse for the key buttons.
    "mouse.svg": svg(150, 220,
        '<defs><linearGradient id="m" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#2A313C"/><stop offset="1" stop-color="#171B22"/>'
        '</linearGradient></defs>'
        '<path d="M75 6C36 6 14 44 14 92v52c0 44 26 70 61 70s61-26 61-70V92C136 44 114 6 75 6z" '
        'fill="url(#m)" stroke="#3A4350" stroke-width="2"/>'
        '<path d="M75 8v78M14 88h122" stroke="#3A4350" stroke-width="2"/>'
        f'<rect x="69" y="30" width="12" height="30" rx="6" fill="#0F1217" stroke="{ACCENT}" '
        'stroke-width="1.5"/>'
        f'<path d="M34 180c12 14 70 14 82 0" fill="none" stroke="{ACCENT2}" stroke-width="3" '
        'stroke-linecap="round" opacity="0.8"/>'),
    "key_light.svg": svg(40, 40, '<defs><radialGradient id="l"><stop offset="0" '
                                 'stop-color="#FFFFFF" stop-opacity="0.9"/><stop offset="1" '
                                 'stop-color="#FFFFFF" stop-opacity="0"/></radialGradient></defs>'
                                 '<circle cx="20" cy="20" r="18" fill="url(#l)"/>'),
    "key_set.svg": svg(40, 40, f'<circle cx="33" cy="7" r="4" fill="{ACCENT}"/>'),
    "key_button.svg": svg(40, 40, '<rect x="1" y="1" width="38" height="38" rx="7" fill="#1E242D" '
                                  'stroke="#3A4350" stroke-width="1.5"/>'),
    "key_button_hot.svg": svg(40, 40, f'<rect x="1" y="1" width="38" height="38" rx="7" '
                                      f'fill="#232B36" stroke="{ACCENT}" stroke-width="1.5"/>'),
}


def main():
    os.makedirs(HERE, exist_ok=True)
    for name, content in PICTURES.items():
        with open(os.path.join(HERE, name), "w", encoding="utf-8") as f:
            f.write(content)


if __name__ == "__main__":
    main()
