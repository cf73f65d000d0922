#!/usr/bin/env python3
"""A survey in Auto mode, polled and streamed, driven by keys from launch to
Exit. Record by record against the simulator's frames: none missing, in
order, each streamed reading stamped with its own frame's time (the
simulator falls silent now and then, so a stale stamp would show).
"""
import datetime
import os
import sys
import time

from qorharness import (Checks, Session, Survey, event_text, missing_frames, read_records,
                        recordings, wait_for)

T = Checks("test_survey_recording")


def opening(base, polled):
    """The 16 opening records of a file made with the default settings (GPS
    off) on this 320 x 240 device; None for the date and time records."""
    pad = lambda text: (text + " " * 26)[:26].encode() + b"\n"
    o = pad("O     0.00")
    return ([pad("QORMK2  W330GRD000"), pad("Hg" + (base + " " * 9)[:9] + "  0.200"),
             pad(f"G   0.00   0.00{1 if polled else 0}2 010"), o, o, o, o, pad("L0"), pad("B       0.00"),
             pad("AS      " + "      1.000"), None] + [pad("O     0.00      0.00")] * 4 + [None])


def check_file(label, path, frames, polled):
    records, size = read_records(path)
    T.check(size % 27 == 0 and all(r[26:27] == b"\n" for r in records),
            f"{label}: whole 27-byte records ending in a line feed ({size} bytes)")
    want = opening(os.path.basename(path)[:-4], polled)
    T.check(all(w is None or r == w for r, w in zip(records, want)) and records[10][:1] == b"Z"
            and records[15][:1] == b"*", f"{label}: header, line block, time as set {records[:16]}")
    texts = [event_text(r) for r in records if event_text(r)]
    T.check(texts[:4] == ["$STARTED0  ", "$PAUSED    "] * 2, f"{label}: start/pause events {texts}")
    T.check(texts[-2:] == ["$F      0  ", "$P      0  "], f"{label}: totals last {texts[-2:]}")
    runs, stray = recordings(records)
    T.check(stray == 0, f"{label}: no reading outside recording")
    T.check(len(runs) == 2 and all(len(run) >= 10 for run in runs),
            f"{label}: readings in both recordings {[len(run) for run in runs]}")
    for n, run in enumerate(runs):
        missing, ticks = missing_frames(run, frames), [int(r[16:26]) for r in run]
        T.check(missing == 0 and all(b >= a for a, b in zip(ticks, ticks[1:])),
                f"{label} recording {n + 1}: every frame sent is recorded ({missing}), ticks ascend")
        # Auto polled: one request per reading interval (0.2 s), not faster; a
        # busy machine may delay the timer, but not to the 1 s of stand-by.
        mean = (ticks[-1] - ticks[0]) / max(1, len(ticks) - 1)
        T.check(not polled or 150 <= mean <= 600, f"{label}: readings about 200 ms apart ({mean:.0f})")
    return records, runs


def check_stream_ticks(runs, frames):
    """Record tick minus the frame's arrival (both milliseconds of clocks
    that advance together) is never well below its usual value: a stamp
    taken from the frame before would be early by 100 ms, by 400 ms after
    the gaps, 300 ms more than the others. A busy machine can only make
    stamps late, and by up to 200 ms more for most of them than for one."""
    by_body = {}
    for _, us, body in frames:
        by_body.setdefault(body[:10], []).append(us // 1000)
    offsets = []
    for run in runs:
        for r in run:
            arrivals = by_body.get(r[:10], [])
            if len(arrivals) == 1:
                offsets.append(int(r[16:26]) - arrivals[0])
    usual = sorted(offsets)[len(offsets) // 2] if offsets else 0
    early = [o - usual for o in offsets if o < usual - 200]
    T.check(len(offsets) >= 20 and not early,
            f"streamed: each reading carries its own frame's time ({len(offsets)} readings, early by {early} ms)")


def entries(run, path):
    """Comment (typed, cancelled after typing, cancelled empty), New Station,
    Quick Line and New Line; returns the records they wrote."""
    start = len(read_records(path)[0])
    run.key("c")
    run.type_into("Enter Comment", "Pipe 3")
    run.key("c")
    run.type_into("Enter Comment", "dropped", "Escape")
    run.s.answer("Comment Warning", "Return")
    run.key("c")
    run.type_into("Enter Comment", "", "Escape")
    time.sleep(1.0)
    T.check(not run.s.windows("^Comment Warning$"), "entries: empty cancelled comment not warned")
    run.key("n")
    run.type_into("New Station", "25.5")
    run.key("q")
    run.s.answer("Quick Line", "Return")
    run.key("l")
    run.type_into("New Line", "")
    want = b"C" + b"S*" + b"LBAZOOOO*" * 2
    # A machine too busy to poll for half a second makes the program note
    # a connection break; that record may come anywhere.
    entered = lambda: [r for r in read_records(path)[0][start:] if not r.startswith(b"X$CONN BREAK")]
    wait_for(lambda: b"".join(r[:1] for r in entered()) == want, 15, 0.2, fail=False)
    tail = entered()
    tags = b"".join(r[:1] for r in tail)
    T.check(tags == want, f"entries: record order {tags!r}")
    if len(tail) < 21:
        return
    T.check(tail[0][:16] == b"CPipe 3" + b" " * 9, f"entries: comment record {tail[0][:16]!r}")
    T.check(tail[1][:12] == b"S      25.50", f"entries: station record {tail[1][:12]!r}")
    # Quick Line from line 0 (increment 1, Alternate, South, +1.000): line
    # 1.00 walking North from the current station with -1.000; New Line as
    # proposed: line 2.00, back South with +1.000.
    for at, name, direction in ((3, b"L1.00    ", b"AN           -1.000"),
                                (12, b"L2.00    ", b"AS            1.000")):
        T.check(tail[at][:9] == name and tail[at + 1][:12] == b"B      25.50"
                and tail[at + 2][:19] == direction,
                f"entries: new line {tail[at][:9]!r} {tail[at + 1][:12]!r} {tail[at + 2][:19]!r}")


def create_file(run, mode):
    """Polled: with A and B of this hour taken the proposal is C and A and B
    stay as they were. Streamed: typing the name of an existing file warns
    and asks again; the new proposal is taken."""
    now = datetime.datetime.now()
    date = f"{now.month:02d}{now.day:02d}{now.hour:02d}"
    taken = "AB" if mode == "polled" else "A"
    for letter in taken:
        run.s.put_file(f"My Documents/DATAQOR61MK2/{date}{letter}.P61", "keep " + letter)
    run.key("f")
    if mode == "polled":
        run.s.answer("Create Data File", "Return")
    else:
        run.type_into("Create Data File", date + "A")   # no extension: the dialog adds it
        run.s.answer("WARNING", "Return")
        run.s.answer("Create Data File", "Return")
    path = wait_for(lambda: [p for p in run.data_files() if "keep" not in open(p, errors="replace").read()],
                    10, what="the new data file")[0]
    kept = all(open(p).read().startswith("keep") for p in run.data_files() if p != path)
    T.check(os.path.basename(path) == f"{date}{'B' if mode != 'polled' else 'C'}.P61" and kept
            or datetime.datetime.now().hour != now.hour,
            f"{mode}: {os.path.basename(path)} made beside the taken {taken}, which stay as they were")
    return path


def survey(mode):
    with Session(f"recording-{mode}", screen="320x240") as s:
        run = Survey(s, sim_args=["--mode", mode, "--seed", "5"])
        run.launch()
        path = create_file(run, mode)
        for n in (1, 2):
            run.key("g")
            for _ in range(3):
                time.sleep(1.0)
                if mode == "stream":
                    run.sim.control("silent 400")
            # Enough readings however slowly a busy machine takes them.
            wait_for(lambda: len((recordings(read_records(path)[0])[0] or [[]])[-1]) >= 12, 60, 0.2, fail=False)
            run.key("space")              # pause key setting 0: any key
            run.await_text(path, b"$PAUSED", n)
        if mode == "polled":
            entries(run, path)
        run.exit_run()
        T.check(not run.exited(3) and not s.windows("^Logging$"),
                f"{mode}: after Exit the program stays at the main menu")
        frames = run.sim.frames()
        records, runs = check_file(mode, path, frames, mode == "polled")
        if mode == "stream":
            check_stream_ticks(runs, frames)


if __name__ == "__main__":
    sys.exit(T.run(lambda: survey("polled"), lambda: survey("stream")))
