"""The one harness of the end-to-end tests: the real program under Wine on a
private X server, driven by keystrokes, watched through screenshots, talking
to the simulated EM61-MK2 over a pseudo-terminal; and the readers of what it
leaves behind (data file records, configuration lines).

    T = Checks("test_example")          # then, in a case run by T.run(case):
    with Session("example", screen="320x240") as s:
        run = Survey(s, config={47: "2"}, sim_args=["--mode", "polled"])
        run.launch(); path = run.create_file(); run.key("g"); run.exit_run()

Everything started here is stopped when the session ends, also on failure
or when CTest ends the test (SIGTERM): the program, the simulators, the Wine
server of the session's prefix (wineserver -k), the X server.

Standard library only. Environment:
  QOR_EXE             program (default build/qor.exe)
  QOR_TEST_OUT        screenshots and logs (default build/test-output)
  QOR_E2E_WINEPREFIX  Wine prefix of the session (default: QOR_WINEPREFIX or
                      .wineprefix, + "-e2e", + "-" and QOR_E2E_LANE, which
                      CTest sets so that each lane has a prefix of its own)
  QOR_WINEDEBUG       Wine debug channels (default -all)
  QOR_KEEP_ROOT       set to keep each test's root directory
"""

import atexit
import fcntl
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import tempfile
import termios
import time
import tty
from functools import reduce

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOLS = os.path.join(REPO, "tools")
QOR_EXE = os.environ.get("QOR_EXE") or os.path.join(REPO, "build", "qor.exe")
OUT_DIR = os.environ.get("QOR_TEST_OUT") or os.path.join(REPO, "build", "test-output")
EM61SIM = os.path.join(TOOLS, "bin", "em61sim")
GPSSIM = os.path.join(TOOLS, "bin", "gpssim")
# The configuration file a first start writes: 79 lines, CR LF after each.
DEFAULT_CONFIG = ("Ver3.30 1 0 0 0 0 1 0 1 1 1 1 1 1 1 1 1 2 3 4 1 2 4 3 1 16711680 65280 255 16711935 "
                  "16776960 65535 32896 8421376 0 0.000000 2000.000000 1 1 1 1 1 0 0 0 0.000000 10.000000 0 "
                  "1.000000 0.200000 2.000000 0.200000 0 1.000000 0 1 0.000000 0 5 4 3 16711680 255 65280 1 "
                  "0 0 1.500000 10 1 1 1 5 4.000000 0.000000 0.000000 0 1 0 0").encode().replace(b" ", b"\r\n") + b"\r\n"
RECORD = 27
PANE_BORDER = (158, 158, 158)


class HarnessError(AssertionError):
    """A test step failed; the message says what was expected and what was seen."""


class Checks:
    """Named checks of one test program; summary() prints the closing line
    "name: N passed, N failed" and returns the exit code."""

    def __init__(self, name):
        self.name, self.failed, self.count = name, [], 0

    def check(self, cond, what):
        self.count += 1
        print(("ok   " if cond else "FAIL ") + what, flush=True)
        if not cond:
            self.failed.append(what)
        return cond

    def summary(self):
        print(f"{self.name}: {self.count - len(self.failed)} passed, {len(self.failed)} failed", flush=True)
        return 0 if not self.failed else 1

    def run(self, *cases):
        """Runs each case; a step that fails with HarnessError fails that
        case and the next one runs. Returns the exit code."""
        if not os.path.exists(QOR_EXE):
            print(f"SKIP: {QOR_EXE} not built")
            return 0
        for case in cases:
            try:
                case()
            except HarnessError as e:
                self.check(False, f"{case.__name__}: {e}")
        return self.summary()


def wait_for(predicate, timeout, interval=0.1, what="condition", fail=True):
    """Polls predicate() until it returns a true value, which is returned.
    On time-out: HarnessError, or with fail=False the last value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            break
        time.sleep(interval)
    if not value and fail:
        raise HarnessError(f"timed out after {timeout:.1f} s waiting for {what}")
    return value


def e2e_wineprefix():
    explicit = os.environ.get("QOR_E2E_WINEPREFIX")
    if explicit:
        return explicit
    base = os.environ.get("QOR_WINEPREFIX") or os.path.join(REPO, ".wineprefix")
    return base.rstrip("/") + "-e2e" + ("-" + os.environ["QOR_E2E_LANE"] if os.environ.get("QOR_E2E_LANE") else "")


def wine_env(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, QOR_WINEPREFIX=prefix, WINEARCH="win64",
               WINEDEBUG=os.environ.get("QOR_WINEDEBUG", "-all"))
    return env


def init_wineprefix(prefix):
    """Creates the prefix once (about 10 s); later calls return at once."""
    r = subprocess.run(["bash", "-c", f'source "{TOOLS}/wine-env" && qor_wine_init'],
                       env=wine_env(prefix), stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if r.returncode != 0:
        raise HarnessError(f"could not create Wine prefix {prefix}:\n{r.stdout.decode(errors='replace')}")


# --------------------------------------------------------------------- X --

def start_xvfb(size):
    """A private X server of the given size (tools/wine-env's starter);
    returns (display, pid). Two starters at once may pick the same free
    display and the loser talk to the winner's server: the lock names ours."""
    for _ in range(5):
        r = subprocess.run(["bash", "-c", f'source "{TOOLS}/wine-env" && qor_start_xvfb {size}x24 '
                            '&& echo "$DISPLAY $QOR_XVFB_PID"'], stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)
        if r.returncode != 0:
            raise HarnessError(f"could not start Xvfb ({size}): {r.stderr.strip()}")
        display, pid = r.stdout.split()
        lock = f"/tmp/.X{display[1:]}-lock"
        if wait_for(lambda: os.path.exists(lock) and open(lock).read().strip() == pid, 5, 0.05, fail=False):
            return display, int(pid)
        subprocess.run(["kill", pid], stderr=subprocess.DEVNULL)
    raise HarnessError(f"could not start Xvfb ({size}): every free display was taken by another")


class X:
    """xdotool and ImageMagick on one display."""

    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def _run(self, args, check=True, timeout=20):
        r = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=timeout)
        if check and r.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed ({r.returncode}): {r.stderr.decode(errors='replace').strip()}")
        return r

    def search(self, name, visible=True):
        """Ids of windows whose title matches the regular expression name."""
        args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", name]
        return [int(w) for w in self._run(args, check=False).stdout.split()]

    def window_name(self, wid):
        return self._run(["xdotool", "getwindowname", str(wid)], check=False).stdout.decode().strip()

    def window_geometry(self, wid):
        """(x, y, width, height) of a window, x and y on the screen."""
        out = self._run(["xdotool", "getwindowgeometry", "--shell", str(wid)], check=False).stdout.decode()
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        if "WIDTH" not in v:
            raise HarnessError(f"window {wid} has gone")
        return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])

    def titles(self):
        """Titles of all visible windows, for failure messages."""
        names = (self.window_name(w) for w in self.search("."))
        return [n for n in names if n and n != "Default IME"]

    def key(self, *keys, window=None, delay_ms=50):
        """Presses keys (xdotool names: Return, Escape, alt+l, Down...) as the
        keyboard does. With window, that window gets the focus first (a key
        sent to a window that has not got it goes to whichever window of the
        program has). Keys after one that closes the window are lost: send
        those in a separate call."""
        args = ["xdotool"]
        if window is not None:
            args += ["windowfocus", "--sync", str(window)]
        r = self._run(args + ["key", "--delay", str(delay_ms)] + list(keys), check=False)
        if r.returncode != 0 and not (window is not None and window not in self.search(".", visible=False)):
            raise HarnessError(f"xdotool key {keys} failed: {r.stderr.decode(errors='replace').strip()}")

    def type(self, text, window=None):
        args = ["xdotool"] + (["windowfocus", "--sync", str(window)] if window else [])
        self._run(args + ["type", "--delay", "30", "--", text])

    def screenshot(self, path, window=None):
        """Saves the screen (or one window) as a PNG; returns it as an Image."""
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        self._run(["import", "-window", "root" if window is None else str(window), "PNG24:" + path],
                  timeout=30)
        return Image.load(path)


class Image:
    """A screenshot's pixels; pixel(x, y) gives (r, g, b)."""

    def __init__(self, width, height, data, path=None):
        self.width, self.height, self.data, self.path = width, height, data, path

    @classmethod
    def load(cls, path):
        ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, check=True).stdout
        # "P6 W H 255" and a single white-space byte, then the RGB bytes.
        fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        if not fields:
            raise HarnessError(f"{path}: not readable as an image")
        return cls(int(fields[1]), int(fields[2]), ppm[fields.end():], path)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise HarnessError(f"pixel ({x}, {y}) outside the {self.width}x{self.height} image {self.path}")
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])


class Pane:
    """The logging screen's profile or map pane in a screenshot: its client
    pixels (.px[y][x]), found by its border."""

    def __init__(self, img):
        row = [img.pixel(x, img.height // 3) for x in range(img.width)]
        left = row.index(PANE_BORDER)
        right = row.index(PANE_BORDER, left + 1)
        col = [img.pixel(left + 5, y) for y in range(img.height)]
        top = col.index(PANE_BORDER)
        bottom = col.index(PANE_BORDER, top + 1)
        self.x0, self.y0, self.w, self.h = left + 1, top + 1, right - left - 1, bottom - top - 1
        self.px = [[img.pixel(self.x0 + x, self.y0 + y) for x in range(self.w)] for y in range(self.h)]

    def where(self, colour):
        return [(x, y) for y in range(self.h) for x in range(self.w) if self.px[y][x] == colour]

    def differences(self, other):
        """Pixels (x, y) where two shots of the pane differ."""
        return [(x, y) for y, (a, b) in enumerate(zip(self.px, other.px))
                for x, (p, q) in enumerate(zip(a, b)) if p != q]

    def unmatched_lines(self, other, bare=((255, 255, 255), (192, 192, 192), (0, 0, 0))):
        """Differing pixels drawn in a line colour (anything but the bare
        colours: background, grid, labels) in one shot with no pixel of that
        colour within one pixel in the other: lines that moved or went,
        not the edges of wide pens nor which line lies on top."""
        def near(pane, x, y, colour):
            return any(pane.px[j][i] == colour for j in range(max(y - 1, 0), min(y + 2, pane.h))
                       for i in range(max(x - 1, 0), min(x + 2, pane.w)))
        return [(x, y) for x, y in self.differences(other)
                for a, b in ((self, other), (other, self))
                if a.px[y][x] not in bare and not near(b, x, y, a.px[y][x])]


# --------------------------------------------------------------- serial --

class SerialPty:
    """A pseudo-terminal standing in for an instrument that a test scripts
    byte by byte. The program opens .path (mapped to a COM port); the test
    reads and writes the other side. Raw mode: bytes pass unchanged."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        tty.setraw(self.slave)
        # Holding the slave open keeps the master from EOF while the program
        # closes and reopens the port.
        self.path = os.ttyname(self.slave)
        self.empty_at = time.monotonic()

    def write(self, data):
        view = memoryview(data.encode("ascii") if isinstance(data, str) else data)
        while view:
            if not select.select([], [self.master], [], 5)[1]:
                raise HarnessError(f"{self.path}: nobody reads the port (write blocked 5 s)")
            view = view[os.write(self.master, view):]

    def read(self, timeout=0.0):
        """Bytes the program sent, waiting up to timeout for the first."""
        if not select.select([self.master], [], [], timeout)[0]:
            return b""
        try:
            return os.read(self.master, 65536)
        except OSError:
            return b""

    def unread(self):
        """Bytes written to the program that it has not read yet."""
        return int.from_bytes(fcntl.ioctl(self.slave, termios.FIONREAD, b"\0" * 4), "little")

    def read_timed(self, timeout):
        """As read, with the interval (earliest, latest) in which those bytes
        arrived: a late reader widens it instead of moving their times."""
        start = time.monotonic()
        if not select.select([self.master], [], [], timeout)[0]:
            self.empty_at = max(self.empty_at, start + timeout)
            return b"", None
        before = time.monotonic()
        data = self.read()
        span, self.empty_at = (self.empty_at, time.monotonic()), before
        return data, span

    def close(self):
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass


class Em61Sim:
    """tools/bin/em61sim on a pseudo-terminal of its own (.path), commanded
    over its control socket; every frame it sends is in its frame log."""

    def __init__(self, out_dir, args):
        self.tmp = tempfile.mkdtemp(prefix="qor-sim-")     # short path for the socket
        self.sock_path = os.path.join(self.tmp, "sim.sock")
        self.frame_log = os.path.join(out_dir, "frames.log")
        self.raw_log = os.path.join(out_dir, "em61sim-sent.raw")
        self.log = open(os.path.join(out_dir, "em61sim.log"), "wb")
        self.proc = subprocess.Popen([EM61SIM, "--control", self.sock_path, "--frame-log",
                                      self.frame_log, "--raw-log", self.raw_log, *args], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=self.log, text=True)
        first = self.proc.stdout.readline().split()
        if len(first) != 2 or first[0] != "PTY":
            raise HarnessError("em61sim did not report its terminal")
        self.path = first[1]
        self.conn = None

    def control(self, command):
        """One control command; returns the simulator's answer line."""
        if self.conn is None:
            self.conn = wait_for(self._connect, 5, 0.02, "the simulator's control socket")
            self.answers = self.conn.makefile("r")
        self.conn.sendall((command + "\n").encode())
        return self.answers.readline().strip()

    def _connect(self):
        try:
            c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            c.connect(self.sock_path)
            return c
        except OSError:
            return None

    def stats(self):
        """The simulator's counters ("stats": probes_received=, requests=, line=...)."""
        return dict(w.split("=", 1) for w in self.control("stats").split()[1:] if "=" in w)

    def frames(self):
        """Frames sent so far: [(seq, monotonic us of the last byte, bytes)]."""
        out = []
        if os.path.exists(self.frame_log):
            with open(self.frame_log) as f:
                for parts in (line.split() for line in f):
                    if len(parts) >= 3:
                        out.append((int(parts[0]), int(parts[1]), bytes.fromhex("".join(parts[2:]))))
        return out

    def sent_bytes(self):
        """Every byte put on the line so far, probe answers and garbage included."""
        with open(self.raw_log, "rb") as f:
            return f.read()

    def stop(self):
        if self.conn:
            self.conn.close()
        _end_process(self.proc)
        self.log.close()
        shutil.rmtree(self.tmp, ignore_errors=True)


def _end_process(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class GpsSim:
    """tools/bin/gpssim on a pseudo-terminal of its own (.path), commanded
    on its standard input ("fault jump", "silence 3"). Its raw log holds
    every byte it sent, its line log each line (a total station's record
    with its lines joined by ',') with the seconds it was sent at."""

    def __init__(self, out_dir, args):
        self.raw_log = os.path.join(out_dir, "gps-sent.raw")
        self.line_log = os.path.join(out_dir, "gps-lines.log")
        self.rx_log = os.path.join(out_dir, "gps-received.raw")
        self.log = open(os.path.join(out_dir, "gpssim.log"), "wb")
        self.proc = subprocess.Popen([GPSSIM, "--raw-log", self.raw_log, "--line-log", self.line_log,
                                      "--rx-log", self.rx_log, *map(str, args)], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.log, text=True)
        first = self.proc.stdout.readline().split()
        if len(first) != 2 or first[0] != "PTY":
            raise HarnessError("gpssim did not report its terminal")
        self.path = first[1]

    def control(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip()

    def lines(self):
        """[(seconds, line)] sent so far."""
        with open(self.line_log, encoding="latin-1") as f:   # a capture may hold any byte
            return [(float(t), text) for t, _, text in (l.rstrip("\n").partition("\t") for l in f)]

    def received(self):
        with open(self.rx_log, "rb") as f:
            return f.read()

    def stop(self):
        _end_process(self.proc)
        self.log.close()


# ------------------------------------------------- files the program keeps --

def config_lines(edits=None, gps=False):
    """The default configuration file's bytes, GPS input off unless gps, with
    line edits {line number: text}."""
    lines = DEFAULT_CONFIG.split(b"\r\n")
    if not gps:
        lines[36] = b"0"                      # line 37: GPS input
    for number, text in (edits or {}).items():
        lines[number - 1] = text.encode() if isinstance(text, str) else text
    return b"\r\n".join(lines)


def changed_lines(before, after):
    """{line number: new text} of the lines in which two configuration
    files' bytes differ."""
    return {n + 1: b for n, (a, b) in enumerate(zip(before.split(b"\r\n"), after.split(b"\r\n"))) if a != b}


def read_records(path):
    """The data file's 27-byte records (records are never split at line
    feeds: a reading carries raw bytes) and the file's size."""
    with open(path, "rb") as f:
        data = f.read()
    return [data[i:i + RECORD] for i in range(0, len(data), RECORD)], len(data)


def is_reading(rec):
    return len(rec) > 0 and rec[0] in STREAM_LETTERS


def event_text(rec):
    return rec[1:12].decode("ascii", "replace") if rec[:1] == b"X" else None


def recordings(records):
    """The readings of each recording: from a "$STARTED" to the next event.
    Also returns the count of readings outside any recording. The 16 records
    that open the file are passed over (H1 starts with a 'Q')."""
    runs, on, stray = [], False, 0
    for r in records[16:]:
        e = event_text(r)
        if e is not None:
            on = e.startswith("$STARTED")
            if on:
                runs.append([])
        elif is_reading(r):
            if on:
                runs[-1].append(r)
            else:
                stray += 1
    return runs, stray


def gps_groups(records, by_recording=False):
    """The GPS record groups (first tag, text, flag, tick): all of them, or
    a list per recording (from each "$STARTED")."""
    runs, text = [[]], None
    for r in records[16:]:
        e = event_text(r)
        if e is not None and e.startswith("$STARTED"):
            runs.append([])
        elif r[:1] in (b"@", b"?"):
            first, text = r[:1], r[1:26]
        elif r[:1] in (b"#", b'"') and text is not None:
            text += r[1:26]
        elif r[:1] == b"!" and text is not None:
            flag = r[7:8] if first == b"@" else r[1:2]
            runs[-1].append((first, text.decode("latin-1").rstrip(" "), flag, int(r[16:26])))
            text = None
    return runs[1:] if by_recording else [g for run in runs for g in run]


# ------------------------------------------- the GPS reader's rules (oracle) --

GPS_SENTENCE_IDS = ["GGA", "GGA", "POS", "LLK", "LLQ", "GLL", "GGK", "GGA"]


def gps_reader_texts(raw):
    """The texts the GPS reader hands over for the bytes raw (a line without
    '$' hands the previous text over again: the index is not reset)."""
    line, index, out = bytearray(260), 0, []
    for b in raw:
        if b == 10:
            if index:
                line[index - 1] = 0
                out.append(bytes(line[:index]).split(b"\0", 1)[0].decode("latin-1"))
        elif b == 36:
            line[0], index = 36, 1
        else:
            index = 0 if index > 200 else index
            line[index], index = b, index + 1
    return out


def expected_gps_groups(raw, found, gps_type):
    """(first tag, text) of the groups recorded of the bytes raw (types 0..7)
    from found's first on; which fixes were decoded is read from its flags."""
    texts, want = gps_reader_texts(raw), [(g[0], g[1]) for g in found]

    def valid(t):   # the number after the last '*' read as strtoul reads it
        m = re.match(r"\s*([+-]?)(?:0[xX](?=[0-9a-fA-F]))?([0-9a-fA-F]*)", t[t.rindex("*") + 1:])
        v = int(m.group(2) or "0", 16) * (-1 if m.group(1) == "-" else 1)
        return gps_type == 7 or v % 2 ** 32 == reduce(lambda a, c: a ^ ord(c), t[1:t.index("*")], 0)

    def from_(start):
        out, pending = [], False
        for text in texts[start:]:
            if len(out) == len(found):
                break
            position = GPS_SENTENCE_IDS[gps_type] in text
            if text[:1] != "$" or "*" not in text or not valid(text):
                out.append((b"?", text))
            elif position or gps_type == 7:
                pending = pending or (position and found[len(out)][2] == b"p")
                out.append((b"@", text))
            elif gps_type == 0 and "GSA" in text and pending:
                out.append((b"@", text))
                pending = False
        return [(f, t.rstrip(" ")) for f, t in out]

    starts = [i for i, t in enumerate(texts) if found and t.rstrip(" ") == found[0][1]]
    candidates = [from_(i) for i in starts] or [[]]
    return next((c for c in candidates if c == want), candidates[0])


def event_totals(records):
    """The last "$F" and "$P" totals."""
    texts = [event_text(r) for r in records]
    return [int(t[3:]) for t in texts if t and t[:3] in ("$F ", "$P ")][-2:]


def totals_last(records):
    """Whether the file ends with the run's totals, "$F" then "$P"."""
    return [(event_text(r) or "")[:3] for r in records[-2:]] == ["$F ", "$P "]


def align(readings, frames):
    """Positions of the readings in the simulator's frame list, matched on
    frame bytes 0-9 in order. Equal frames can occur, so every candidate
    for the first reading is tried and the tightest match is kept.
    Returns None when the readings are not all found in order."""
    if not readings:
        return []
    bodies = [f[2][:10] for f in frames]
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


def missing_frames(readings, frames):
    """Frames sent during a run of readings that were not recorded (None
    when the readings are not the simulator's frames in order)."""
    at = align(readings, frames)
    return None if at is None else (at[-1] - at[0] + 1 - len(at) if at else 0)


# ------------------------------------------------ instrument frame rules --
# The one model of how the logger's instrument reader cuts frames out of the
# line, for judging what it handed over against the bytes really sent.

STREAM_LETTERS = b"TDEFMNPQJKjk"
POLLED_LETTERS = b"TDEFMNPQ"


class ReferenceLevel:
    """The level the reader judges references by: the mean of the first
    readings' (from the 8th), then a ring of 98 of them, each later one
    divided by the stream correction (1.047 for a standard instrument)."""

    def __init__(self, correction=1.047):
        self.correction, self.ring, self.at, self.level = correction, [], 0, 0.0

    def add(self, record):
        raw = int.from_bytes(record[10:12], "big", signed=True)
        if len(self.ring) < 98:
            self.ring.append(float(raw))
            n = len(self.ring)
            self.level = sum(self.ring) / n if n >= 8 else 0.0
        else:
            self.ring[self.at] = raw / self.correction
            self.at = (self.at + 1) % 98
            self.level = sum(self.ring) / 98


def reader_records(data, letters=STREAM_LETTERS, correction=1.047):
    """The 14-byte records the stream reader hands over for these line bytes
    (no thinning): a frame ends at 0x7F 0x7F with 15 bytes buffered, its
    letter 14 places back. A refused letter drops the final 0x7F and fences
    off the bytes left; a letter behind the fence, or a reference beyond 1.5
    times off the level, is no frame end. Over 180 bytes: emptied."""
    buf, fence, out, level = bytearray(), 0, [], ReferenceLevel(correction)
    for b in data:
        if len(buf) >= 180:
            buf, fence = bytearray(), 0
            continue
        buf.append(b)
        start = len(buf) - 15
        if b != 0x7F or start < 0 or buf[-2] != 0x7F or start < fence:
            continue
        record, at = bytes(buf[start:start + 14]), level.level
        if record[0] not in letters:
            buf.pop()
            fence = len(buf)
        elif at <= 0 or at / 1.5 <= int.from_bytes(record[10:12], "big", signed=True) <= at * 1.5:
            out.append(record)
            level.add(record)
            buf, fence = bytearray(), 0
    return out


def frame_faults(frames):
    """(refused letters, pairs inside the data) among frames' bytes."""
    inner = (any(f[i] == 0x7F == f[i + 1] for i in range(1, 12)) for f in frames)
    return sum(f[0] not in STREAM_LETTERS for f in frames), sum(inner)


# -------------------------------------------------------------- program --

class QorProcess:
    """The program started through tools/qor-run."""

    def __init__(self, session, argv, log_path, env):
        self.session, self.log_path = session, log_path
        self.log = open(log_path, "wb")
        # Own process group: the whole launcher tree can be signalled at once.
        self.proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT, start_new_session=True)

    def wait(self, timeout):
        """Waits for the program to end; returns its exit code. On time-out the
        screen is saved, the program killed and the test fails."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            shot = self.session.try_screenshot("exit-timeout")
            titles = self.session.try_titles()
            self.kill()
            raise HarnessError(f"program did not end within {timeout} s; windows {titles}; "
                               f"screenshot {shot}; launcher log {self.log_path}")

    def kill(self):
        if self.proc.poll() is None:
            # qor-run ends the Windows processes of its run on SIGTERM.
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
                self.proc.wait(15)
            except ProcessLookupError:
                pass
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
        self.log.close()


class Session:
    """One test's world: a private X server of the device's screen size, the
    lane's Wine prefix with a running Wine server, a fresh device root, an
    output directory. A context manager."""

    def __init__(self, name, screen="240x320"):
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name)
        self.screen = screen
        self.out_dir = os.path.join(OUT_DIR, self.name)
        self.prefix = e2e_wineprefix()
        self.env = wine_env(self.prefix)
        self.root = self.xvfb_pid = self.x = self.wineserver = None
        self.programs, self.ptys, self.sims = [], [], []
        self._shots, self._closed = 0, False

    def __enter__(self):
        _install_sigterm_handler()
        atexit.register(self.close)
        try:
            os.makedirs(self.out_dir, exist_ok=True)
            self.root = tempfile.mkdtemp(prefix=f"qor-root-{self.name}-")
            init_wineprefix(self.prefix)
            # One Wine server for the whole session (program starts are then
            # quick); ended with wineserver -k in close().
            self.wineserver = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL)
            self.env["DISPLAY"], self.xvfb_pid = start_xvfb(self.screen)
            self.x = X(self.env["DISPLAY"])
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None and not isinstance(exc, KeyboardInterrupt):
            self.try_screenshot("failure")
        self.close()

    def close(self):
        if self._closed:
            return
        self._closed = True
        for p in self.programs:
            p.kill()
        for sim in self.sims:
            sim.stop()
        if self.wineserver is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            try:
                self.wineserver.wait(15)
            except subprocess.TimeoutExpired:
                self.wineserver.kill()
                self.wineserver.wait()
        if self.xvfb_pid:
            try:
                os.kill(self.xvfb_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in self.ptys:
            p.close()
        if self.root and not os.environ.get("QOR_KEEP_ROOT"):
            shutil.rmtree(self.root, ignore_errors=True)

    # -- files in the device root
    def path(self, *parts):
        """A path under the device root ("KVTINI", "Q61MK2CX.INI")."""
        return os.path.join(self.root, *parts)

    def put_file(self, relpath, content):
        """Writes a file under the device root (str as ASCII, line ends as given)."""
        full = self.path(*relpath.replace("\\", "/").split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(content.encode("ascii") if isinstance(content, str) else content)
        return full

    def find_files(self, pattern):
        """Files under the device root whose relative path (with /) matches pattern."""
        found = []
        for d, _, files in os.walk(self.root):
            found += [os.path.join(d, f) for f in files
                      if re.search(pattern, os.path.relpath(os.path.join(d, f), self.root))]
        return sorted(found)

    def cpu_seconds(self):
        """Processor seconds the program's processes of this session used."""
        total = 0.0
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if b"qor.exe" in open(f"/proc/{pid}/cmdline", "rb").read().lower() and \
                        f"WINEPREFIX={self.prefix}".encode() in open(f"/proc/{pid}/environ", "rb").read().split(b"\0"):
                    stat = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
                    total += (int(stat[11]) + int(stat[12])) / os.sysconf("SC_CLK_TCK")
            except OSError:
                pass
        return total

    # -- simulated devices
    def open_pty(self):
        p = SerialPty()
        self.ptys.append(p)
        return p

    def start_gpssim(self, *args):
        sim = GpsSim(self.out_dir, args)
        self.sims.append(sim)
        return sim

    def start_em61sim(self, *args):
        sim = Em61Sim(self.out_dir, args)
        self.sims.append(sim)
        return sim

    # -- the program
    def start(self, screen=None, com=None, uptime_ms=3600000, exe=None, args=(), max_positions=None,
              avail_phys=None):
        """Starts the program in the device root. com maps port numbers to
        device paths ({1: pty.path}). uptime_ms: the device's uptime at
        start (default one hour, well clear of the tick-count wrap)."""
        exe = exe or QOR_EXE
        if not os.path.exists(exe):
            raise HarnessError(f"{exe} does not exist (make build)")
        argv = [os.path.join(TOOLS, "qor-run"), "--exe", exe, "--root", self.root,
                "--screen", screen or self.screen, "--display", self.env["DISPLAY"]]
        for n, dev in sorted((com or {}).items()):
            argv += ["--com", f"{n}={dev}"]
        if uptime_ms is not None:
            argv += ["--uptime-ms", str(int(uptime_ms))]
        if max_positions:
            argv += ["--max-positions", str(max_positions)]
        if avail_phys:
            argv += ["--avail-phys", str(avail_phys)]
        if args:
            argv += ["--"] + [str(a) for a in args]
        log = os.path.join(self.out_dir, f"qor-run-{len(self.programs) + 1}.log")
        p = QorProcess(self, argv, log, self.env)
        self.programs.append(p)
        return p

    # -- windows and keys
    def windows(self, name):
        return self.x.search(name)

    def wait_window(self, name, timeout=30, gone=False):
        """Waits until a visible window whose title matches the regular
        expression name exists (or, with gone=True, no longer exists).
        Returns its id. Fails with the titles on screen and a screenshot."""
        # Wine may replace a new window's X window right after mapping it;
        # an id counts once it has been seen twice in a row.
        seen = [None]

        def look():
            ids = self.x.search(name)
            if gone:
                return not ids
            wid = ids[-1] if ids else None
            stable = wid is not None and wid == seen[0]
            seen[0] = wid
            return wid if stable else None
        try:
            return wait_for(look, timeout, 0.25, f"window {name!r}")
        except HarnessError:
            shot = self.try_screenshot("wait-" + re.sub(r"\W+", "_", name)[:30])
            raise HarnessError(f"window {name!r} {'still there' if gone else 'not found'} after "
                               f"{timeout} s; windows on screen: {self.try_titles()}; screenshot "
                               f"{shot}; program running: {[p.proc.poll() is None for p in self.programs]}")

    def wait_dialog(self, caption, timeout=30):
        """The window of this caption once two looks 0.2 s apart are alike: a
        key sent before is lost (a file dialog fills in after it shows)."""
        wid = self.wait_window(f"^{caption}$", timeout)
        looks = [None]
        look = lambda: self.x._run(["import", "-window", str(wid), "ppm:-"], check=False).stdout
        wait_for(lambda: looks.append(look()) or looks[-1] == looks[-2], 10, 0.2, fail=False)
        return wid

    def answer(self, caption, key, timeout=30):
        """Waits for the window of this caption (a message box, a dialog) and
        presses key in it once; again only when it is still there a good
        while later (a repeated key would reach the window underneath).
        Returns its window id."""
        wid = self.wait_dialog(caption, timeout)
        for _ in range(3):
            self.key(key, window=wid)
            if wait_for(lambda: wid not in self.windows(f"^{caption}$"), 8, 0.2, fail=False):
                return wid
        raise HarnessError(f"{caption!r} did not close on {key}")

    def open_dialog(self, window, key, caption):
        """key in window (a tuple: keys one after the other, as through a
        menu) until the dialog of this caption shows; its id once it has the
        keyboard. A key the window was not ready for is lost: ask again."""
        for _ in range(3):
            self.key(*(key if isinstance(key, tuple) else (key,)), window=window)
            if wait_for(lambda: self.windows(f"^{caption}$"), 10, 0.25, fail=False):
                break
        return self.wait_dialog(caption)

    def dialog_by_keys(self, window, key, caption, keys, final):
        """open_dialog, then keys in it (a "type:" prefix types the rest as
        text), then final closes it."""
        wid = self.open_dialog(window, key, caption)
        for k in keys:
            if k.startswith("type:"):
                self.x.type(k[5:], window=wid)
            else:
                self.key(k, window=wid)
        self.answer(caption, final)

    def config_edits_by_keys(self, window, key, caption, keys, config):
        """The lines of the configuration file at config ({line: text})
        that the dialog changes when it is edited by keys and closed with
        Escape, then edited again and closed with Return."""
        before = open(config, "rb").read()
        for final in ("Escape", "Return"):
            self.dialog_by_keys(window, key, caption, keys, final)
        return changed_lines(before, open(config, "rb").read())

    def check_config_edits(self, check, window, table, config):
        """Each (key, caption, keys, lines) of table by config_edits_by_keys:
        Escape keeps every byte, Return changes exactly those lines."""
        for key, caption, keys, want in table:
            changed = self.config_edits_by_keys(window, key, caption, keys, config)
            check(changed == want, f"{caption} by keys: Escape keeps the file, Return changes {want} ({changed})")

    def key(self, *keys, window=None, delay_ms=50):
        self.x.key(*keys, window=window, delay_ms=delay_ms)

    # -- a field typed key by key ------------------------------------------
    # Fields whose value the program corrects or refuses are typed as a
    # person types them: the checks must see every state the text passes
    # through ("-" before "-1", "1" before "10").
    FIELD_KEYSYMS = {"-": "minus", ".": "period", "+": "plus", " ": "space"}

    def type_keys_into_field(self, window, reach, text, leave="Tab"):
        """In the dialog window: the keys reach (an underlined letter, Tab...;
        none for the field that has the focus) go to the field, BackSpace
        empties it as a keypad would, text follows one key at a time, and
        leave (None: stay) moves on to the next field."""
        keys = list(reach) + ["End"] + ["BackSpace"] * 16
        keys += [self.FIELD_KEYSYMS.get(c, c) for c in text] + ([leave] if leave else [])
        self.key(*keys, window=window)
    # ------------------------------------------------------------------------

    def desktop_window(self):
        """The virtual desktop window (the device screen), or None."""
        ids = self.x.search(r"^qor - Wine desktop$")
        return ids[0] if ids else None

    def screenshot(self, label):
        """Saves the device screen as <QOR_TEST_OUT>/<test>/NN-label.png and
        returns it as an Image."""
        self._shots += 1
        path = os.path.join(self.out_dir, f"{self._shots:02d}-{label}.png")
        return self.x.screenshot(path, self.desktop_window())

    def await_screen(self, label, probe, check, timeout=30):
        """Screenshots until every check(condition, what) that probe(img,
        check) makes holds, then makes the last one's checks with check."""
        last = []

        def look():
            last[:] = []
            probe(self.screenshot(label), lambda *found: last.append(found))
            return all(cond for cond, _ in last)
        wait_for(look, timeout, 0.5, fail=False)
        return all([check(*found) for found in last])

    def try_screenshot(self, label):
        try:
            return self.screenshot(label).path
        except Exception as e:  # a failure report must not fail itself
            return f"(none: {e})"

    def try_titles(self):
        try:
            return self.x.titles()
        except Exception as e:
            return f"(unknown: {e})"


class Survey:
    """A survey as an operator walks it: the program on the session's device
    root with the default configuration and the given line edits, the
    EM61-MK2 simulator on COM1, keys to the program's main window. GPS is
    off unless a pseudo-terminal for the receiver is given (on COM2)."""

    def __init__(self, session, config=None, sim_args=(), screen=None, gps=None, **start):
        self.s = session
        session.put_file("KVTINI/Q61MK2CX.INI", config_lines(config, gps=gps is not None))
        self.sim = session.start_em61sim(*sim_args)
        com = {1: self.sim.path, **({2: gps.path} if gps else {})}
        self.app = session.start(screen=screen, com=com, **start)
        self.main = session.wait_dialog("QOR")

    def key(self, *keys):
        self.s.key(*keys, window=self.main)
        time.sleep(0.3)

    def launch(self, instrument=True):
        """'l' on the main menu; returns once the simulator has sent the 98
        normalising readings and a few more. A polled instrument is then
        normalised; a streaming one may still be handing them over, which
        open_file_dialog waits for."""
        self.key("l")
        if instrument:
            wait_for(lambda: len(self.sim.frames()) >= 105, 60, 0.5, "normalisation")

    def data_files(self):
        return self.s.find_files(r"\.(P61|GXY)$")

    def open_file_dialog(self):
        """'f' until "Create Data File" shows: the file commands come on at
        91 per cent of the normalisation, which a busy machine may lag."""
        for _ in range(6):
            self.key("f")
            if wait_for(lambda: self.s.windows("^Create Data File$"), 10, 0.25, fail=False):
                return
        raise HarnessError("'f' did not open \"Create Data File\" in a minute")

    def create_file(self):
        """Return in "Create Data File"; returns the file's path."""
        self.open_file_dialog()
        self.s.answer("Create Data File", "Return")
        return wait_for(self.data_files, 10, what="the data file")[0]

    def await_text(self, path, text, count=1, timeout=30):
        """Waits until the data file at path holds text (an event record's
        text, b"$PAUSED") count times."""
        wait_for(lambda: open(path, "rb").read().count(text) >= count, timeout, 0.2, f"{count} x {text!r} in {path}")

    def hold(self, key, seconds, until=None):
        """Holds a key down (the soft marker) for a while, or with until
        until that returns true (seconds then the most to wait)."""
        self.s.x._run(["xdotool", "windowfocus", "--sync", str(self.main), "keydown", key])
        wait_for(until, seconds, 0.1, fail=False) if until else time.sleep(seconds)
        self.s.x._run(["xdotool", "keyup", key])

    def type_into(self, caption, text, final_key="Return"):
        """Types text into the dialog of this caption and closes it with final_key."""
        wid = self.s.wait_dialog(caption)
        if text:
            self.s.x.type(text, window=wid)
        self.s.answer(caption, final_key)

    def exit_run(self, answer="Return"):
        """'x'; with a data file open "Exit Logging?" is answered with answer."""
        self.key("x")
        self.s.answer("Confirm Exit", answer)

    def exited(self, timeout=20):
        return wait_for(lambda: self.app.proc.poll() is not None, timeout, 0.2, fail=False)


def _install_sigterm_handler():
    # CTest ends a test that runs too long with SIGTERM; as an exception it
    # lets every context manager clean up.
    def on_term(signum, frame):
        raise SystemExit(f"terminated by signal {signum}")
    signal.signal(signal.SIGTERM, on_term)


# ------------------------------------------------------------- the export --
# qor-export (Linux build) and the oracles that judge what it wrote against
# what the simulators sent.

QOR_EXPORT = os.path.join(os.environ.get("QOR_NATIVE_DIR") or os.path.join(REPO, "build-native"),
                          "qor-export")
EXPORTS = (("csv", ".csv"), ("geojson", ".geojson"), ("kml", ".kml"), ("map", ".svg"))


def export_all(data_file, exe=QOR_EXPORT):
    """csv, geojson, kml and map beside the data file; the problems."""
    problems = []
    stem = os.path.splitext(data_file)[0]
    for command, ext in EXPORTS:
        r = subprocess.run([exe, command, data_file, "-o", stem + ext], capture_output=True, text=True)
        if r.returncode != 0 or not os.path.exists(stem + ext):
            problems.append(f"qor-export {command}: exit {r.returncode} {r.stderr.strip()}")
    return problems


def csv_rows(path):
    import csv
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def _words(frame):
    return [int.from_bytes(frame[2 + 2 * i:4 + 2 * i], "big", signed=True) for i in range(4)]


def _millivolts(frame):
    """The four channels of a standard 'T' or 'D' frame in mV, before the
    reference scaling: range divisors as the instrument codes them."""
    g, div = frame[1], []
    for high, mid in ((192, 64), (48, 16), (12, 4)):
        div.append(100 if g >= high else 10 if g >= mid else 1)
        g -= high if g >= high else mid if g >= mid else 0
    div.append(100 if g == 3 else 10 if g == 1 else 1)
    gains = (2, 2, 2, 2) if frame[:1] in (b"T", b"M", b"J", b"K", b"j", b"k") else (2, 2, 2, 4 * 1.114 / 1.112)
    return [w * 4.8333 / d * k for w, d, k in zip(_words(frame), div, gains)]


def reading_problems(rows, records, frames):
    """Each CSV row against the frame the simulator sent for that reading:
    letter, marker, channel-4 label, battery, and the four channels equal to
    the frame's raw values in mV times one common reference factor near 1."""
    readings = [r for r in records[16:] if is_reading(r)]
    if len(rows) != len(readings):
        return [f"{len(rows)} CSV rows for {len(readings)} readings"]
    at = align(readings, frames)
    if at is None:
        return ["the readings are not the simulator's frames in order"]
    problems = []
    for row, i in zip(rows, at):
        frame = frames[i][2]
        want = {"type": chr(frame[0]), "marker": "1" if frame[:1] in b"MNPQK" else "0",
                "ch4_label": "4" if frame[:1] in b"TEMP" else "T", "battery": f"{frame[12] / 6.66757:.2f}"}
        got = {k: row[k] for k in want}
        mv = _millivolts(frame)
        factors = [float(row[f"ch{c + 1}"]) / v for c, v in enumerate(mv) if abs(v) > 20]
        if got != want or not factors or max(factors) - min(factors) > 2e-3 * max(factors) \
                or not 0.9 < factors[0] < 1.1:
            problems.append(f"tick {row['tick']}: {got} {[row[f'ch{c}'] for c in range(1, 5)]} "
                            f"for frame {frame.hex()} (want {want}, mV {mv})")
    return problems[:5]


def sent_positions(raw):
    """(latitude, longitude, quality, satellites, altitude) of each GGA the
    receiver sent, and the PDOPs of its GSAs."""
    ggas, pdops = [], set()
    for line in raw.decode("latin-1").splitlines():
        f = line.split("*")[0].split(",")
        if f[0].endswith("GGA") and len(f) > 10 and f[2] and f[4]:
            lat = (int(f[2][:2]) + float(f[2][2:]) / 60) * (1 if f[3] == "N" else -1)
            lon = (int(f[4][:3]) + float(f[4][3:]) / 60) * (1 if f[5] == "E" else -1)
            ggas.append((lat, lon, int(f[6]), int(f[7]), float(f[9])))
        elif f[0].endswith("GSA") and len(f) > 15:
            pdops.add(float(f[15]))
    return ggas, pdops


def position_problems(rows, geojson, raw):
    """Every track vertex is a position the receiver sent (to the 2 cm the
    logger's decoder keeps), every placed reading lies on the walk between
    sent positions, and its fix values are those sent."""
    import math
    ggas, pdops = sent_positions(raw)
    metres = lambda a, b: math.hypot((a[0] - b[0]) * 111320,
                                     (a[1] - b[1]) * 111320 * math.cos(math.radians(a[0])))
    problems = []
    vertices = [tuple(reversed(c)) for f in geojson["features"] if f["properties"]["kind"] == "track"
                and f["geometry"] for c in f["geometry"]["coordinates"]]
    if not vertices:
        problems.append("no track in the GeoJSON")
    for v in vertices:
        if min(metres(v, g) for g in ggas) > 0.02:
            problems.append(f"track vertex {v} was not sent")
            break
    placed = [r for r in rows if r["position_source"] == "interpolated"]
    if not placed:
        problems.append("no reading has a position")
    for r in placed:
        p = (float(r["latitude"]), float(r["longitude"]))
        near = min(range(len(ggas)), key=lambda i: metres(p, ggas[i]))
        # Two accepted fixes lie at most three sent ones apart (5 Hz, 410 ms).
        if metres(p, ggas[near]) > 2.0 or (int(r["quality"]), int(r["satellites"]), float(r["altitude"])) \
                != ggas[near][2:] or float(r["dop"]) not in pdops:
            problems.append(f"reading at tick {r['tick']}: {p} {r['quality']} {r['satellites']} "
                            f"{r['altitude']} {r['dop']} is off the sent positions")
            break
    return problems
