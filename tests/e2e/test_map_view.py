#!/usr/bin/env python3
"""The map in the profile pane (320x240, scale 10 m, grid 1.5 m), the
simulated receiver walking east at 1 m/s, probed by pixels: the grid before
the first position; the first position's cross at the pane centre with a
grid line through it; while recording, the cross follows the walk to the
edge margin and the pane scrolls, leaving the sensor's marks behind it on
the same row; Toggle View away and back draws the same pixels; a new scale
keeps the cross in place with the grid at the new spacing; a hop of 40 m
on both axes re-centres; grid interval 0 draws no grid. Map options by
keys: Right on the current-position row at size 5 wraps to 0, Cancel
keeps the file and the cross, OK stores size 0 (line 58 alone) and the
cross shrinks. Map scale, grid interval, Readings/s, station increment and
antenna offset typed key by key keep what was typed; an offset too wide
for the data file is refused. External positions: an ASCII file of 5000
points 5 cm apart on a device with 500 kB free is thinned to every fifth
point (single pixels, 25 cm apart), removed again, and a file without a
position or in UTF-16 gives "FILE ERROR"; an earlier data file's recorded
positions are shown on their row, decoded as its header's receiver type.
Between recordings a 1,000,000-row file loads while the instrument is read,
and the survey's own file loads too."""
import math
import os
import sys
import time
from functools import reduce

from qorharness import Checks, Pane, Session, Survey, changed_lines, gps_groups, read_records, wait_for

T = Checks("test_map_view")
GRID, CROSS, MARK = (192, 192, 192), (0, 0, 255), (255, 0, 0)
EXTERNAL = (0, 255, 0)
ORIGIN = (48.1173, 11.516667)   # where the simulated receiver starts


class MapPane(Pane):
    def cross(self):
        """The centre of the cross: its longest row and column."""
        pts = self.where(CROSS)
        if not pts:
            return None
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        return max(set(xs), key=xs.count), max(set(ys), key=ys.count)

    def grid_columns(self):
        return [x for x in range(self.w) if sum(self.px[y][x] == GRID for y in range(self.h)) > self.h // 2]


def pane_on_screen(s, label):
    """The map pane, or None while a window lies over it."""
    try:
        return MapPane(s.screenshot(label))
    except ValueError:
        return None


def shot(s, label, until=None, timeout=30):
    """The map pane once it is on screen (a window over it closes in its own
    time); with until, shot again until until(pane) holds (a busy machine
    draws late) or timeout seconds have passed."""
    def look():
        p = pane_on_screen(s, label)
        return p if p is not None and (until is None or until(p)) else None
    p = wait_for(look, timeout, 0.5, f"the map pane ({label})", fail=until is None)
    return p or MapPane(s.screenshot(label))


def even(columns, spacing):
    steps = [b - a for a, b in zip(columns, columns[1:])]
    return bool(steps) and all(abs(d - spacing) <= 1 for d in steps)


def open_ascii(s, run, path):
    """'i', the column dialog as it is, the file by its Windows path."""
    run.key("i")
    s.answer("ASCII File Parameters", "Return")
    run.type_into("ASCII File", "Z:" + path.replace("/", "\\"))


def open_data_file(s, run, path):
    """'e', the data file by its Windows path; returns the caption told."""
    run.key("e")
    run.type_into("External File", "Z:" + path.replace("/", "\\"))
    told = wait_for(lambda: next((c for c in ("INFORMATION", "FILE ERROR")
                                  if s.windows(f"^{c}$")), None), 120, what="the outcome")
    s.answer(told, "Return")
    return told


def record_groups(texts, header):
    """A data file's G header record and the texts as GPS record groups."""
    records = header.ljust(26).encode() + b"\n"
    for i, text in enumerate(texts):
        chunks = [text[k:k + 25].ljust(25).encode() for k in range(0, len(text), 25)]
        records += b"".join((b"@" if k == 0 else b"#") + c + b"\n" for k, c in enumerate(chunks))
        records += b"!" + b"%06dp" % i + b" " * 18 + b"\n"
    return records


def external_files(s, run):
    metre_lon = 1 / (111320 * math.cos(math.radians(ORIGIN[0])))
    lines = [f"{ORIGIN[1] + (i * 0.05 - 100) * metre_lon:.9f} {ORIGIN[0] + 2 / 111320:.9f}"
             for i in range(5000)]
    points = s.put_file("points.txt", "\r\n".join(lines) + "\r\n")
    open_ascii(s, run, points)
    s.answer("INFORMATION", "Return")
    columns = lambda p: sorted({x for x, y in p.where(EXTERNAL)})
    cols = columns(shot(s, "ascii-file", until=lambda p: len(columns(p)) >= 35))
    T.check(len(cols) >= 35 and all(b - a >= 5 for a, b in zip(cols, cols[1:])),
            f"ASCII file thinned: {len(cols)} single-pixel columns, 25 cm apart")
    run.key("i")                                     # shown: the same action removes it
    T.check(not shot(s, "ascii-removed", until=lambda p: not p.where(EXTERNAL)).where(EXTERNAL),
            "removed: no external position left")
    open_ascii(s, run, s.put_file("nothing.txt", "no positions here\r\n"))
    s.answer("FILE ERROR", "Return")
    open_ascii(s, run, s.put_file("unicode.txt", "11.5167 48.1173\r\n".encode("utf-16")))
    s.answer("FILE ERROR", "Return")
    T.check(not shot(s, "format-not-supported").where(EXTERNAL),
            "a file without positions, a UTF-16 file: nothing shown")

    # An earlier survey's data file, its header saying the receiver sent GLL
    # (type 5; this one sends GGA): record groups along a row 2 m south.
    lines = []
    for i in range(40):
        body = (f"GPGLL,{4807.038 - 2 / 111320 * 60:.6f},N,"
                f"{1131.0 + (i * 0.25 - 5) * metre_lon * 60:012.6f},E,1200{i:02d}.00,A")
        lines.append(f"${body}*{reduce(lambda a, c: a ^ ord(c), body, 0):02X}")
    earlier = s.put_file("earlier.P61", b"X$STARTED1" + b" " * 16 + b"\n" +
                         record_groups(lines, "G   0.00   0.000  05"))
    T.check(open_data_file(s, run, earlier) == "INFORMATION", "an earlier data file loads")
    p = shot(s, "external-data-file", until=lambda p: len(p.where(EXTERNAL)) >= 20)
    green, c = p.where(EXTERNAL), p.cross()
    rows = sorted(y for x, y in green)
    # 2 m south of the cross; a parallel slopes a little on the UTM grid.
    T.check(len(green) >= 20 and rows[-1] - rows[0] <= 8 and
            abs(rows[len(rows) // 2] - (c[1] + 2 * (p.w - 3) / 10)) <= 3,
            f"an earlier data file's positions 2 m south of the cross (rows {rows[0]}..{rows[-1]})")
    run.key("e")                                     # and removed
    # A total station's survey (type 8, written 9) in feet: its label records.
    labels = [f">0={i},37={17494757.5 + i:.3f},38=2254920.250,39=100.0" for i in range(10)]
    rts = s.put_file("rts.P61", record_groups(labels, "G   0.00   0.00  109"))
    T.check(open_data_file(s, run, rts) == "INFORMATION", "a type 8 data file loads")
    run.key("e")


def walk():
    with Session("map-view", screen="320x240") as s:
        gps = s.start_gpssim("--type", 1, "--rate", 1, "--quality", 2, "--hold", "--heading", 90,
                             "--line-length", 1000, "--speed", 0)
        run = Survey(s, config={60: "0"}, sim_args=["--mode", "stream", "--seed", "3"], gps=gps,
                     avail_phys=500000)
        run.launch()
        p = shot(s, "before-position", until=lambda p: p.grid_columns())
        size = p.w - 3                                   # the map's extent, pane pixels 0..size
        spacing = 1.5 * size / 10
        T.check(not p.where(CROSS) and even(p.grid_columns(), spacing), "grid drawn before any position")
        gps.control("go")
        p = shot(s, "first-position", until=lambda p: p.cross() is not None)
        centre = (size // 2, (p.h - 3) // 2)
        c = p.cross()
        T.check(c is not None and abs(c[0] - centre[0]) <= 1 and abs(c[1] - centre[1]) <= 1,
                f"first position: cross {c} at the centre {centre}")
        cols = p.grid_columns()
        T.check(c is not None and any(abs(x - c[0]) <= 1 for x in cols) and even(cols, spacing),
                f"grid lines through it every {spacing:.1f} px {cols}")

        external_files(s, run)

        path = run.create_file()
        run.key("g")
        gps.control("speed 1")
        margin = int(0.15 * (size + 5))                  # default edge margin: 15 % of the pane
        step = size / 10                                 # 1 m a fix
        # Walked far enough to have reached the edge margin.
        p = shot(s, "walking-east", timeout=60, until=lambda p: len(p.where(MARK)) > 5 and p.cross()
                 and p.cross()[0] >= size - margin - 20 - step - 2)
        c = p.cross()
        T.check(c is not None and size - margin - 20 - step - 2 <= c[0] <= size - margin + 1,
                f"walking east: the cross {c} keeps to the edge margin ({size - margin})")
        marks = sorted({x for x, y in p.where(MARK) if c and abs(y - c[1]) <= 3})
        T.check(len(marks) >= 5 and marks[-1] <= c[0] + 3, f"the sensor's marks behind it on its row ({len(marks)} columns)")

        gps.control("speed 0")
        run.key("space")
        run.await_text(path, b"$PAUSED")
        shots = [shot(s, "paused")]                      # standing: two shots alike
        before = shot(s, "paused", until=lambda p: shots.append(p) or shots[-1].px == shots[-2].px)
        run.key("t")
        run.key("t")
        T.check(shot(s, "map-again", until=lambda p: p.px == before.px).px == before.px,
                "Toggle View away and back: the same pixels")

        # over an emptied field, key by key
        s.type_keys_into_field(s.open_dialog(run.main, "s", "Enter Map Scale"), [], "20", leave=None)
        s.answer("Enter Map Scale", "Return")
        p = shot(s, "scale-20", until=lambda p: even(p.grid_columns(), spacing / 2))
        T.check(p.cross() == before.cross(), f"new scale: the cross stays at {before.cross()} ({p.cross()})")
        T.check(even(p.grid_columns(), spacing / 2), "the grid at half the spacing")

        gps.control("fault hop on")
        c = shot(s, "hop", until=lambda p: p.cross() != before.cross()).cross()
        T.check(c is not None and abs(c[0] - centre[0]) <= 2 and abs(c[1] - centre[1]) <= 2,
                f"a hop off the pane on both axes re-centres ({c})")

        config = s.path("KVTINI", "Q61MK2CX.INI")
        for scale, grid, want in (("100", "10", {67: b"10.000000", 68: b"100"}), ("", "0", {67: b"0.000000"})):
            before = open(config, "rb").read()
            wid = s.open_dialog(run.main, "s", "Enter Map Scale")
            if scale:
                s.type_keys_into_field(wid, [], scale)
            s.type_keys_into_field(wid, ["alt+g"], grid, leave=None)
            s.answer("Enter Map Scale", "Return")
            changed = changed_lines(before, open(config, "rb").read())
            T.check(changed == want, f"map scale {scale or 'kept'}, grid {grid} typed key by key: {want} ({changed})")
        T.check(not shot(s, "no-grid", until=lambda p: not p.grid_columns()).grid_columns(), "grid interval 0: no grid")

        before = open(config, "rb").read()
        for last, label in (("c", "options-cancelled"), ("o", "options-ok")):
            run.key("a")
            wait_for(lambda: pane_on_screen(s, "options-open") is None, 30, 0.25, "Map Options over the map")
            for key in ["Tab"] * 5 + ["Right", last]:
                run.key(key)
            arm_of = lambda p: p.cross() and sum(1 for x, y in p.where(CROSS) if y == p.cross()[1])
            p = shot(s, label, until=lambda p: (arm_of(p) or 0) >= 17 if last == "c" else 0 < (arm_of(p) or 0) <= 9)
            arm = arm_of(p)
            after = open(config, "rb").read()
            changed = changed_lines(before, after)
            if last == "c":
                T.check(after == before and arm and arm >= 17, f"map options, Cancel: file kept, cross {arm} px")
            else:
                T.check(changed == {58: b"0"} and arm and arm <= 9,
                        f"map options, OK: line 58 = 0 alone ({changed}), cross {arm} px")

        run.exit_run()
        setup_fields_by_keys(s, run.main, config)


def setup_fields_by_keys(s, main, config):
    """Readings/s, the station increment and an antenna offset typed key by
    key on the main menu's dialogs: "-1" stays -1, and an offset the data
    file's column cannot hold is refused until one that fits is typed."""
    before = open(config, "rb").read()
    wid = s.open_dialog(main, "s", "Survey Setup")
    s.type_keys_into_field(wid, ["alt+l", "shift+Tab"], "2.5")
    s.type_keys_into_field(wid, ["alt+t", "Tab"], "-1", leave=None)
    s.answer("Survey Setup", "Return")
    wid = s.open_dialog(main, "y", "System Setup")
    s.type_keys_into_field(wid, ["alt+x"], "12345", leave="Return")
    s.answer("WARNING", "Return")
    s.type_keys_into_field(wid, ["alt+x"], "-1.5", leave=None)
    s.answer("System Setup", "Return")
    changed = changed_lines(before, open(config, "rb").read())
    want = {48: b"-1.000000", 51: b"0.400000", 74: b"-1.500000"}
    T.check(changed == want, f"rate 2.5, increment -1, offset 12345 refused then -1.5: {want} ({changed})")


def load_while_recording():
    """Between recordings (the file open, the instrument polled): a
    1,000,000-row file loads while the instrument's frames go on being
    requested, and the survey's own file loads too."""
    with Session("map-load-recording", screen="320x240") as s:
        gps = s.start_gpssim("--type", 1, "--rate", 5, "--quality", 2, "--hold", "--heading", 90,
                             "--line-length", 1000, "--speed", 1)
        run = Survey(s, sim_args=["--mode", "polled", "--seed", "5"], gps=gps)
        run.launch()
        gps.control("go")
        wait_for(lambda: len(gps.lines()) >= 10, 30, what="GPS fixes")
        path = run.create_file()
        run.key("g")
        wait_for(lambda: len(gps_groups(read_records(path)[0])) >= 10, 30, what="recorded fixes")
        run.key("space")
        rows = [f"{ORIGIN[1] + (i % 1000) * 1e-6:.7f} {ORIGIN[0] + (i // 1000) * 1e-6:.7f}"
                for i in range(1000000)]
        rows[2] = "P3 48.1173"
        big = s.put_file("big.txt", "\r\n".join(rows) + "\r\n")
        run.await_text(path, b"$PAUSED")
        open_ascii(s, run, big)
        start = time.monotonic()
        s.wait_window("^INFORMATION$", 180)
        end = time.monotonic()
        s.answer("INFORMATION", "Return")
        # Frames are sent only when asked for: a program held up by the load
        # asks for none until it is done.
        sent = [us / 1e6 for _, us, _ in run.sim.frames() if start <= us / 1e6 <= end]
        gaps = [b - a for a, b in zip([start] + sent, sent + [end])]
        longest = max(range(len(gaps)), key=gaps.__getitem__)
        T.check(gaps[longest] < max(1.5, (end - start) / 2),
                f"the instrument is read while a file loads ({len(sent)} frames in "
                f"{end - start:.1f} s, longest gap {gaps[longest]:.2f} s after "
                f"{([start] + sent)[longest] - start:.2f} s)")

        told = open_data_file(s, run, path)            # the survey being recorded
        T.check(told == "INFORMATION", f"the survey being recorded loads ({told})")
        run.exit_run()


if __name__ == "__main__":
    sys.exit(T.run(walk, load_while_recording))
