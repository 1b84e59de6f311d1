#!/usr/bin/env python3
"""Measures, on a screenshot of the running Brindlewick window, the contrast of each button's caption
against its face and of the panes against the window, as WCAG reckons contrast. The buttons and panes
are found through AT-SPI; the screen is read with ImageMagick's import. Exits non-zero, naming the
buttons, when a caption's contrast is below 4.5:1 or a pane stands out dark from the white window."""
import subprocess
import sys
import time
from collections import Counter

import pyatspi

from read_panes import CheckFailed, check, controls, find_application

MINIMUM = 4.5


def screenshot():
    """The root window as (width, rows of (r, g, b) bytes), from a binary PPM."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    width, height = int(fields[1]), int(fields[2])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise CheckFailed(f"the screenshot is not an 8-bit PPM: {b' '.join(fields)}")
    pixels = data[at + 1:]
    return width, [pixels[y * width * 3:(y + 1) * width * 3] for y in range(height)]


def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def colours(shot, accessible, inset):
    """The pixels inside the accessible's extents, less `inset` pixels all round (its frame)."""
    _, rows = shot
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    found = []
    for y in range(box.y + inset, box.y + box.height - inset):
        row = rows[y]
        found += [tuple(row[x * 3:x * 3 + 3]) for x in range(box.x + inset, box.x + box.width - inset)]
    return found


def measure(shot, button):
    """The caption's contrast: its pixel that stands out most from the face, the face's own colour."""
    inside = colours(shot, button, 4)
    face = Counter(inside).most_common(1)[0][0]
    caption = max(inside, key=lambda pixel: contrast(pixel, face))
    return contrast(caption, face), button.name, face, caption


def main():
    app = find_application(sys.argv[1])
    everything = controls(app)
    buttons = [a for a in everything if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    panes = [a for a in everything if a.getRole() == pyatspi.ROLE_TABLE]
    check(len(buttons) == 22 and len(panes) == 2, "the 22 buttons and the two panes are on the bus")
    # The window may still be painting when it first shows: measured again until it holds, a while.
    for _ in range(20):
        time.sleep(0.5)
        shot = screenshot()
        weakest = sorted(measure(shot, button) for button in buttons)
        if weakest[0][0] >= MINIMUM:
            break
    for ratio, name, face, caption in weakest[:3]:
        print(f"  {name}: caption {caption} on face {face}: {ratio:.2f}:1")
    low = [f"{name} ({ratio:.2f}:1)" for ratio, name, _, _ in weakest if ratio < MINIMUM]
    check(not low, f"every caption has at least {MINIMUM}:1 against its button (lowest {weakest[0][0]:.2f}:1) {low}")
    for pane in panes:
        background = Counter(colours(shot, pane, 30)).most_common(1)[0][0]
        check(contrast(background, (255, 255, 255)) < 1.25,
              f"{pane.name} is light like the window ({background}, {contrast(background, (255, 255, 255)):.2f}:1 to white)")


if __name__ == "__main__":
    try:
        main()
    except CheckFailed as failure:
        print("FAILED:", failure, file=sys.stderr)
        sys.exit(1)
