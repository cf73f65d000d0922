#!/usr/bin/env python3
"""A real receiver's capture plus a GGA with a broken checksum replayed into
the GPS port (COM2, type "GGA") while recording: every GGA and broken line is
recorded in order and nothing else; decoded groups ('p') come at most once per
display interval; "$F" counts the position groups."""
import functools
import os
import sys
import time

from qorharness import Checks, Session, Survey, event_text, read_records, wait_for

T = Checks("test_survey_gps")
CAPTURE = os.path.join(os.path.dirname(__file__), "..", "..", "..", "shared", "corpus", "nmea", "bu353s4.log")


def checksum_ok(line):  # an oracle of its own, not the program's
    body, _, given = line[1:].partition("*")
    return line[:1] == "$" and given.upper() == f"{functools.reduce(lambda a, c: a ^ ord(c), body, 0):02X}"


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
    lines = [l.rstrip("\r\n") for l in open(CAPTURE) if l.strip() and not l.startswith("#")]
    gga = next(l for l in lines if "GGA" in l)
    lines.insert(len(lines) // 2, gga[:-2] + ("00" if gga[-2:] != "00" else "11"))
    with Session("gps", screen="320x240") as s:
        gps = s.open_pty()
        run = Survey(s, sim_args=["--mode", "stream", "--seed", "6"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        wait_for(lambda: b"$STARTED" in open(path, "rb").read(), 10, 0.05, "recording")
        for line in lines:
            gps.write(line + "\r\n")
            time.sleep(0.05)
        time.sleep(1.5)
        run.key("space")
        time.sleep(1.0)
        run.exit_run()
        records = read_records(path)[0]
    found = groups(records)
    expected = [l for l in lines if not checksum_ok(l) or "GGA" in l]
    T.check([g[1] for g in found] == expected, f"GGA and broken lines recorded ({len(found)}/{len(expected)})")
    T.check(all((g[0] == b"?") == (not checksum_ok(g[1])) for g in found), "broken lines carry the '?' tags")
    decoded = [g[3] for g in found if g[2] == b"p"]
    T.check(len(decoded) >= 2 and all(b - a > 910 for a, b in zip(decoded, decoded[1:])), f"decode rate {decoded}")
    fixes = sum(1 for g in found if g[0] == b"@")
    T.check(f"$F {fixes:6d}  " in map(event_text, records), f"the fix total counts the {fixes} position groups")


if __name__ == "__main__":
    sys.exit(T.run(replay))
