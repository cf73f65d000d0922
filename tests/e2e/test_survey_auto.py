#!/usr/bin/env python3
"""A survey in Auto mode, polled and streamed, driven by keystrokes: launch,
normalisation, data file, Go, Pause, Go again, Pause, Exit. The data file is
checked record by record against the frames the simulator sent: no frame
sent while recording is missing, and the records stand in order.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from survey_support import (QOR_EXE, Checks, SurveyRun, align, event_text,  # noqa: E402
                            is_reading, read_records)

T = Checks("test_survey_auto")


def check_readings_follow_frames(label, readings, frames):
    """A run of readings between a start and a pause is an unbroken
    stretch of the frames the simulator sent."""
    if not readings:
        return
    at = align(readings, frames)
    T.check(at is not None, f"{label}: readings are frames the simulator sent, in order")
    if at is not None:
        missing = (at[-1] - at[0] + 1) - len(at)
        T.check(missing == 0, f"{label}: no frame missing between readings ({missing})")


def check_file(label, path, frames, polled):
    records, size = read_records(path)
    T.check(size % 27 == 0, f"{label}: file of whole 27-byte records ({size} bytes)")
    T.check(all(r[26:27] == b"\n" for r in records), f"{label}: every record ends in a line feed")
    tags = b"".join(r[:1] for r in records[:15])
    T.check(tags == b"QHGOOOOLBAZOOOO", f"{label}: header and line block ({tags!r})")
    T.check(records[2][15:16] == (b"1" if polled else b"0"), f"{label}: polled flag in header")
    T.check(records[15][:1] == b"*", f"{label}: time record after the line block")
    events = [(i, event_text(r)) for i, r in enumerate(records) if event_text(r)]
    texts = [e for _, e in events]
    T.check(texts[:4] == ["$STARTED0  ", "$PAUSED    ", "$STARTED0  ", "$PAUSED    "],
            f"{label}: start/pause events in order {texts}")
    T.check(texts[-2:] == ["$F      0  ", "$P      0  "], f"{label}: totals last {texts[-2:]}")
    # Readings only between a start and the next pause.
    recording = False
    stray = 0
    runs = []
    for r in records[16:]:
        e = event_text(r)
        if e is not None:
            recording = e.startswith("$STARTED")
            if recording:
                runs.append([])
        elif is_reading(r):
            if recording:
                runs[-1].append(r)
            else:
                stray += 1
    T.check(stray == 0, f"{label}: no reading outside recording")
    T.check(len(runs) == 2 and all(len(run) >= 10 for run in runs),
            f"{label}: readings in both recordings {[len(run) for run in runs]}")
    for n, run in enumerate(runs):
        check_readings_follow_frames(f"{label} recording {n + 1}", run, frames)
        ticks = [int(r[16:26]) for r in run]
        T.check(all(b >= a for a, b in zip(ticks, ticks[1:])),
                f"{label} recording {n + 1}: ticks do not go backwards")
    if polled and runs and len(runs[0]) > 3:
        # Auto polled: one request per reading interval (0.2 s).
        ticks = [int(r[16:26]) for r in runs[0]]
        gaps = [b - a for a, b in zip(ticks, ticks[1:])]
        mean = sum(gaps) / len(gaps)
        T.check(150 <= mean <= 300, f"{label}: readings about 200 ms apart ({mean:.0f})")


def survey(label, mode):
    run = SurveyRun(f"auto-{mode}", {}, ["--mode", mode, "--seed", "5"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, f"{label}: data file created"):
            return
        for _ in range(2):
            run.key("g")
            time.sleep(3.0)
            run.key("space")          # pause key setting 0: any key
            time.sleep(1.0)
        T.check(run.exit_run(), f"{label}: Exit asks \"Exit Logging?\" with a file open")
        T.check(not run.exited(3), f"{label}: the program stays after Exit")
        T.check(run.windows("^Logging$") == [], f"{label}: logging window hidden")
        check_file(label, path, run.sim.frames(), mode == "polled")
    finally:
        run.close()


def main():
    if not os.path.exists(QOR_EXE):
        print(f"SKIP: {QOR_EXE} not built")
        return 0
    survey("polled", "polled")
    survey("streamed", "stream")
    return T.summary()


if __name__ == "__main__":
    sys.exit(main())
