#!/usr/bin/env python3
"""Starting and leaving a run: launches that must not start a run leave the
main menu usable; Exit asks "Exit Logging?" only with a data file; a
GPS-only run's data file is a ".GXY".
"""
import re
import sys
import time

from qorharness import Checks, Session, Survey, event_text, read_records, wait_for

T = Checks("test_survey_exit")


def menu_exits(run, label):
    run.key("x")
    T.check(run.exited(20) and run.app.proc.returncode == 0,
            f"{label}: the main menu answers again: \"E&xit\" ends with 0")


def refused(label, config, caption):
    with Session(f"exit-{label}", screen="320x240") as s:
        run = Survey(s, config)
        run.key("l")
        s.answer(caption, "Return")
        time.sleep(0.5)
        probes = run.sim.stats().get("probes_received")
        T.check(probes == "0", f"{label}: \"{caption}\", the instrument not probed ({probes})")
        menu_exits(run, label)


def unanswered_probe_then_answer():
    """A silent instrument: the port is closed again and the next "&Logging"
    probes anew; once the instrument answers, the run starts."""
    with Session("exit-no-answer", screen="320x240") as s:
        run = Survey(s, sim_args=["--no-answer"])
        run.key("l")
        s.answer("Connection", "Return")
        T.check(wait_for(lambda: run.sim.stats().get("line") == "open", 10, fail=False),
                "no answer: port closed after the unanswered probe")
        run.sim.control("answer")
        run.key("l")
        T.check(wait_for(lambda: int(run.sim.stats().get("requests", "0")) > 5, 20, fail=False),
                "no answer: the second \"&Logging\" launches and polls the instrument")


def gps_only_without_port():
    """Instrument disabled, GPS on a port that does not exist: the GPS opener
    says so and the run goes on without GPS."""
    with Session("exit-gps-only", screen="320x240") as s:
        run = Survey(s, {2: "0", 37: "1", 39: "17"})
        run.key("l")
        s.answer("Serial Port", "Return")
        time.sleep(0.5)
        T.check(not s.windows("^(WARNING|PROGRAM STOP)$") and run.app.proc.poll() is None,
                "gps only: no memory warning, the run goes on")
        run.open_file_dialog()
        s.answer("Create Data File", "Return")
        files = wait_for(lambda: s.find_files(r"\.GXY$"), 10, fail=False)
        h3 = read_records(files[0])[0][2] if files else b""
        T.check(len(files) == 1 and re.search(r"/\d{6}A\.GXY$", files[0]) and h3[20:21] == b"0",
                f"gps only: a .GXY data file, no instrument in its header ({files}, {h3!r})")


def exit_without_file():
    with Session("exit-no-file", screen="320x240") as s:
        run = Survey(s, sim_args=["--mode", "polled"])
        run.key("l")
        wait_for(lambda: run.sim.stats().get("probes") == "1", 20, what="the probe")
        # "&File" stays disabled while the instrument normalises.
        run.key("f")
        time.sleep(2.0)
        T.check(not s.windows("^Create Data File$"), "no file: no file before normalisation")
        run.key("x")
        time.sleep(2.0)
        T.check(not s.windows("^Confirm Exit$"), "no file: Exit asks nothing")
        menu_exits(run, "no file")


def exit_with_file():
    with Session("exit-file", screen="320x240") as s:
        run = Survey(s, sim_args=["--mode", "polled"])
        run.launch()
        run.open_file_dialog()
        s.answer("Create Data File", "Escape")
        T.check(not run.data_files(), "stand-by: a cancelled Create Data File makes no file")
        path = run.create_file()
        run.exit_run(answer="n")
        T.check(not run.exited(2), "stand-by: No keeps the program")
        # The run goes on: Go and Pause still work on the same file.
        run.key("g")
        run.await_text(path, b"$STARTED")
        run.key("space")
        run.await_text(path, b"$PAUSED")
        run.exit_run()
        events = lambda: [event_text(r) for r in read_records(path)[0] if event_text(r)]
        texts = wait_for(lambda: len(events()) >= 4 and events(), 20, 0.2, fail=False) or events()
        T.check(texts == ["$STARTED0  ", "$PAUSED    ", "$F      0  ", "$P      0  "],
                f"stand-by: events after No and Yes {texts}")
        menu_exits(run, "stand-by")


if __name__ == "__main__":
    sys.exit(T.run(lambda: refused("both-disabled", {2: "0"}, "Not Possible to Get Anything"),
                   lambda: refused("same-port", {37: "1", 39: "0"}, "Serial Port"),
                   unanswered_probe_then_answer, gps_only_without_port, exit_without_file, exit_with_file))
