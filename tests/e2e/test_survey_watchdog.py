#!/usr/bin/env python3
"""The instrument falls silent during a survey. Streamed: one reconnection,
then the run is given up; polled: the sixth miss gives up. "NO CONNECTION"
answered, the totals are written and the file keeps everything recorded.
"""
import sys
import time

from qorharness import Checks, Session, Survey, align, event_text, is_reading, read_records, wait_for

T = Checks("test_survey_watchdog")


def lost_during_survey(label, mode, breaks, record_first):
    with Session(f"watchdog-{mode}", screen="320x240") as s:
        run = Survey(s, sim_args=["--mode", mode, "--seed", "11"])
        run.launch()
        path = run.create_file()
        if record_first:
            run.key("g")
            wait_for(lambda: sum(map(is_reading, read_records(path)[0][16:])) >= 5, 30, 0.2, "readings")
        run.sim.control("silent-forever")
        started = time.time()
        s.answer("NO CONNECTION", "Return", timeout=60)
        print(f"{label}: given up after {time.time() - started:.1f} s", flush=True)
        T.check(run.exited(20) and run.app.proc.returncode == 0,
                f"{label}: the program ends with exit code 0 ({run.app.proc.returncode})")
        records, size = read_records(path)
        frames = run.sim.frames()
    T.check(size % 27 == 0, f"{label}: whole records ({size} bytes)")
    texts = [event_text(r) for r in records if event_text(r)]
    tail = ["$CONN BREAK"] * breaks + ["$CONN END  ", "$F      0  ", "$P      0  "]
    T.check(texts[-len(tail):] == tail, f"{label}: events end with {tail}: {texts}")
    if record_first:
        T.check(texts[0] == "$STARTED0  ", f"{label}: recording had started")
        readings = [r for r in records[16:] if is_reading(r)]
        # Every frame sent after the first reading is in the file.
        at = align(readings, frames)
        T.check(len(readings) >= 5 and at is not None and len(frames) - at[0] == len(readings),
                f"{label}: every frame sent before the loss recorded ({len(readings)} readings)")


def lost_before_file():
    """Without a data file the run ends and the main menu is back."""
    with Session("watchdog-idle", screen="320x240") as s:
        run = Survey(s, sim_args=["--mode", "stream", "--seed", "12"])
        run.launch()
        run.sim.control("silent-forever")
        s.answer("NO CONNECTION", "Return", timeout=60)
        T.check(not run.exited(3) and not run.data_files(), "no file: the program goes on, no file made")
        run.key("x")
        T.check(run.exited(15), "no file: the main menu is back and exits")


if __name__ == "__main__":
    sys.exit(T.run(lambda: lost_during_survey("streamed", "stream", 1, True),
                   lambda: lost_during_survey("polled", "polled", 5, False), lost_before_file))
