#!/usr/bin/env python3
"""Manual and Wheel logging modes and the Null command, driven by keys.

Manual: the instrument's trigger is pressed once a second while recording;
one reading is recorded per press (the first marked frame of each press).
Wheel: Go switches the instrument to wheel triggers; every wheel frame sent
while recording is recorded. Null before the file: the new offsets stand in
the header and the line block.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from survey_support import (QOR_EXE, Checks, SurveyRun, align, event_text,  # noqa: E402
                            is_reading, read_records, wait_for)

T = Checks("test_survey_modes")


def recorded(records):
    """Readings between "$STARTED" and "$PAUSED"."""
    out, on = [], False
    for r in records:
        e = event_text(r)
        if e is not None:
            on = e.startswith("$STARTED")
        elif on and is_reading(r):
            out.append(r)
    return out


MANUAL_PRESSES = 6
FRAMES_PER_PRESS = 3


def press_trigger(run):
    """One press of the trigger: the next FRAMES_PER_PRESS frames are
    marked. Returns once an unmarked frame has followed them; a polled
    instrument is asked for that frame only after the logger has handled
    the last marked one."""
    sent = len(run.sim.frames())
    run.sim.control(f"trigger {FRAMES_PER_PRESS}")
    # One unmarked frame may already be on its way, one follows the press.
    wait_for(lambda: len(run.sim.frames()) >= sent + FRAMES_PER_PRESS + 2, 10.0, 0.02)


def manual_with_null():
    run = SurveyRun("manual", {47: "2"}, ["--mode", "polled", "--seed", "7"])
    try:
        run.launch()
        run.key("u")                      # Null: 50 readings at 70 ms
        time.sleep(6.0)
        path = run.create_file()
        if not T.check(path is not None, "manual: data file created"):
            return
        run.key("g")
        # The presses start only once Go has taken effect. A press held
        # across Go has had its first marked frames handled in stand-by;
        # the logger then rightly records the first marked frame it handles
        # while recording, which is not the first of the press.
        T.check(wait_for(lambda: b"$STARTED" in open(path, "rb").read(), 10.0, 0.02),
                "manual: recording started")
        for _ in range(MANUAL_PRESSES):
            time.sleep(0.6)
            press_trigger(run)
        run.key("space")
        time.sleep(1.0)
        T.check(run.exit_run(), "manual: exit confirmed")
        records, _ = read_records(path)
        frames = run.sim.frames()
    finally:
        run.close()

    header = [float(r[1:10]) for r in records[3:7]]
    block = [(float(r[1:10]), float(r[11:20])) for r in records[11:15]]
    T.check(any(abs(v) > 0.5 for v in header), f"manual: null offsets in the header {header}")
    T.check([b[0] for b in block] == header and all(b[1] == 0.0 for b in block),
            f"manual: line block carries new and previous offsets {block}")
    T.check(records[0][17:18] == b"2", "manual: header names Manual mode")

    readings = recorded(records)
    presses = [i for i in range(1, len(frames))
               if frames[i][1][:1] == b"M" and frames[i - 1][1][:1] != b"M"]
    T.check(len(presses) == MANUAL_PRESSES,
            f"manual: the simulator marked {MANUAL_PRESSES} separate presses ({len(presses)})")
    T.check(len(readings) == len(presses),
            f"manual: one reading per press, none lost ({len(readings)} readings)")
    T.check(all(r[:1] == b"M" for r in readings), "manual: every reading is a trigger frame")
    at = align(readings, frames)
    T.check(at is not None, "manual: readings are frames the simulator sent")
    if at is not None:
        T.check(at == presses[:len(at)],
                f"manual: the first marked frame of each press is recorded (frames {at})")


def wheel():
    run = SurveyRun("wheel", {47: "1"}, ["--mode", "polled", "--seed", "9",
                                         "--wheel-rate", "5"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, "wheel: data file created"):
            return
        run.key("g")
        time.sleep(5.0)
        run.key("space")
        time.sleep(2.0)
        # Back in stand-by the instrument is polled again.
        before = len(run.sim.frames())
        time.sleep(2.0)
        T.check(len(run.sim.frames()) - before >= 15, "wheel: polling resumes after the pause")
        T.check(run.exit_run(), "wheel: exit confirmed")
        records, _ = read_records(path)
        frames = run.sim.frames()
    finally:
        run.close()
    texts = [event_text(r) for r in records if event_text(r)]
    T.check(texts[:2] == ["$STARTED0  ", "$PAUSED    "], f"wheel: events {texts}")
    readings = recorded(records)
    T.check(15 <= len(readings) <= 35, f"wheel: about 5 readings per second ({len(readings)})")
    at = align(readings, frames)
    T.check(at is not None, "wheel: readings are frames the simulator sent")
    if readings and at is not None:
        gaps = [(frames[a][0], frames[b][0]) for a, b in zip(at, at[1:]) if b != a + 1]
        T.check(not gaps, f"wheel: no wheel frame missing while recording (gaps {gaps})")


def soft_marker():
    """Soft marker on digits, pause on any other key: a held digit marks
    the readings and does not pause."""
    run = SurveyRun("marker", {76: "1", 8: "0"}, ["--mode", "polled", "--seed", "15"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, "marker: data file created"):
            return
        run.key("g")
        time.sleep(1.5)
        run.xdotool("windowfocus", "--sync", run.main)
        run.xdotool("keydown", "5")
        time.sleep(0.8)
        run.xdotool("keyup", "5")
        time.sleep(1.5)
        run.key("a")                      # any other key pauses
        time.sleep(1.0)
        T.check(run.exit_run(), "marker: exit confirmed")
        records, _ = read_records(path)
    finally:
        run.close()
    texts = [event_text(r) for r in records if event_text(r)]
    T.check(texts[:2] == ["$STARTED0  ", "$PAUSED    "], f"marker: digit did not pause {texts}")
    letters = b"".join(r[:1] for r in recorded(records))
    marked = letters.strip(b"T")
    T.check(len(marked) >= 2 and set(marked) == {ord("M")},
            f"marker: one run of marked readings while the digit was held {letters!r}")


def main():
    if not os.path.exists(QOR_EXE):
        print(f"SKIP: {QOR_EXE} not built")
        return 0
    manual_with_null()
    wheel()
    soft_marker()
    return T.summary()


if __name__ == "__main__":
    sys.exit(main())
