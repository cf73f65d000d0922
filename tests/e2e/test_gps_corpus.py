#!/usr/bin/env python3
"""Real receivers' output (the NMEA captures in ../shared/corpus/nmea, or
QOR_NMEA_CORPUS) replayed into the GPS port while recording, as types
"GGA/GSA" and "GGA": the program neither crashes nor hangs and ends on
Exit; the file holds, in order, exactly the groups the reader's rules
(the harness's oracle) give for the bytes sent: every GGA, again after a
line without '$', every malformed sentence, the GSA paired with a fix.
Skipped (77) where the captures are not at hand."""
import glob
import os
import sys
import tempfile
import time

from qorharness import (REPO, Checks, Session, Survey, event_totals, expected_gps_groups, gps_groups,
                        gps_reader_texts, read_records, wait_for)

T = Checks("test_gps_corpus")
CORPUS = os.environ.get("QOR_NMEA_CORPUS") or os.path.join(REPO, "..", "shared", "corpus", "nmea")


def replay(gps_type, capture):
    with Session(f"gps-corpus-{gps_type}", screen="320x240") as s:
        gps = s.start_gpssim("--replay", capture, "--hold", "--rate", 100, "--baud", 115200)
        run = Survey(s, config={38: str(gps_type), 40: "5"}, sim_args=["--mode", "stream"], gps=gps)
        run.launch()
        path = run.create_file()
        run.key("g")
        run.await_text(path, b"$STARTED")
        gps.control("go")
        while gps.proc.poll() is None:     # the replay ends by itself
            time.sleep(1)
        # A busy machine may still be reading the last lines: wait for them.
        with open(gps.raw_log, "rb") as f:
            last = ([t.rstrip(" ") for t in gps_reader_texts(f.read()) if "GGA" in t] or [None])[-1]
        wait_for(lambda: any(g[1] == last for g in gps_groups(read_records(path)[0])), 60, 0.5, fail=False)
        run.key("space")
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        run.await_text(path, b"$P ")
        run.key("x")
        T.check(run.exited() and run.app.proc.returncode == 0, f"type {gps_type}: the program ends on Exit")
        records = read_records(path)[0]
        with open(gps.raw_log, "rb") as f:
            raw = f.read()
    found = gps_groups(records)
    T.check(found and [(g[0], g[1]) for g in found] == expected_gps_groups(raw, found, gps_type),
            f"type {gps_type}: {len(found)} groups, as the reader's rules give them")
    recorded = [g for g in found if g[0] == b"@" and "GGA" in g[1]]
    T.check(event_totals(records)[0] == len(recorded), f"type {gps_type}: the fix total")


def corpus():
    captures = sorted(glob.glob(os.path.join(CORPUS, "*.log")))
    if not captures:
        print(f"no captures in {CORPUS}: skipped")
        sys.exit(77)
    with tempfile.NamedTemporaryFile("w", suffix=".nmea", delete=False) as all_of_them:
        for c in captures:
            all_of_them.write(open(c, encoding="latin-1").read())
    try:
        for gps_type in (0, 1):
            replay(gps_type, all_of_them.name)
    finally:
        os.unlink(all_of_them.name)


if __name__ == "__main__":
    sys.exit(T.run(corpus))
