#!/usr/bin/env python3
"""Leaving a run and refused launches, driven by keys.

Exit without a data file asks nothing and the main menu works again; with a
file it asks "Exit Logging?", No changes nothing, Yes writes the totals.
Instrument and GPS on the same port, or both disabled, refuse the launch.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from survey_support import QOR_EXE, Checks, SurveyRun, event_text, read_records  # noqa: E402

T = Checks("test_survey_exit")


def exit_without_file():
    run = SurveyRun("exit0", {}, ["--mode", "polled"])
    try:
        run.launch(normalised=False)
        time.sleep(1.0)
        # "&File" stays disabled while the instrument normalises.
        run.key("f")
        time.sleep(2.0)
        T.check(run.windows("^Create Data File$") == [], "state 0: no file before normalisation")
        run.key("x")
        time.sleep(2.0)
        T.check(run.windows("^Confirm Exit$") == [], "state 0: Exit asks nothing")
        # The main menu has its keys back: 'x' there ends the program.
        run.key("x")
        T.check(run.exited(15), "state 0: back at the main menu, which exits")
    finally:
        run.close()


def exit_with_file():
    run = SurveyRun("exit1", {}, ["--mode", "polled"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, "stand-by: data file created"):
            return
        run.key("x")
        T.check(run.answer("Confirm Exit", "n"), "stand-by: Exit asks \"Exit Logging?\"")
        time.sleep(1.0)
        T.check(not run.exited(1), "stand-by: No keeps the program")
        # The run goes on: Go and Pause still work on the same file.
        run.key("g")
        time.sleep(2.0)
        run.key("space")
        time.sleep(1.0)
        T.check(run.exit_run(), "stand-by: Exit asked again and confirmed")
        time.sleep(1.0)
        records, _ = read_records(path)
        texts = [event_text(r) for r in records if event_text(r)]
        T.check(texts == ["$STARTED0  ", "$PAUSED    ", "$F      0  ", "$P      0  "],
                f"stand-by: events after No and Yes {texts}")
        run.key("x")
        T.check(run.exited(15), "stand-by: main menu exits the program")
    finally:
        run.close()


def refused(label, edits, caption):
    run = SurveyRun(label, edits, None)
    try:
        run.key("l")
        T.check(run.answer(caption, "Return", timeout=15), f"{label}: \"{caption}\" shown")
        time.sleep(1.0)
        run.key("x")
        T.check(run.exited(15), f"{label}: the main menu stays usable")
    finally:
        run.close()


def main():
    if not os.path.exists(QOR_EXE):
        print(f"SKIP: {QOR_EXE} not built")
        return 0
    exit_without_file()
    exit_with_file()
    refused("same-port", {37: "1", 6: "0", 39: "0"}, "Serial Port")
    refused("both-disabled", {2: "0", 37: "0"}, "Not Possible to Get Anything")
    return T.summary()


if __name__ == "__main__":
    sys.exit(main())
