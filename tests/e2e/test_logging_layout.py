#!/usr/bin/env python3
"""Layout of the logging screen at 240x320, 320x240, 480x640, 640x480 and
800x480: the screenshot is probed where the layout rules (computed here) put
pane borders, grid rows, command buttons, speed text and read-out rows.
"""
import sys

from qorharness import Checks, Session, config_lines, wait_for

SIZES = [(240, 320), (320, 240), (480, 640), (640, 480), (800, 480)]
TASKBAR_STRIP = 36          # kept free at the bottom of the emulated screen
PROFILE_MAX = 60            # a profile scale on which the simulated soil shows
BACKGROUND, WHITE = (192, 192, 192), (255, 255, 255)

checks = Checks("test_logging_layout")


class Geometry:
    """Screen class, scales and logging-screen layout of a w x h screen."""

    def __init__(self, screen_w, screen_h):
        w, h = screen_w, screen_h - TASKBAR_STRIP      # the main window's client area
        self.portrait = portrait = w <= h
        self.cls = cls = 1 if max(w, h) < 400 else (2 if max(w, h) < 701 else 3)
        if cls == 1:
            self.width, self.height = (240, 320) if portrait else (320, 240)
            sx = sy = fs = 1.0
        else:
            self.width, self.height, fs = w, h + 36, 2.0
            sx = self.width / (240.0 if portrait else 320.0)
            sy = self.height / (320.0 if portrait else 240.0)
        self.fs = fs
        self.X = X = lambda n: int(n * sx)
        self.Y = Y = lambda n: int(n * sy)
        if portrait:
            self.pl, self.pt, self.pw = X(5), Y(13), int(231 * fs) - (cls > 1)
        else:
            self.pl, self.pt, self.pw = 4, 4, int(215 * fs) - (cls > 1)
        self.ph, self.sbh, self.bars_w = self.pw, Y(5), X(32)
        if portrait:
            self.bars_left = self.pl - 2
            self.sbt = self.pt + self.ph + Y(10)
            self.button_w, self.button_h = X(58) + (cls == 3), Y(17)
            self.bars_top = self.sbt + self.sbh + Y(1)
            self.bars_h = self.height - Y(1) - self.bars_top - self.button_h
            top = self.height - self.button_h
            self.buttons = [(X(1) + i * (self.button_w + X(1)), top) for i in range(4)]
            self.status_x = self.pl + self.bars_w + X(4)
        else:
            self.bars_left, self.sbt = self.pw + X(6), self.ph + Y(17)
            self.bars_top, self.bars_h = Y(28), Y(80)
            self.button_w, self.button_h = X(60), Y(19)
            left = self.width - self.button_w - X(2)
            self.buttons = [(left, Y(28) + i * (self.button_h + Y(1))) for i in range(4)]
            self.status_x = self.pw + X(8)


def grid_rows(height):
    """The four even grid rows of a scale that does not span zero."""
    return [int(height - 0.2 * i * (height + 1)) for i in range(1, 5)]


def inside(img, x, y):
    return 0 <= x < img.width and 0 <= y < img.height


def is_border(p):
    return p[0] == p[1] == p[2] and p[0] < 180


def dark_in(img, x0, y0, x1, y1):
    return any(img.pixel(x, y)[0] < 100 for y in range(max(0, y0), min(img.height, y1))
               for x in range(max(0, x0), min(img.width, x1)))


def probe_pane(img, check, label, name, left, top, width, height, quiet_row):
    """A WS_BORDER pane: its border frames a white client, grey outside."""
    right, bottom, y, x = left + width - 1, top + height - 1, top + 1 + quiet_row, left + width // 2
    for px, py, side in ((left, y, "left"), (right, y, "right"), (x, top, "top"), (x, bottom, "bottom")):
        if inside(img, px, py):
            check(is_border(img.pixel(px, py)), f"{label}: {name} {side} border at ({px},{py})")
    check(img.pixel(left + 1, y) == WHITE, f"{label}: {name} white inside")
    for px in (left - 1, right + 1):
        if inside(img, px, y):
            check(img.pixel(px, y) == BACKGROUND, f"{label}: {name} background at x {px}")


def probe_grid(img, check, label, name, x, client_top, rows):
    for row in rows:
        y = client_top + row
        if inside(img, x, y):
            check(img.pixel(x, y) == BACKGROUND and img.pixel(x, y - 1) == WHITE,
                  f"{label}: {name} grid line at row {row}")


def probe_buttons(img, check, g, label):
    w, h = g.button_w, g.button_h
    for i, (x, y) in enumerate(g.buttons):
        cy, cx = y + h // 2, x + 4
        edges = [(x - 1, cy, BACKGROUND), (x + w, cy, BACKGROUND), (cx, y - 1, BACKGROUND),
                 (cx, y + h, BACKGROUND), (x + w - 1, cy, None), (cx, y + h - 1, None)]
        for px, py, want in edges:
            if inside(img, px, py):
                p = img.pixel(px, py)
                check(p == want if want else is_border(p), f"{label}: button {i} edge at ({px},{py})")


def probe_labels(img, check, g, label):
    """The profile scale's maximum at the pane's top right, its digits at
    least half a cell of the screen class's font tall; the speed text under
    the pane and the speed scale's 0 at its left."""
    text_h = int(13 * g.fs)
    ink = bands(img, g.pl + g.pw - 3 - int(40 * g.fs), g.pl + g.pw - 3, g.pt, g.pt + text_h + 2)
    check(len(ink) == 1 and ink[0][1] - ink[0][0] >= text_h // 2,
          f"{label}: profile scale maximum at the top right, rows {ink}")
    if g.portrait:
        top, left = g.pt + g.ph - g.X(2), int(g.pl + 0.5 * g.pw - 40)
    else:
        top, left = g.ph + g.Y(4), int(g.pl + 0.5 * g.pw - g.X(40))
    check(dark_in(img, left, top, left + int(30 * g.fs), top + text_h)
          and dark_in(img, g.pl, top, g.pl + int(8 * g.fs), top + text_h),
          f"{label}: speed text and the speed scale's 0 under the profile pane")


def bands(img, x0, x1, y0, y1):
    """(top, bottom) of each run of rows holding dark (text) pixels."""
    rows = [y for y in range(y0, min(y1, img.height)) if dark_in(img, x0, y, x1, y + 1)]
    out = []
    for y in rows:
        if out and y == out[-1][1] + 1:
            out[-1][1] = y
        else:
            out.append([y, y])
    return out


def probe_readout_rows(img, check, g, label):
    """Once normalised: every read-out row stands whole on the screen and
    none reaches a command button; the channel values are as tall as their
    labels (a row lower than its text would cut them)."""
    X, Y = g.X, g.Y
    if g.portrait:
        top, limit = g.sbt + g.sbh - Y(1) - 1, g.buttons[0][1] - 1
        # Ln, St, GPS notice; below the buttons' top only their own captions.
        values_right, rest = X(135), bands(img, X(140), g.width, top, limit + 1)
    else:
        top, limit = g.bars_top + g.bars_h + Y(1) - 1, g.height - 1
        values_right, rest = g.width, None
    labels = bands(img, g.status_x, g.status_x + X(12), top, limit + 1)
    if not g.portrait and len(labels) >= 6:      # Ln, St, then "GPS Input", "Disabled"
        rest = bands(img, g.status_x, g.width, labels[5][1] + 1, g.height)
    lowest = max(b for _, b in labels + (rest or [[0, 0]]))
    check(len(labels) == (4 if g.portrait else 6) and rest is not None and len(rest) in (2, 3)
          and lowest < limit, f"{label}: read-out rows {labels} and {rest} all above {limit}")
    for i, (a, b) in enumerate(labels[:4]):
        value = bands(img, g.status_x + X(14), values_right, a - 2, b + 3)
        check(len(value) == 1 and value[0][1] - value[0][0] >= b - a,
              f"{label}: channel {i + 1} value whole beside its label ({value} vs {a}..{b})")


def check_screen(w, h):
    label, g = f"{w}x{h}", Geometry(w, h)
    with Session(f"layout-{label}", screen=label) as s:
        sim = s.start_em61sim("--mode", "polled", "--seed", "3")
        s.put_file("KVTINI/Q61MK2CX.INI", config_lines({8: "1", 36: f"{PROFILE_MAX}.000000"}))
        s.start(com={1: sim.path})
        main = s.wait_window("^QOR$")
        s.key("l", window=main)
        # The logging screen is up once the profile pane's border shows.
        wait_for(lambda: is_border(s.screenshot("launch").pixel(g.pl - 1, g.pt + g.ph // 3)), 40, 1.0,
                 "the logging screen")
        s.await_screen("layout", lambda img, c: [
            probe_pane(img, c, label, "profile pane", g.pl - 1, g.pt - 1, g.pw, g.ph, sum(grid_rows(g.ph)[:2]) // 2),
            probe_grid(img, c, label, "profile", g.pl + 5, g.pt, grid_rows(g.ph)),
            probe_pane(img, c, label, "speed bar", g.pl - 1, g.sbt, g.pw, g.sbh, g.sbh // 2 - 1),
            probe_pane(img, c, label, "bar pane", g.bars_left, g.bars_top, g.bars_w, g.bars_h, 2),
            probe_grid(img, c, label, "bar", g.bars_left + 1, g.bars_top + 1, grid_rows(g.bars_h)),
            probe_buttons(img, c, g, label), probe_labels(img, c, g, label)], checks.check)
        # Normalised (the read-outs show four values) within a minute.
        s.await_screen("readouts", lambda img, c: probe_readout_rows(img, c, g, label), checks.check, 60)

if __name__ == "__main__":
    sys.exit(checks.run(*[lambda w=w, h=h: check_screen(w, h) for w, h in SIZES]))
