#!/usr/bin/env python3
"""The main menu's "&Logging" launch when it must not (or cannot) start a
run: both inputs disabled, instrument and GPS on one port, an instrument
that does not answer; and a GPS-only launch whose GPS port is missing.
After every refused launch the main menu keys work again and "E&xit" ends
the program with exit code 0.
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qorharness import HarnessError, Session, wait_for  # noqa: E402
from survey_support import Simulator, config_lines  # noqa: E402

failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def settled(predicate, timeout):
    try:
        return wait_for(predicate, timeout)
    except HarnessError:
        return None


class LaunchRun:
    """One program start on a 320 x 240 device with the given settings
    (GPS disabled unless edited) and, optionally, the EM61-MK2 simulator
    on COM1."""

    def __init__(self, name, edits=None, sim_args=None):
        self.name = name
        self.session = Session(f"launch-{name}", screen="320x240")
        self.simdir = tempfile.mkdtemp(prefix=f"qor-launch-{name}-")
        self.sim = None
        self.edits = edits or {}
        self.sim_args = sim_args

    def __enter__(self):
        s = self.session.__enter__()
        s.put_file("KVTINI/Q61MK2CX.INI", config_lines(self.edits))
        com = {}
        if self.sim_args is not None:
            self.sim = Simulator(self.simdir, self.sim_args)
            com[1] = self.sim.slave
        self.app = s.start(com=com)
        self.main = s.wait_window("^QOR$")
        time.sleep(1.0)
        return self

    def __exit__(self, *exc):
        try:
            self.session.__exit__(*exc)
        finally:
            if self.sim:
                self.sim.stop()
            shutil.rmtree(self.simdir, ignore_errors=True)

    def stats(self):
        answer = self.sim.control("stats").split()
        return dict(w.split("=", 1) for w in answer[1:] if "=" in w)

    def dismiss(self, caption, timeout=30):
        """Return in the message box titled caption; True once it is gone."""
        s = self.session
        box = s.wait_window(f"^{caption}$", timeout)
        for _ in range(3):        # a box that is not yet active may miss the key
            s.key("Return", window=box)
            if settled(lambda: not s.windows(f"^{caption}$"), 3):
                return True
            box = (s.windows(f"^{caption}$") or [box])[0]
        return False

    def exit_from_menu(self):
        self.session.key("x", window=self.main)
        check(self.app.wait(30) == 0, f"{self.name}: the menu answers again: \"E&xit\" ends with 0")


def refused(name, edits, caption, with_sim=False):
    with LaunchRun(name, edits, [] if with_sim else None) as run:
        run.session.key("l", window=run.main)
        check(run.dismiss(caption), f"{name}: \"{caption}\" message shown and dismissed")
        if with_sim:
            time.sleep(0.5)
            probes = run.stats().get("probes_received")
            check(probes == "0", f"{name}: the instrument port was not opened ({probes} probes)")
        run.exit_from_menu()


def unanswered_probe_then_answer():
    """A silent instrument: the port is closed again and the next "&Logging"
    probes anew; once the instrument answers, the run starts."""
    name = "no-answer"
    with LaunchRun(name, sim_args=["--no-answer"]) as run:
        run.session.key("l", window=run.main)
        check(run.dismiss("Connection"), f"{name}: \"Connection\" message shown and dismissed")
        closed = settled(lambda: run.stats().get("line") == "open", 10)
        check(bool(closed), f"{name}: port closed after the unanswered probe")
        run.sim.control("answer")
        run.session.key("l", window=run.main)
        polled = settled(lambda: int(run.stats().get("requests", "0")) > 5, 20)
        check(bool(polled), f"{name}: the second \"&Logging\" launches and polls the instrument")
        check(not run.session.windows("^Connection$"), f"{name}: no connection message then")
        run.session.screenshot("logging-launched")


def gps_only_without_port():
    """Instrument disabled, GPS on a port that does not exist: the GPS opener
    says so and the run goes on without GPS."""
    name = "gps-only"
    with LaunchRun(name, {2: "0", 37: "1", 39: "17"}) as run:
        run.session.key("l", window=run.main)
        check(run.dismiss("Serial Port"), f"{name}: \"Serial Port\" message for the GPS port")
        time.sleep(0.5)
        check(not run.session.windows("^(WARNING|PROGRAM STOP)$"), f"{name}: no memory warning")
        check(run.app.running, f"{name}: the run goes on")
        run.session.screenshot("logging-gps-only")


def main():
    steps = [
        lambda: refused("both-disabled", {2: "0"}, "Not Possible to Get Anything"),
        lambda: refused("same-port", {37: "1", 39: "0"}, "Serial Port", with_sim=True),
        unanswered_probe_then_answer,
        gps_only_without_port,
    ]
    for step in steps:
        try:
            step()
        except HarnessError as e:
            check(False, str(e))
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
