"""Shared pieces of the survey end-to-end tests: one run of the real
program under Wine in a private X display, with the EM61-MK2 simulator on
COM1, driven by keystrokes; and a reader of the 27-byte data file records.
"""
import glob
import os
import shutil
import socket
import subprocess
import tempfile
import time

from qorharness import HarnessError, Xvfb, init_wineprefix, wine_env

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
QOR_EXE = os.environ.get("QOR_EXE") or os.path.join(REPO, "build", "qor.exe")
SIM = os.path.join(REPO, "tools", "bin", "em61sim")
FIXTURE = os.path.join(REPO, "tests", "e2e", "fixtures", "default_config.ini")
RECORD = 27


class Checks:
    def __init__(self, name):
        self.name = name
        self.failed = []
        self.count = 0

    def check(self, cond, what):
        self.count += 1
        print(("ok   " if cond else "FAIL ") + what, flush=True)
        if not cond:
            self.failed.append(what)
        return cond

    def summary(self):
        passed = self.count - len(self.failed)
        print(f"{self.name}: {passed} passed, {len(self.failed)} failed", flush=True)
        return 0 if not self.failed else 1


def wait_for(predicate, timeout=30.0, step=0.2):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def config_lines(edits):
    """The default configuration with GPS disabled and the given line
    edits ({line number: text})."""
    with open(FIXTURE, "rb") as f:
        lines = f.read().split(b"\r\n")
    lines[36] = b"0"                      # line 37: GPS input disabled
    for number, text in edits.items():
        lines[number - 1] = text.encode() if isinstance(text, str) else text
    return b"\r\n".join(lines)


class Simulator:
    def __init__(self, workdir, args):
        self.sock_path = os.path.join(workdir, "sim.sock")
        self.frame_log = os.path.join(workdir, "frames.log")
        cmd = [SIM, "--control", self.sock_path, "--link", os.path.join(workdir, "em61"),
               "--frame-log", self.frame_log, *args]
        self.proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
        first = self.proc.stdout.readline().split()
        if len(first) != 2 or first[0] != "PTY":
            raise RuntimeError("em61sim did not report its terminal")
        self.slave = first[1]
        self.conn = None

    def control(self, command):
        if self.conn is None:
            for _ in range(100):
                try:
                    self.conn = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                    self.conn.connect(self.sock_path)
                    break
                except OSError:
                    self.conn = None
                    time.sleep(0.02)
            self.conn_file = self.conn.makefile("r")
        self.conn.sendall((command + "\n").encode())
        return self.conn_file.readline().strip()

    def frames(self):
        """Frames written so far: list of (seq, bytes)."""
        out = []
        if not os.path.exists(self.frame_log):
            return out
        with open(self.frame_log) as f:
            for line in f:
                parts = line.split()
                if len(parts) < 3:
                    continue
                out.append((int(parts[0]), bytes.fromhex("".join(parts[2:]))))
        return out

    def stop(self):
        if self.conn:
            self.conn.close()
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class SurveyRun:
    """The program in its own device folder, prefix and display."""

    def __init__(self, name, config_edits=None, sim_args=None, size=(320, 240)):
        self.name = name
        self.workdir = tempfile.mkdtemp(prefix=f"qor-survey-{name}-")
        base = os.environ.get("QOR_WINEPREFIX") or os.path.join(REPO, ".wineprefix")
        self.env = wine_env(base.rstrip("/") + "-survey")
        init_wineprefix(self.env["WINEPREFIX"])
        self.wineserver = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env)
        self.xvfb = None
        self.qor = None
        self.sim = None
        try:
            self.xvfb = Xvfb(f"{size[0]}x{size[1]}").start()
        except HarnessError:
            self.close()
            raise
        self.env["DISPLAY"] = self.xvfb.display
        os.makedirs(os.path.join(self.workdir, "KVTINI"))
        with open(os.path.join(self.workdir, "KVTINI", "Q61MK2CX.INI"), "wb") as f:
            f.write(config_lines(config_edits or {}))
        if sim_args is not None:
            self.sim = Simulator(self.workdir, sim_args)
        # QOR_SURVEY_LOG names a file for Wine's output (for debugging).
        log_path = os.environ.get("QOR_SURVEY_LOG")
        self.log = open(log_path, "wb") if log_path else subprocess.DEVNULL
        self.qor = subprocess.Popen(["wine", QOR_EXE], cwd=self.workdir,
                                    env=dict(self.env, QOR_UPTIME_MS="3600000"),
                                    stdout=self.log, stderr=self.log)
        main = wait_for(lambda: self.windows("^QOR$"))
        if not main:
            raise RuntimeError("main window not shown")
        self.main = main[0]
        # Wine makes its own comN links at start-up; ours goes in afterwards.
        if self.sim:
            link = os.path.join(self.env["WINEPREFIX"], "dosdevices", "com1")
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(self.sim.slave, link)
        time.sleep(1.0)

    def close(self):
        if self.qor and self.qor.poll() is None:
            self.qor.kill()
            self.qor.wait()
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        self.wineserver.wait()
        if self.sim:
            self.sim.stop()
        if self.xvfb:
            self.xvfb.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        return r.stdout if r.returncode == 0 else None

    def windows(self, name_regex):
        out = self.xdotool("search", "--onlyvisible", "--name", name_regex)
        return out.split() if out else []

    def key(self, key, window=None):
        """A key pressed on the program's top window (or the given one)."""
        self.xdotool("windowfocus", "--sync", window or self.main)
        self.xdotool("key", key)
        time.sleep(0.3)

    def answer(self, caption, key, timeout=20):
        """Waits for a window with this caption and presses key in it until
        it closes (a key sent while it is still being set up is lost)."""
        found = wait_for(lambda: self.windows(f"^{caption}$"), timeout)
        if not found:
            return False
        time.sleep(0.5)
        for _ in range(5):
            self.key(key, found[0])
            if wait_for(lambda: found[0] not in self.windows(f"^{caption}$"), 2.0):
                return True
        return False

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env)

    def exited(self, timeout=20):
        try:
            self.qor.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    # -- the survey as an operator walks it --------------------------------

    def launch(self, normalised=True):
        """'l' on the main menu; waits until normalisation is done."""
        self.key("l")
        if normalised and self.sim:
            # Normalisation takes the first 98 readings; the file commands
            # come on above 90 per cent.
            wait_for(lambda: len(self.sim.frames()) >= 105, 60.0, 0.5)
            time.sleep(1.0)

    def create_file(self):
        """'f', then Return in "Create Data File"; returns the file's path."""
        self.key("f")
        if not self.answer("Create Data File", "Return"):
            return None
        found = wait_for(lambda: self.data_files(), 10)
        time.sleep(0.5)
        return found[0] if found else None

    def data_files(self):
        return glob.glob(os.path.join(self.workdir, "**", "*.P61"), recursive=True)

    def exit_run(self, confirm=True):
        self.key("x")
        if confirm:
            return self.answer("Confirm Exit", "Return")
        return True


def read_records(path):
    with open(path, "rb") as f:
        data = f.read()
    return [data[i:i + RECORD] for i in range(0, len(data), RECORD)], len(data)


def is_reading(rec):
    return rec[:1] in (b"T", b"D", b"E", b"F", b"M", b"N", b"P", b"Q", b"J", b"K", b"j", b"k")


def event_text(rec):
    return rec[1:12].decode("ascii", "replace") if rec[:1] == b"X" else None


def align(readings, frames):
    """Positions of the readings in the simulator's frame list, matched on
    frame bytes 0-9 in order. Equal frames can occur, so every candidate
    for the first reading is tried and the tightest match is kept.
    Returns None when the readings are not all found in order."""
    if not readings:
        return []
    bodies = [f[:10] for _, f in frames]
    best = None
    for start in (i for i, b in enumerate(bodies) if b == readings[0][:10]):
        at = [start]
        for rec in readings[1:]:
            j = at[-1] + 1
            while j < len(bodies) and bodies[j] != rec[:10]:
                j += 1
            if j == len(bodies):
                at = None
                break
            at.append(j)
        if at is not None and (best is None or at[-1] - at[0] < best[-1] - best[0]):
            best = at
    return best
