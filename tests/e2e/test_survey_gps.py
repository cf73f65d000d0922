#!/usr/bin/env python3
"""GPS surveys on COM2: a real receiver's sentences with a broken GGA and
binary bytes between them (type "GGA"); the simulated receiver walking
(type "GGA/GSA", a bad checksum every 7th epoch); a total station's GGA in
feet filling a small store; label records. Each file holds exactly the
groups the harness's oracle of the reader's rules gives and ends with the
totals. During the walk, profiles replayed and the entry dialogs by keys;
then the map after a sentence begun before Go, and a second run."""
import sys
import time
from functools import reduce
from qorharness import (Checks, Pane, Session, Survey, event_totals, expected_gps_groups,
                        gps_groups, gps_reader_texts, read_records, totals_last, wait_for)

T = Checks("test_survey_gps")
# One second of a GlobalSat BU-353-S4 (SiRF-IV) as it came off the wire.
EPOCH = ["$GPGGA,030721.000,3747.0876,S,17518.8934,E,1,08,1.1,60.1,M,23.7,M,,0000*7D",
         "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33",
         "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B",
         "$GPGSV,3,2,12,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10*7C",
         "$GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,*73",
         "$GPRMC,030721.000,A,3747.0876,S,17518.8934,E,0.89,181.39,311214,,,A*71"]
BROKEN = EPOCH[0][:-2] + "00"
# Binary bytes between sentences (some chipsets' mode switch): without a '$'
# the sentence before is handed over again; with one, a rejected line.
BINARY = [b"\xb5\x62\x06\x01\x03\x00\xf0\x05\x00\xff\x19\r\n", b"\xa0\xa2\x00\x02$\x81\x02\xb0\xb3\r\n"]


def replay():
    lines = [l.encode() + b"\r\n" for l in EPOCH * 3 + [BROKEN] + EPOCH[:1]] + BINARY + \
        [l.encode() + b"\r\n" for l in EPOCH[1:] + EPOCH * 2]
    with Session("gps", screen="320x240") as s:
        gps = s.open_pty()
        run = Survey(s, sim_args=["--mode", "stream", "--seed", "6"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        run.await_text(path, b"$STARTED")
        for line in lines:
            gps.write(line)
            time.sleep(0.15)
        # Every GGA line is recorded, however late a busy machine reads it.
        gga = sum("GGA" in t for t in gps_reader_texts(b"".join(lines)))
        wait_for(lambda: sum("GGA" in g[1] for g in gps_groups(read_records(path)[0])) >= gga, 30, 0.2,
                 fail=False)
        run.key("space")
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        records = read_records(path)[0]
    found = gps_groups(records)
    want = expected_gps_groups(b"".join(lines), found, 1)
    T.check(len(found) == 9 and [(g[0], g[1]) for g in found] == want,
            f"GGA, broken and binary lines recorded by the reader's rules ({len(found)} groups)")
    decoded = [g[3] for g in found if g[2] == b"p"]
    T.check(len(decoded) >= 2 and all(b - a > 910 for a, b in zip(decoded, decoded[1:])), f"decode rate {decoded}")
    T.check(event_totals(records)[0] == sum(1 for g in found if g[0] == b"@") and totals_last(records),
            f"the fix total {event_totals(records)} counts the position groups and ends the file")


def dot_colours(s, label):
    """Pure green or red pixels in the lower part of the read-out column."""
    img = s.screenshot(label)
    seen = set()
    for y in range(img.height * 3 // 5, img.height):
        for x in range(img.width * 2 // 3, img.width):
            p = img.pixel(x, y)
            seen |= {p} & {(0, 255, 0), (255, 0, 0)}
    return {(0, 255, 0): "green", (255, 0, 0): "red"}.get(seen.pop()) if len(seen) == 1 else seen


def dot_becomes(s, label, want):
    """want once the dot shows it (it is drawn after the fix is recorded),
    else what it shows after 20 s."""
    return want if wait_for(lambda: dot_colours(s, label) == want, 20, 0.5, fail=False) else dot_colours(s, label)


def replayed_profiles(s, run):
    """The profiles come back from the data file as live drawing left them:
    after a comment and after Toggle View to the map and back. (Live
    drawing strokes each step and the replay each channel whole, so wide
    pens' edges and which line lies on top may differ.)"""
    live = Pane(s.screenshot("profiles-live"))
    T.check(len(live.where((255, 255, 255))) < live.w * live.h * 0.98, "profiles drawn while recording")
    def differing(label):      # once the pane has settled: [] if it matches
        diff = lambda: live.unmatched_lines(Pane(s.screenshot(label)))
        return [] if wait_for(lambda: not diff(), 10, 0.5, fail=False) else diff()
    run.key("c")
    run.type_into("Enter Comment", "replay")
    left = differing("profiles-after-comment")
    T.check(not left, f"after a comment the same profiles ({len(left)} pixels differ: {left[:5]})")
    run.key("t")
    run.key("t")
    left = differing("profiles-after-toggle")
    T.check(not left, f"after Toggle View and back the same profiles ({len(left)} pixels differ: {left[:5]})")


# Logging-window key (a tuple: through the popup menu), dialog, keys in it,
# and the configuration lines OK changes.
ENTRY_BY_KEYS = [
    ("p", "Enter Scale", ["alt+i", "type:-100", "alt+a", "type:300"], {35: b"-100.000000", 36: b"300.000000"}),
    ("b", "Speed Bar Scale", ["alt+s", "type:5"], {46: b"5.000000"}),
    ("w", "GPS Warning Mask", ["Tab", "Tab", "Tab", "type:2.5"], {73: b"2.500000"}),
    (("m", "y", "c"), "Display Coordinates", ["Down"], {57: b"1"}),
]


def entry_dialogs_by_keys(s, run):
    """The logging window's entry dialogs by keys: Escape keeps every byte
    of the configuration file, Return changes exactly the lines edited;
    the profiles come back on the new scale."""
    s.check_config_edits(T.check, run.main, ENTRY_BY_KEYS, s.path("KVTINI", "Q61MK2CX.INI"))
    drawn, bare = [], ((255, 255, 255), (192, 192, 192), (0, 0, 0))
    pixels = lambda: sum(1 for row in Pane(s.screenshot("profiles-new-scale")).px for c in row if c not in bare)
    wait_for(lambda: drawn.append(pixels()) or drawn[-1] > 500, 10, 0.5, fail=False)
    T.check(drawn[-1] > 500, f"the profiles replayed on the new scale ({drawn[-1]} line pixels)")


def simulated_walk():
    with Session("gps-walk", screen="320x240") as s:
        gps = s.start_gpssim("--type", 0, "--rate", 5, "--baud", 19200, "--quality", 2,
                             "--fault", "badsum", "--fault-every", 7)
        run = Survey(s, config={36: "200", 38: "0", 40: "2"}, sim_args=["--mode", "stream", "--seed", "6"],
                     gps=gps)
        run.launch()
        T.check(dot_becomes(s, "fix-meets-mask", "green") == "green", "DGPS meets the mask: green dot")
        path = run.create_file()
        run.key("t")                        # the profiles, drawn live while recording
        run.key("g")
        groups = lambda: gps_groups(read_records(path)[0])
        wait_for(lambda: len(groups()) > 45, 60, 0.5, fail=False)   # a busy machine records late
        run.key("space")
        run.await_text(path, b"$PAUSED")
        replayed_profiles(s, run)
        entry_dialogs_by_keys(s, run)
        gps.control("fault nofix on")
        T.check(dot_becomes(s, "no-fix", "red") == "red", "no fix: red dot")
        run.exit_run()
        records = read_records(path)[0]
        raw = open(gps.raw_log, "rb").read()
    found = gps_groups(records)
    want = expected_gps_groups(raw, found, 0)
    T.check(len(found) > 45 and [(g[0], g[1]) for g in found] == want,
            f"the receiver's lines recorded as sent ({len(found)} groups)")
    decoded = sum(1 for g in found if g[2] == b"p")
    fixes = sum(1 for g in found if g[0] == b"@" and "GGA" in g[1])
    T.check(event_totals(records) == [fixes, decoded], f"totals {event_totals(records)}: {fixes} GGA, {decoded} decoded")


def total_station_fills_store():
    """Type 7 in feet, GPS only, a store of 6: one 1500 m jump is not stored,
    the seventh decoded fix fills the store and the program stops."""
    with Session("gps-store", screen="320x240") as s:
        gps = s.start_gpssim("--type", 7, "--feet", "--rate", 1)
        run = Survey(s, config={2: "0", 38: "7"}, gps=gps, max_positions=6)
        run.launch(instrument=False)
        path = run.create_file()
        T.check(path.endswith(".GXY"), f"GPS-only file {path}")
        run.key("g")
        # The jump needs stored positions to be judged against.
        wait_for(lambda: sum(g[2] == b"p" for g in gps_groups(read_records(path)[0])) >= 2, 30,
                 what="two decoded fixes")
        gps.control("fault jump")
        s.answer("STOP", "Return", timeout=30)
        T.check(run.exited() and run.app.proc.returncode == 0, "the program ends after STOP")
        records = read_records(path)[0]
        raw = open(gps.raw_log, "rb").read()
    found = gps_groups(records)
    T.check([(g[0], g[1]) for g in found] == expected_gps_groups(raw, found, 7), "every GGA recorded in order")
    # A sentence that follows the last decoded one within the display interval
    # is recorded only; when that was the jump, no fix was refused.
    east = [float(g[1].split(",")[4]) for g in found]
    jump_decoded = any(g[2] == b"p" and e - min(east) > 1000 for g, e in zip(found, east))
    decoded = sum(1 for g in found if g[2] == b"p")
    T.check(event_totals(records) == [len(found), 6] and decoded == 6 + jump_decoded and totals_last(records),
            f"totals {event_totals(records)} last, {decoded} decoded (jump decoded: {jump_decoded})")


def label_records():
    with Session("gps-labels", screen="320x240") as s:
        gps = s.start_gpssim("--type", 8, "--rate", 2)
        run = Survey(s, config={38: "8"}, sim_args=["--mode", "stream", "--seed", "2"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        wait_for(lambda: len(gps_groups(read_records(path)[0])) >= 8, 60, 0.5, fail=False)
        run.key("space")
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        records = read_records(path)[0]
        sent = [line for _, line in gps.lines()]
    found = gps_groups(records)
    start = sent.index(found[0][1]) if found else 0
    T.check(len(found) >= 8 and [g[1] for g in found] == sent[start:start + len(found)]
            and all(g[2] == b"p" for g in found), f"label records recorded whole ({len(found)})")
    f, p = event_totals(records)
    T.check(f == len(found) and len(found) - 1 <= p <= len(found) + 1 and totals_last(records),
            f"totals {f} {p} of {len(found)}, the file's last records")


def nmea(body):
    return "$%s*%02X\r\n" % (body, reduce(lambda a, c: a ^ ord(c), body, 0))


def gga(k, north_minutes):
    return nmea(f"GPGGA,12000{k}.00,48{north_minutes:07.4f},N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,")


def map_after_go_then_type0():
    """A "GGA" run: three fixes 1.85 m apart (HDOP 0.9 meets the mask: green),
    a pause, a sentence begun before the next Go: it draws no mark, the map
    as drawn equals the map rebuilt from the store (Toggle View twice). Then
    "GGA/GSA" in GPS Port Setup and GSA PDOP 6.5: red from the second fix."""
    with Session("gps-map-go", screen="320x240") as s:
        gps = s.open_pty()
        run = Survey(s, config={38: "1", 70: "1", 71: "0", 72: "4", 73: "4.000000"},
                     sim_args=["--mode", "stream", "--seed", "3"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        run.await_text(path, b"$STARTED")
        for k in range(3):
            gps.write(gga(k, 7.0 + 0.001 * k))
            time.sleep(1.2)
        wait_for(lambda: len(gps_groups(read_records(path)[0])) == 3, 20, 0.2, "three fixes")
        dots = [dot_becomes(s, "dot-gga", "green")]
        run.key("space")
        run.await_text(path, b"$PAUSED")
        late = gga(9, 7.004)
        gps.write(late[:20])
        wait_for(lambda: not gps.unread(), 10, 0.05, "the sentence's start read")
        # The reader's read returns, and takes its time, once the line has
        # been quiet for 10 ms: Go must come after that, not merely after
        # the driver took the bytes off the terminal.
        time.sleep(0.5)
        run.key("g")
        run.await_text(path, b"$STARTED", 2)
        shots = [Pane(s.screenshot("map-before-end"))]
        gps.write(late[20:])
        # Its cross moves the map: shot until that is drawn and holds still.
        live = wait_for(lambda: shots.append(Pane(s.screenshot("map-live"))) or (
            shots[-1].differences(shots[0]) and not shots[-1].differences(shots[-2]) and shots[-1]),
            20, 0.3, "the late sentence's cross drawn")
        run.key("space")
        run.await_text(path, b"$PAUSED", 2)
        run.key("t")
        run.key("t")
        rebuilt = wait_for(lambda: (lambda p: not live.differences(p) and p)(Pane(s.screenshot("map-rebuilt"))),
                           10, 0.5, fail=False) or Pane(s.screenshot("map-rebuilt"))
        run.exit_run()
        s.key("alt+n", "Home", window=s.open_dialog(s.wait_dialog("QOR"), "g", "GPS Port Setup"))
        s.answer("GPS Port Setup", "Return")
        run.launch()
        for k in range(3):
            gps.write(gga(k, 7.0) + nmea("GPGSA,A,3,04,05,09,12,,,,,,,,,6.5,0.9,1.5"))
            time.sleep(1.2)
        dots.append(dot_becomes(s, "dot-gga-gsa", "red"))
        run.key("x")
        records = read_records(path)[0]
    marks = sum(1 for row in rebuilt.px for p in row if p not in ((255, 255, 255), (192, 192, 192)))
    diff = live.differences(rebuilt)
    T.check(marks > 20 and not diff, f"the map as drawn = as rebuilt ({marks} pixels, {len(diff)} differ: {diff[:5]})")
    found = [g[1] + "\r\n" for g in gps_groups(records)]
    T.check(found == [gga(k, 7.0 + 0.001 * k) for k in range(3)], f"the sentence begun before Go is not recorded {found}")
    T.check(dots == ["green", "red"], f"type 1 HDOP 0.9, then type 0 with PDOP 6.5: dots {dots}")


if __name__ == "__main__":
    sys.exit(T.run(replay, simulated_walk, total_station_fills_store, label_records, map_after_go_then_type0))
