#!/usr/bin/env python3
"""Draws Brixo's component pictures and icons as SVG into resources/images.

Run it again after changing a shape; the SVG files are committed. The digit background and
the eight lit segments share one geometry, so every lit overlay covers its unlit segment exactly.
"""
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n{body}\n</svg>\n')


def write(name, w, h, body):
    with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
        f.write(svg(w, h, body))


# --- seven-segment digit, 43 x 67 -------------------------------------------------------------
DW, DH = 43, 67
T = 5.0          # segment thickness
GAP = 0.8        # gap between neighbouring segments
XL, XR = 9.0, 32.0
YT, YM, YB = 7.0, 33.5, 60.0


def hseg(xa, xb, y):
    h = T / 2
    xa += GAP
    xb -= GAP
    pts = [(xa, y), (xa + h, y - h), (xb - h, y - h), (xb, y), (xb - h, y + h), (xa + h, y + h)]
    return pts


def vseg(x, ya, yb):
    h = T / 2
    ya += GAP
    yb -= GAP
    pts = [(x, ya), (x + h, ya + h), (x + h, yb - h), (x, yb), (x - h, yb - h), (x - h, ya + h)]
    return pts


SEGMENTS = {
    "A1": hseg(XL, XR, YT),      # a top
    "B1": vseg(XR, YT, YM),      # b upper right
    "C1": vseg(XR, YM, YB),      # c lower right
    "D1": hseg(XL, XR, YB),      # d bottom
    "E1": vseg(XL, YM, YB),      # e lower left
    "F1": vseg(XL, YT, YM),      # f upper left
    "G1": hseg(XL, XR, YM),      # g middle
}
DP = (37.5, 60.0, 2.6)           # decimal point centre and radius


def poly(pts, fill):
    p = " ".join(f"{x:.2f},{y:.2f}" for x, y in pts)
    return f'<polygon points="{p}" fill="{fill}"/>'


def dot(fill):
    x, y, r = DP
    return f'<circle cx="{x}" cy="{y}" r="{r}" fill="{fill}"/>'


UNLIT, LIT = "#4a1414", "#ff3b2f"
bg = [f'<rect x="0" y="0" width="{DW}" height="{DH}" rx="3" fill="#151515"/>',
      f'<rect x="1.5" y="1.5" width="{DW-3}" height="{DH-3}" rx="2" fill="#1e1e1e" stroke="#333" stroke-width="1"/>']
bg += [poly(p, UNLIT) for p in SEGMENTS.values()]
bg.append(dot(UNLIT))
write("BG", DW, DH, "\n".join(bg))
for name, pts in SEGMENTS.items():
    write(name, DW, DH, poly(pts, LIT))
write("H1", DW, DH, dot(LIT))


# --- slide switches ---------------------------------------------------------------------------
def switch(on, lying):
    w, h = (35, 20) if lying else (20, 35)
    parts = [f'<rect x="0.5" y="0.5" width="{w-1}" height="{h-1}" rx="3" fill="#2b4f8a" stroke="#16294a"/>']
    if lying:
        parts.append('<rect x="5" y="7" width="25" height="6" rx="3" fill="#0d1a2e"/>')
        kx = 19 if on else 4
        parts.append(f'<rect x="{kx}" y="3" width="12" height="14" rx="2" fill="#f2f2f2" stroke="#777"/>')
        parts.append(f'<line x1="{kx+4}" y1="6" x2="{kx+4}" y2="14" stroke="#999"/>')
        parts.append(f'<line x1="{kx+8}" y1="6" x2="{kx+8}" y2="14" stroke="#999"/>')
        parts.append(f'<circle cx="{32 if on else 3}" cy="3" r="1.6" fill="{"#5df25d" if on else "#555"}"/>')
    else:
        parts.append('<rect x="7" y="5" width="6" height="25" rx="3" fill="#0d1a2e"/>')
        ky = 4 if on else 19
        parts.append(f'<rect x="3" y="{ky}" width="14" height="12" rx="2" fill="#f2f2f2" stroke="#777"/>')
        parts.append(f'<line x1="6" y1="{ky+4}" x2="14" y2="{ky+4}" stroke="#999"/>')
        parts.append(f'<line x1="6" y1="{ky+8}" x2="14" y2="{ky+8}" stroke="#999"/>')
        parts.append(f'<circle cx="17" cy="{3 if on else 32}" r="1.6" fill="{"#5df25d" if on else "#555"}"/>')
    return w, h, "\n".join(parts)


for name, on, lying in [("switch_0", False, False), ("switch_1", True, False),
                        ("switch_0_lay", False, True), ("switch_1_lay", True, True)]:
    write(name, *switch(on, lying))


# --- round push keys, 48 x 48: KEY1 released (raised), KEY0 pressed (sunk) --------------------
def key(pressed):
    cap = "#b8b8b8" if pressed else "#e6e6e6"
    hi = "#9a9a9a" if pressed else "#ffffff"
    r = 14 if pressed else 15
    return "\n".join([
        '<defs><radialGradient id="k" cx="40%" cy="35%" r="70%">'
        f'<stop offset="0" stop-color="{hi}"/><stop offset="1" stop-color="{cap}"/></radialGradient></defs>',
        '<rect x="1" y="1" width="46" height="46" rx="6" fill="#3a3a3a" stroke="#222"/>',
        '<circle cx="24" cy="24" r="19" fill="#1c1c1c"/>',
        f'<circle cx="24" cy="{25 if pressed else 23}" r="{r}" fill="url(#k)" stroke="#666"/>',
    ])


write("KEY1", 48, 48, key(False))
write("KEY0", 48, 48, key(True))


# --- LEDs, 30 x 30 -----------------------------------------------------------------------------
def led(core, glow):
    return "\n".join([
        f'<defs><radialGradient id="g" cx="50%" cy="50%" r="50%"><stop offset="0.55" stop-color="{glow}" '
        f'stop-opacity="0.55"/><stop offset="1" stop-color="{glow}" stop-opacity="0"/></radialGradient>'
        f'<radialGradient id="c" cx="38%" cy="35%" r="65%"><stop offset="0" stop-color="#ffffff" '
        f'stop-opacity="0.85"/><stop offset="0.35" stop-color="{core}"/><stop offset="1" stop-color="{core}"/>'
        '</radialGradient></defs>',
        '<circle cx="15" cy="15" r="15" fill="url(#g)"/>',
        '<circle cx="15" cy="15" r="9.5" fill="#202020"/>',
        '<circle cx="15" cy="15" r="8" fill="url(#c)" stroke="#111" stroke-width="0.8"/>',
    ])


write("led_off", 30, 30, led("#4b4b4b", "#000000").replace('stop-opacity="0.55"', 'stop-opacity="0"'))
write("led_red", 30, 30, led("#ff2a1a", "#ff3020"))
write("led_green", 30, 30, led("#22e03a", "#30ff40"))


# --- menu and tool-bar icons, 32 x 32 ----------------------------------------------------------
def page(extra):
    return ('<path d="M7 3 H20 L26 9 V29 H7 Z" fill="#fdfdfd" stroke="#555" stroke-width="1.3"/>'
            '<path d="M20 3 V9 H26" fill="#ddd" stroke="#555" stroke-width="1.3"/>' + extra)


ICONS = {
    "XJXNMB": page('<circle cx="23" cy="24" r="7" fill="#2e9e3e"/>'
                   '<path d="M23 20 V28 M19 24 H27" stroke="#fff" stroke-width="2.2"/>'),
    "open": ('<path d="M3 8 H12 L15 11 H28 V27 H3 Z" fill="#e2b13c" stroke="#8a6414" stroke-width="1.2"/>'
             '<path d="M3 27 L8 15 H31 L26 27 Z" fill="#f5cf62" stroke="#8a6414" stroke-width="1.2"/>'),
    "BCMB": ('<rect x="4" y="4" width="24" height="24" rx="2" fill="#2f5da8" stroke="#1b3766"/>'
             '<rect x="9" y="4" width="14" height="9" fill="#e8e8e8"/><rect x="18" y="6" width="3" height="5" fill="#2f5da8"/>'
             '<rect x="8" y="17" width="16" height="10" fill="#ffffff"/>'),
    "link": ('<rect x="3" y="12" width="12" height="8" rx="2" fill="#666"/><rect x="15" y="14" width="6" height="4" fill="#aaa"/>'
             '<rect x="21" y="10" width="8" height="12" rx="1.5" fill="#2f5da8"/>'
             '<path d="M3 16 H0" stroke="#666" stroke-width="2"/>'),
    "burn": ('<rect x="8" y="12" width="16" height="16" rx="1" fill="#333"/>'
             + "".join(f'<rect x="{x}" y="9" width="2" height="3" fill="#999"/><rect x="{x}" y="28" width="2" height="3" fill="#999"/>'
                       for x in (10, 14, 18, 22)[:4]) +
             '<path d="M16 1 V10 M12 6 L16 10 L20 6" stroke="#d23" stroke-width="2.4" fill="none"/>'
             '<text x="16" y="23" font-size="6" font-family="sans-serif" fill="#fff" text-anchor="middle">FPGA</text>'),
    "edit": ('<path d="M6 26 L8 19 L22 5 L27 10 L13 24 Z" fill="#f0b429" stroke="#7a5a10" stroke-width="1.2"/>'
             '<path d="M6 26 L8 19 L13 24 Z" fill="#f6e2b8"/><path d="M20 7 L25 12" stroke="#7a5a10"/>'
             '<path d="M4 29 H28" stroke="#555" stroke-width="1.5"/>'),
    "SZXNMB": ('<circle cx="16" cy="16" r="9" fill="none" stroke="#555" stroke-width="5" stroke-dasharray="4 3.07"/>'
               '<circle cx="16" cy="16" r="7" fill="#8a8a8a"/><circle cx="16" cy="16" r="3" fill="#fff"/>'),
    "TGBJT": ('<rect x="3" y="6" width="26" height="20" fill="#bfe3ff" stroke="#456" stroke-width="1.3"/>'
              '<path d="M3 26 L12 15 L18 21 L22 17 L29 26 Z" fill="#3c8d3c"/><circle cx="23" cy="11" r="2.8" fill="#f5c400"/>'),
    "KJXXB": ('<rect x="3" y="5" width="26" height="22" fill="#fff" stroke="#456" stroke-width="1.3"/>'
              '<rect x="3" y="5" width="26" height="5" fill="#2f5da8"/>'
              '<path d="M3 15.5 H29 M3 21 H29 M12 5 V27 M21 5 V27" stroke="#456"/>'),
    "flags": ('<path d="M4 3 V30" stroke="#555" stroke-width="2"/>'
              '<rect x="5" y="4" width="14" height="10" fill="#de2910"/><path d="M8 6 l1 2 l2 0 l-1.5 1.5 l0.7 2 l-2.2-1.2 l-2.2 1.2 l0.7-2 l-1.5-1.5 l2 0 Z" fill="#ffde00"/>'
              '<rect x="13" y="16" width="16" height="11" fill="#012169"/>'
              '<path d="M13 16 L29 27 M29 16 L13 27" stroke="#fff" stroke-width="2.4"/>'
              '<path d="M21 16 V27 M13 21.5 H29" stroke="#fff" stroke-width="3.2"/>'
              '<path d="M21 16 V27 M13 21.5 H29" stroke="#c8102e" stroke-width="1.6"/>'),
}
for name, body in ICONS.items():
    write(name, 32, 32, body)


def board(size):
    s = size / 48.0
    body = [f'<g transform="scale({s:.4f})">',
            '<rect x="2" y="6" width="44" height="36" rx="3" fill="#1f6f3a" stroke="#0f3a1e" stroke-width="1.5"/>',
            '<rect x="17" y="12" width="14" height="14" fill="#222"/>',
            '<rect x="8" y="30" width="4" height="7" fill="#eee"/><rect x="14" y="30" width="4" height="7" fill="#eee"/>',
            '<circle cx="29" cy="34" r="3" fill="#ff3b2f"/><circle cx="37" cy="34" r="3" fill="#22e03a"/>',
            '<rect x="35" y="12" width="7" height="11" fill="#111"/>'
            '<path d="M36.5 13.5 H40.5 V17.5 H36.5 Z M36.5 17.5 V21.5 H40.5 V17.5" fill="none" stroke="#ff3b2f" stroke-width="1"/>',
            '</g>']
    return "\n".join(body)


write("AppIcon", 64, 64, board(64))
write("Application", 48, 48, board(48))
