#!/usr/bin/env python3
"""The connection watchdog: the instrument falls silent during a survey.

Streamed: one reconnection, then the run is given up. Polled: five
reconnections, the sixth miss gives up. In both, with a data file open,
"NO CONNECTION" is answered with Return and the program ends after writing
the totals; the file keeps everything recorded before the loss.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from survey_support import (QOR_EXE, Checks, SurveyRun, align, event_text,  # noqa: E402
                            is_reading, read_records)

T = Checks("test_survey_watchdog")


def lost_during_survey(label, mode, breaks, record_first):
    run = SurveyRun(f"watchdog-{mode}", {}, ["--mode", mode, "--seed", "11"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, f"{label}: data file created"):
            return
        if record_first:
            run.key("g")
            time.sleep(2.0)
        sent_before_loss = len(run.sim.frames())
        run.sim.control("silent-forever")
        started = time.time()
        T.check(run.answer("NO CONNECTION", "Return", timeout=60),
                f"{label}: \"NO CONNECTION\" shown")
        print(f"{label}: given up after {time.time() - started:.1f} s", flush=True)
        T.check(run.exited(20), f"{label}: the program ends")
        T.check(run.qor.returncode == 0, f"{label}: exit code 0 ({run.qor.returncode})")
        records, size = read_records(path)
        frames = run.sim.frames()
    finally:
        run.close()
    T.check(size % 27 == 0, f"{label}: whole records ({size} bytes)")
    texts = [event_text(r) for r in records if event_text(r)]
    tail = ["$CONN BREAK"] * breaks + ["$CONN END  ", "$F      0  ", "$P      0  "]
    T.check(texts[-len(tail):] == tail, f"{label}: events end with {tail}: {texts}")
    if record_first:
        T.check(texts[0] == "$STARTED0  ", f"{label}: recording had started")
        readings = [r for r in records[16:] if is_reading(r)]  # after header and line block
        T.check(len(readings) >= 5, f"{label}: readings before the loss ({len(readings)})")
        # Every frame sent after the first reading is in the file.
        at = align(readings, frames)
        T.check(at is not None, f"{label}: readings are frames the simulator sent, in order")
        if at is not None:
            T.check(len(frames) - at[0] == len(readings),
                    f"{label}: no frame missing ({len(frames) - at[0]} sent, "
                    f"{len(readings)} recorded, {sent_before_loss} sent before silence)")


def lost_before_file():
    """Without a data file the run ends and the main menu is back."""
    run = SurveyRun("watchdog-idle", {}, ["--mode", "stream", "--seed", "12"])
    try:
        run.launch()
        run.sim.control("silent-forever")
        T.check(run.answer("NO CONNECTION", "Return", timeout=60),
                "no file: \"NO CONNECTION\" shown")
        time.sleep(1.0)
        T.check(not run.exited(2), "no file: the program goes on")
        T.check(run.data_files() == [], "no file: none created")
        run.key("x")
        T.check(run.exited(15), "no file: the main menu is back and exits")
    finally:
        run.close()


def main():
    if not os.path.exists(QOR_EXE):
        print(f"SKIP: {QOR_EXE} not built")
        return 0
    lost_during_survey("streamed", "stream", 1, True)
    lost_during_survey("polled", "polled", 5, False)
    lost_before_file()
    return T.summary()


if __name__ == "__main__":
    sys.exit(main())
