#!/usr/bin/env python3
"""GPS surveys on COM2. A real receiver's sentences and a broken GGA
replayed (type "GGA"); the simulated receiver walking lines (type
"GGA/GSA", 5 Hz, a bad checksum every 7th epoch); a total station's GGA in
feet in a GPS-only survey that fills a small position store; a total
station's label records. Each time the data file must hold exactly the
lines the program records, in the order sent, with the totals to match.
During the walk, the profiles replayed from the file after a comment and
after Toggle View, and the logging window's entry dialogs by keys."""
import sys
import time
from qorharness import (Checks, Pane, Session, Survey, event_text, event_totals, gps_groups,
                        nmea_valid, read_records, wait_for)

T = Checks("test_survey_gps")
# One second of a GlobalSat BU-353-S4 (SiRF-IV) as it came off the wire.
EPOCH = ["$GPGGA,030721.000,3747.0876,S,17518.8934,E,1,08,1.1,60.1,M,23.7,M,,0000*7D",
         "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33",
         "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B",
         "$GPGSV,3,2,12,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10*7C",
         "$GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,*73",
         "$GPRMC,030721.000,A,3747.0876,S,17518.8934,E,0.89,181.39,311214,,,A*71"]
BROKEN = EPOCH[0][:-2] + "00"


def replay():
    lines = EPOCH * 3 + [BROKEN] + EPOCH * 3
    with Session("gps", screen="320x240") as s:
        gps = s.open_pty()
        run = Survey(s, sim_args=["--mode", "stream", "--seed", "6"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        wait_for(lambda: b"$STARTED" in open(path, "rb").read(), 10, 0.05, "recording")
        for line in lines:
            gps.write(line + "\r\n")
            time.sleep(0.15)
        # Every GGA line is recorded, however late a busy machine reads it.
        gga = sum("GGA" in l for l in lines)
        wait_for(lambda: len(gps_groups(read_records(path)[0])) >= gga, 30, 0.2, fail=False)
        run.key("space")
        time.sleep(1.0)
        run.exit_run()
        records = read_records(path)[0]
    found = gps_groups(records)
    expected = [l for l in lines if "GGA" in l]
    T.check([g[1] for g in found] == expected, f"GGA and broken lines recorded ({len(found)}/{len(expected)})")
    T.check(all((g[0] == b"?") == (g[1] == BROKEN) for g in found), "broken lines carry the '?' tags")
    decoded = [g[3] for g in found if g[2] == b"p"]
    T.check(len(decoded) >= 2 and all(b - a > 910 for a, b in zip(decoded, decoded[1:])), f"decode rate {decoded}")
    fixes = sum(1 for g in found if g[0] == b"@")
    T.check(f"$F {fixes:6d}  " in map(event_text, records), f"the fix total counts the {fixes} position groups")


def expected_type0(sent, found):
    """The lines of sent, from the first one recorded, as the program
    records them: malformed ones, every GGA, and the GSA that follows a
    decoded GGA (decoded is read from the recorded flag)."""
    out, pending, start = [], False, sent.index(found[0][1])
    for line in sent[start:]:
        if len(out) == len(found):
            break
        if not nmea_valid(line):
            out.append((b"?", line))
        elif "GGA" in line:
            pending = found[len(out)][2] == b"p"
            out.append((b"@", line))
        elif "GSA" in line and pending:
            out.append((b"@", line))
            pending = False
    return out


def dot_colours(s, label):
    """Pure green or red pixels in the lower part of the read-out column."""
    img = s.screenshot(label)
    seen = set()
    for y in range(img.height * 3 // 5, img.height):
        for x in range(img.width * 2 // 3, img.width):
            p = img.pixel(x, y)
            seen |= {p} & {(0, 255, 0), (255, 0, 0)}
    return {(0, 255, 0): "green", (255, 0, 0): "red"}.get(seen.pop()) if len(seen) == 1 else seen


def replayed_profiles(s, run):
    """The profiles come back from the data file as live drawing left them:
    after a comment and after Toggle View to the map and back. (Live
    drawing strokes each step and the replay each channel whole, so wide
    pens' edges and which line lies on top may differ.)"""
    live = Pane(s.screenshot("profiles-live"))
    T.check(len(live.where((255, 255, 255))) < live.w * live.h * 0.98, "profiles drawn while recording")
    run.key("c")
    run.type_into("Enter Comment", "replay")
    time.sleep(1.0)
    diff = live.unmatched_lines(Pane(s.screenshot("profiles-after-comment")))
    T.check(not diff, f"after a comment the same profiles ({len(diff)} pixels differ: {diff[:5]})")
    run.key("t")
    time.sleep(1.5)
    run.key("t")
    time.sleep(1.5)
    diff = live.unmatched_lines(Pane(s.screenshot("profiles-after-toggle")))
    T.check(not diff, f"after Toggle View and back the same profiles ({len(diff)} pixels differ: {diff[:5]})")


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
    config = s.path("KVTINI", "Q61MK2CX.INI")
    for key, caption, keys, want in ENTRY_BY_KEYS:
        changed = s.config_edits_by_keys(run.main, key, caption, keys, config)
        T.check(changed == want, f"{caption} by keys: Escape keeps the file, Return changes {want} ({changed})")
    pane = Pane(s.screenshot("profiles-new-scale"))
    drawn = sum(1 for row in pane.px for p in row if p not in ((255, 255, 255), (192, 192, 192), (0, 0, 0)))
    T.check(drawn > 500, f"the profiles replayed on the new scale ({drawn} line pixels)")


def simulated_walk():
    with Session("gps-walk", screen="320x240") as s:
        gps = s.start_gpssim("--type", 0, "--rate", 5, "--baud", 19200, "--quality", 2,
                             "--fault", "badsum", "--fault-every", 7)
        run = Survey(s, config={36: "200", 38: "0", 40: "2"}, sim_args=["--mode", "stream", "--seed", "6"],
                     gps=gps)
        run.launch()
        T.check(dot_colours(s, "fix-meets-mask") == "green", "DGPS meets the mask: green dot")
        path = run.create_file()
        run.key("t")                        # the profiles, drawn live while recording
        run.key("g")
        groups = lambda: gps_groups(read_records(path)[0])
        time.sleep(8)
        wait_for(lambda: len(groups()) > 45, 60, 0.5, fail=False)   # a busy machine records late
        run.key("space")
        time.sleep(1.0)
        replayed_profiles(s, run)
        entry_dialogs_by_keys(s, run)
        gps.control("fault nofix on")
        time.sleep(2.5)
        T.check(dot_colours(s, "no-fix") == "red", "no fix: red dot")
        run.exit_run()
        records = read_records(path)[0]
        sent = [line for _, line in gps.lines()]
        raw = open(gps.raw_log, "rb").read()
    # The line log is what went over the wire (up to what was still queued).
    T.check(raw and "".join(line + "\r\n" for line in sent).encode().startswith(raw), "raw bytes = lines sent")
    found = gps_groups(records)
    want = expected_type0(sent, found)
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
        # The jump is judged against a fix already taken.
        wait_for(lambda: any(g[2] == b"p" for g in gps_groups(read_records(path)[0])), 30, 0.2, fail=False)
        gps.control("fault jump")
        s.answer("STOP", "Return", timeout=30)
        T.check(run.exited() and run.app.proc.returncode == 0, "the program ends after STOP")
        records = read_records(path)[0]
        sent = [line for _, line in gps.lines()]
    found = gps_groups(records)
    start = sent.index(found[0][1])
    T.check([g[1] for g in found] == sent[start:start + len(found)], "every GGA recorded in order")
    decoded = sum(1 for g in found if g[2] == b"p")
    T.check(event_totals(records) == [len(found), 6] and decoded == 7, f"totals {event_totals(records)}, {decoded} decoded")


def label_records():
    with Session("gps-labels", screen="320x240") as s:
        gps = s.start_gpssim("--type", 8, "--rate", 2)
        run = Survey(s, config={38: "8"}, sim_args=["--mode", "stream", "--seed", "2"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        time.sleep(5)
        wait_for(lambda: len(gps_groups(read_records(path)[0])) >= 8, 60, 0.5, fail=False)
        run.key("space")
        time.sleep(1.0)
        run.exit_run()
        records = read_records(path)[0]
        sent = [line for _, line in gps.lines()]
    found = gps_groups(records)
    start = sent.index(found[0][1]) if found else 0
    T.check(len(found) >= 8 and [g[1] for g in found] == sent[start:start + len(found)]
            and all(g[2] == b"p" for g in found), f"label records recorded whole ({len(found)})")
    f, p = event_totals(records)
    T.check(f == len(found) and len(found) - 1 <= p <= len(found) + 1, f"totals {f} {p} of {len(found)}")


if __name__ == "__main__":
    sys.exit(T.run(replay, simulated_walk, total_station_fills_store, label_records))
