#!/usr/bin/env python3
"""Manual and Wheel logging modes, Null and the soft marker, driven by keys:
Null pressed while normalising, one reading per trigger, every wheel frame
recorded, an instrument that stays in Wheel mode at Pause, a held digit.
"""
import sys
import time

from qorharness import (Checks, Session, Survey, align, event_text, read_records, recordings,
                        wait_for)

T = Checks("test_survey_modes")
MANUAL_PRESSES = 6
FRAMES_PER_PRESS = 3


def events(path):
    return [e for e in (event_text(r) for r in read_records(path)[0]) if e and e != "$CONN BREAK"]


def press_trigger(run):
    """One press of the trigger: the next FRAMES_PER_PRESS frames are marked.
    Returns once an unmarked frame has followed them; a polled instrument is
    asked for that frame only after the logger has handled the last marked one."""
    sent = len(run.sim.frames())
    run.sim.control(f"trigger {FRAMES_PER_PRESS}")
    # One unmarked frame may already be on its way, one follows the press.
    wait_for(lambda: len(run.sim.frames()) >= sent + FRAMES_PER_PRESS + 2, 10, 0.02)


def manual_with_null():
    with Session("modes-manual", screen="320x240") as s:
        run = Survey(s, {47: "2"}, ["--mode", "polled", "--seed", "7"])
        run.key("l")
        # "N&ull" lights at 91 %: press it then, while normalisation runs on.
        wait_for(lambda: len(run.sim.frames()) >= 92, 60, 0.02)
        run.key("u")
        # Polled: a frame is asked for once the one before has been handled,
        # so 98 normalising and 51 nulling readings are done when 150 are sent.
        wait_for(lambda: len(run.sim.frames()) >= 150, 120, 0.1, "normalisation and nulling")
        path = run.create_file()
        run.key("g")
        # A press held across Go has had its first marked frames handled in
        # stand-by; the presses start once Go has taken effect.
        wait_for(lambda: b"$STARTED" in open(path, "rb").read(), 10, 0.02)
        for _ in range(MANUAL_PRESSES):
            time.sleep(0.6)
            press_trigger(run)
        run.key("space")
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        records, frames = read_records(path)[0], run.sim.frames()
    header = [float(r[1:10]) for r in records[3:7]]
    block = [(float(r[1:10]), float(r[11:20])) for r in records[11:15]]
    T.check(any(abs(v) > 0.5 for v in header), f"manual: null offsets in the header {header}")
    T.check([b[0] for b in block] == header and all(b[1] == 0.0 for b in block),
            f"manual: line block carries new and previous offsets {block}")
    T.check(records[0][17:18] == b"2", "manual: header names Manual mode")
    readings = recordings(records)[0][0]
    # Each reading's average reference (bytes 10-12) is that of the steady
    # instrument (its raw reference in bytes 13-14): a Null taken before the
    # average existed would have left it unset.
    off = [abs((r[10] << 8 | r[11]) - (r[13] << 8 | r[14])) for r in readings]
    T.check(bool(off) and max(off) < 50, f"manual: normalised on the instrument's reference {off}")
    presses = [i for i in range(1, len(frames))
               if frames[i][2][:1] == b"M" and frames[i - 1][2][:1] != b"M"]
    T.check(len(presses) == MANUAL_PRESSES == len(readings),
            f"manual: one reading per press ({len(readings)} readings, {len(presses)} presses)")
    T.check(all(r[:1] == b"M" for r in readings), "manual: every reading is a trigger frame")
    T.check(align(readings, frames) == presses[:len(readings)],
            "manual: the first marked frame of each press is recorded")


def go(run, path, times):
    """Go in Wheel mode, until the switch (a 'W' probe) is answered and recording."""
    probes = int(run.sim.stats().get("probes", "0"))
    run.key("g")
    wait_for(lambda: int(run.sim.stats().get("probes", "0")) > probes, 20, 0.1, "the switch to Wheel mode")
    run.await_text(path, b"$STARTED", times)


def wheel():
    with Session("modes-wheel", screen="320x240") as s:
        run = Survey(s, {47: "1"}, ["--mode", "polled", "--seed", "9", "--wheel-rate", "5"])
        run.launch()
        path = run.create_file()
        go(run, path, 1)
        wait_for(lambda: len((recordings(read_records(path)[0])[0] or [[]])[0]) >= 10, 30, 0.2, fail=False)
        run.key("space")
        run.await_text(path, b"$PAUSED")
        # Back in stand-by the instrument is polled again.
        before = len(run.sim.frames())
        T.check(wait_for(lambda: len(run.sim.frames()) - before >= 15, 30, fail=False),
                "wheel: polling resumes after the pause")
        records, frames = read_records(path)[0], run.sim.frames()
        readings = recordings(records)[0][0]
        T.check(len(readings) >= 5, f"wheel: readings while the wheel turned ({len(readings)})")
        at = align(readings, frames) or []
        # A polled reading in flight at Go may be recorded; the frames of the
        # switch's settling second are purged. Count from the first wheel frame.
        at = at[1:] if len(at) > 1 and at[1] - at[0] > 1 else at
        gaps = [(frames[a][0], frames[b][0]) for a, b in zip(at, at[1:]) if b != a + 1]
        T.check(bool(at) and not gaps, f"wheel: no wheel frame missing while recording (gaps {gaps})")

        # The instrument falls silent in Wheel mode: the probe at the next
        # Pause goes unanswered. (Ignoring probes while still sending frames
        # would not do: a frame's bytes may hold the "O", "K" of an answer.)
        go(run, path, 2)
        run.sim.control("silent-forever")
        run.key("space")
        s.answer("Confirm Exit", "n", timeout=40)
        run.sim.control("resume")
        for _ in range(3):
            run.key("space")              # stand-by: no pause key any more
        wait_for(lambda: events(path) == ["$STARTED0  ", "$PAUSED    "] * 2, 20, fail=False)
        T.check(events(path) == ["$STARTED0  ", "$PAUSED    "] * 2,
                f"wheel: No kept one consistent pause {events(path)}")
        requests = int(run.sim.stats().get("requests", "0"))
        T.check(wait_for(lambda: int(run.sim.stats().get("requests", "0")) > requests, 30, fail=False),
                "wheel: after No the instrument is polled in stand-by")
        go(run, path, 3)
        run.key("space")
        wait_for(lambda: events(path)[-1:] == ["$PAUSED    "] and len(events(path)) == 6, 20, fail=False)
        run.exit_run()
        T.check(events(path) == ["$STARTED0  ", "$PAUSED    "] * 3 + ["$F      0  ", "$P      0  "],
                f"wheel: Go, Pause and Exit work on after No {events(path)}")


def soft_marker():
    with Session("modes-marker", screen="320x240") as s:
        run = Survey(s, {76: "1", 8: "0"}, ["--mode", "polled", "--seed", "15"])
        run.launch()
        path = run.create_file()
        # A busy machine may stall polling for seconds: wait for readings.
        so_far = lambda: b"".join(r[:1] for r in (recordings(read_records(path)[0])[0] or [[]])[-1])
        run.key("g")
        wait_for(lambda: len(so_far()) >= 3, 60, 0.2, fail=False)
        run.hold("5", 60, until=lambda: so_far().count(b"M") >= 2)
        wait_for(lambda: so_far().endswith(b"MT"), 60, 0.2, fail=False)
        run.key("a")                      # any other key pauses
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        T.check(events(path)[:2] == ["$STARTED0  ", "$PAUSED    "], "marker: the digit did not pause")
        letters = b"".join(r[:1] for r in recordings(read_records(path)[0])[0][0])
        marked = letters.strip(b"T")
        T.check(len(marked) >= 2 and set(marked) == {ord("M")},
                f"marker: one run of marked readings while the digit was held {letters!r}")


if __name__ == "__main__":
    sys.exit(T.run(manual_with_null, wheel, soft_marker))
