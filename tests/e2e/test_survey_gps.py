#!/usr/bin/env python3
"""A real receiver's sentences plus a GGA with a broken checksum replayed into
the GPS port (COM2, type "GGA") while recording: every GGA and broken line is
recorded in order and nothing else; decoded groups ('p') come at most once per
display interval; "$F" counts the position groups."""
import sys
import time

from qorharness import Checks, Session, Survey, event_text, read_records, wait_for

T = Checks("test_survey_gps")
# One second of a GlobalSat BU-353-S4 (SiRF-IV) as it came off the wire.
EPOCH = ["$GPGGA,030721.000,3747.0876,S,17518.8934,E,1,08,1.1,60.1,M,23.7,M,,0000*7D",
         "$GPGSA,A,3,17,28,06,01,30,20,26,13,,,,,1.8,1.1,1.5*33",
         "$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B",
         "$GPGSV,3,2,12,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10*7C",
         "$GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,*73",
         "$GPRMC,030721.000,A,3747.0876,S,17518.8934,E,0.89,181.39,311214,,,A*71"]
BROKEN = EPOCH[0][:-2] + "00"


def groups(records):
    """(first tag, text, flag, tick) of each GPS record group."""
    out, text = [], None
    for r in records:
        if r[:1] in (b"@", b"?"):
            first, text = r[:1], r[1:26]
        elif r[:1] in (b"#", b'"') and text is not None:
            text += r[1:26]
        elif r[:1] == b"!" and text is not None:
            flag = r[7:8] if first == b"@" else r[1:2]
            out.append((first, text.decode().rstrip(" "), flag, int(r[16:26])))
            text = None
    return out


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
        time.sleep(1.5)
        run.key("space")
        time.sleep(1.0)
        run.exit_run()
        records = read_records(path)[0]
    found = groups(records)
    expected = [l for l in lines if "GGA" in l]
    T.check([g[1] for g in found] == expected, f"GGA and broken lines recorded ({len(found)}/{len(expected)})")
    T.check(all((g[0] == b"?") == (g[1] == BROKEN) for g in found), "broken lines carry the '?' tags")
    decoded = [g[3] for g in found if g[2] == b"p"]
    T.check(len(decoded) >= 2 and all(b - a > 910 for a, b in zip(decoded, decoded[1:])), f"decode rate {decoded}")
    fixes = sum(1 for g in found if g[0] == b"@")
    T.check(f"$F {fixes:6d}  " in map(event_text, records), f"the fix total counts the {fixes} position groups")


if __name__ == "__main__":
    sys.exit(T.run(replay))
