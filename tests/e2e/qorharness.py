"""Helpers for the end-to-end tests: the real program under Wine on a private
X server, driven by keystrokes, watched through screenshots, talking to
simulated instruments over pseudo-terminals.

    from qorharness import Session

    with Session("startup") as s:            # Xvfb, Wine prefix, temp root
        gps = s.open_pty()                   # simulated receiver's end
        app = s.start(screen="240x320", com={2: gps.path}, uptime_ms=3600000)
        box = s.wait_window("WARNING", timeout=30)
        s.key("Return", window=box)
        shot = s.screenshot("after-warning")
        assert shot.pixel(10, 10) == (192, 192, 192)
        assert app.wait(timeout=30) == 0

Everything started here is stopped when the session ends, also on failure
or when CTest kills the test (SIGTERM): the program, the Wine server of the
session's prefix (wineserver -k), the X server, the pseudo-terminals.

Standard library only. Environment:
  QOR_EXE             program (default build/qor.exe)
  QOR_TEST_OUT        screenshots and logs (default build/test-output)
  QOR_E2E_WINEPREFIX  Wine prefix of the end-to-end tests (default: the
                      QOR_WINEPREFIX or .wineprefix path with "-e2e" added,
                      kept apart so that wineserver -k spares other tests)
  QOR_WINEDEBUG       Wine debug channels (default -all)
  QOR_KEEP_ROOT       set to keep each test's root directory
"""

import atexit
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import time
import tty
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TOOLS = os.path.join(REPO, "tools")
QOR_EXE = os.environ.get("QOR_EXE") or os.path.join(REPO, "build", "qor.exe")
OUT_DIR = os.environ.get("QOR_TEST_OUT") or os.path.join(REPO, "build", "test-output")


class HarnessError(AssertionError):
    """A test step failed; the message says what was expected and what was seen."""


def wait_for(predicate, timeout, interval=0.1, what="condition"):
    """Polls predicate() until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def e2e_wineprefix():
    explicit = os.environ.get("QOR_E2E_WINEPREFIX")
    if explicit:
        return explicit
    base = os.environ.get("QOR_WINEPREFIX") or os.path.join(REPO, ".wineprefix")
    return base.rstrip("/") + "-e2e"


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

def free_display():
    for n in list(range(100 + os.getpid() % 300, 1000)) + list(range(100, 400)):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return f":{n}"
    raise HarnessError("no free X display number")


class Xvfb:
    """A private X server; a context manager. .display is ":N"."""

    def __init__(self, size="240x320", display=None):
        self.size = size
        self.display = display
        self.proc = None

    def start(self, timeout=10):
        for _ in range(5):
            display = self.display or free_display()
            self.proc = subprocess.Popen(
                ["Xvfb", display, "-screen", "0", f"{self.size}x24", "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline and self.proc.poll() is None:
                if os.path.exists(f"/tmp/.X11-unix/X{display[1:]}") and subprocess.run(
                        ["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
                    self.display = display
                    return self
                time.sleep(0.05)
            self.stop()
            if self.display:
                break
        raise HarnessError(f"could not start Xvfb ({self.size})")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class X:
    """xdotool and ImageMagick on one display."""

    def __init__(self, display):
        self.display = display
        self.env = dict(os.environ, DISPLAY=display)

    def _run(self, args, check=True, timeout=20):
        r = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=timeout)
        if check and r.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed ({r.returncode}): {r.stderr.decode(errors='replace').strip()}")
        return r.stdout.decode(errors="replace")

    def search(self, name, visible=True):
        """Ids of windows whose title matches the regular expression name."""
        args = ["xdotool", "search"] + (["--onlyvisible"] if visible else []) + ["--name", name]
        return [int(w) for w in self._run(args, check=False).split()]

    def window_name(self, wid):
        return self._run(["xdotool", "getwindowname", str(wid)], check=False).rstrip("\n")

    def window_geometry(self, wid):
        """(x, y, width, height) of a window, x and y on the screen."""
        out = self._run(["xdotool", "getwindowgeometry", "--shell", str(wid)], check=False)
        v = dict(line.split("=", 1) for line in out.split() if "=" in line)
        try:
            return int(v["X"]), int(v["Y"]), int(v["WIDTH"]), int(v["HEIGHT"])
        except KeyError:
            raise HarnessError(f"window {wid} has gone")

    def titles(self):
        """Titles of all visible windows, for failure messages."""
        names = []
        for wid in self.search(".", visible=True):
            n = self.window_name(wid)
            if n and n != "Default IME":
                names.append(n)
        return names

    def key(self, *keys, window=None, delay_ms=50):
        """Presses keys (xdotool names: Return, Escape, F1, alt+l, Down...).
        With window, the keys go to that window (XSendEvent, which Wine
        accepts); without, to the window that has the focus. Keys after one
        that closes the window are lost: send those in a separate call."""
        args = ["xdotool", "key", "--delay", str(delay_ms)]
        if window is not None:
            args += ["--window", str(window)]
        r = subprocess.run(args + list(keys), env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=20)
        if r.returncode != 0:
            why = r.stderr.decode(errors="replace")
            if "BadWindow" in why and window is not None:
                # A key that closes its window (Return in a message box)
                # leaves the key release without a target: that is success.
                if window not in self.search(".", visible=False):
                    return
                raise HarnessError(f"cannot send {keys} to window {window}: {why.strip()}")
            raise HarnessError(f"xdotool key {keys} failed: {why.strip()}")

    def type(self, text, window=None, delay_ms=30):
        args = ["xdotool", "type", "--delay", str(delay_ms)]
        if window is not None:
            args += ["--window", str(window)]
        self._run(args + ["--", text])

    def focus(self, wid):
        self._run(["xdotool", "windowfocus", "--sync", str(wid)], check=False)

    def click(self, x, y, button=1):
        """Clicks at screen coordinates."""
        self._run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)])

    def screenshot(self, path, window=None):
        """Saves the screen (or one window) as an 8-bit RGB PNG; returns an Image."""
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        target = "root" if window is None else str(window)
        self._run(["import", "-window", target, "PNG24:" + path], timeout=30)
        return Image.load(path)


# ------------------------------------------------------------------ PNG --

class Image:
    """A decoded PNG (non-interlaced, 8-bit grey, RGB, RGBA or palette up to
    8 bits). pixel(x, y) gives (r, g, b)."""

    def __init__(self, width, height, rows, path=None):
        self.width, self.height, self.rows, self.path = width, height, rows, path

    @classmethod
    def load(cls, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise HarnessError(f"{path} is not a PNG file")
        pos, idat, palette, trns = 8, [], None, None
        while pos < len(data):
            length, kind = struct.unpack(">I4s", data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            pos += 12 + length
            if kind == b"IHDR":
                width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            elif kind == b"PLTE":
                palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
            elif kind == b"IDAT":
                idat.append(body)
            elif kind == b"IEND":
                break
        if interlace:
            raise HarnessError(f"{path}: interlaced PNG not supported")
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
        if depth != 8 and not (ctype in (0, 3) and depth in (1, 2, 4)):
            raise HarnessError(f"{path}: PNG bit depth {depth} with colour type {ctype} not supported")
        raw = zlib.decompress(b"".join(idat))
        bits = channels * depth
        stride = (width * bits + 7) // 8
        bpp = max(1, bits // 8)
        rows, prev, i = [], bytearray(stride), 0
        for _ in range(height):
            ftype, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
            i += 1 + stride
            for x in range(stride):
                a = line[x - bpp] if x >= bpp else 0
                b = prev[x]
                c = prev[x - bpp] if x >= bpp else 0
                if ftype == 1:
                    line[x] = (line[x] + a) & 255
                elif ftype == 2:
                    line[x] = (line[x] + b) & 255
                elif ftype == 3:
                    line[x] = (line[x] + ((a + b) >> 1)) & 255
                elif ftype == 4:
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            prev = line
            if depth == 8:
                px = [tuple(line[x * channels:(x + 1) * channels]) for x in range(width)]
            else:
                per = 8 // depth
                mask = (1 << depth) - 1
                px = [((line[x // per] >> (8 - depth * (x % per + 1))) & mask,) for x in range(width)]
            if ctype == 3:
                row = [palette[p[0]] for p in px]
            elif ctype in (0, 4):
                scale = 255 // ((1 << depth) - 1)
                row = [(p[0] * scale,) * 3 for p in px]
            else:
                row = [p[:3] for p in px]
            rows.append(row)
        return cls(width, height, rows, path)

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise HarnessError(f"pixel ({x}, {y}) outside the {self.width}x{self.height} image {self.path}")
        return self.rows[y][x]

    def crop(self, x, y, w, h):
        return Image(w, h, [row[x:x + w] for row in self.rows[y:y + h]], self.path)

    def count(self, colour, box=None):
        """Number of pixels of exactly this (r, g, b) colour, in box (x, y, w, h)."""
        x0, y0, w, h = box or (0, 0, self.width, self.height)
        return sum(1 for row in self.rows[y0:y0 + h] for p in row[x0:x0 + w] if p == tuple(colour))

    def colours(self, box=None):
        """{(r, g, b): count} over the image or box."""
        x0, y0, w, h = box or (0, 0, self.width, self.height)
        hist = {}
        for row in self.rows[y0:y0 + h]:
            for p in row[x0:x0 + w]:
                hist[p] = hist.get(p, 0) + 1
        return hist


# --------------------------------------------------------------- serial --

class SerialPty:
    """A pseudo-terminal standing in for an instrument or a GPS receiver.
    The program opens .path (mapped to a COM port); the test reads and
    writes the other side. Raw mode: bytes pass unchanged."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.master)
        tty.setraw(self.slave)
        # Keeping the slave open here means the master never sees EOF or
        # EIO when the program closes and reopens the port.
        self.path = os.ttyname(self.slave)
        self.received = bytearray()

    def write(self, data):
        if isinstance(data, str):
            data = data.encode("ascii")
        view = memoryview(data)
        while view:
            _, w, _ = select.select([], [self.master], [], 5)
            if not w:
                raise HarnessError(f"{self.path}: nobody reads the port (write blocked 5 s)")
            n = os.write(self.master, view)
            view = view[n:]

    def read(self, timeout=0.0, max_bytes=65536):
        """Bytes the program sent, waiting up to timeout for the first."""
        r, _, _ = select.select([self.master], [], [], timeout)
        if not r:
            return b""
        try:
            data = os.read(self.master, max_bytes)
        except OSError:
            return b""
        self.received += data
        return data

    def read_until(self, pattern, timeout):
        """Reads until pattern (bytes or compiled regex of bytes) has arrived;
        returns all bytes read by this call."""
        got = bytearray()
        deadline = time.monotonic() + timeout
        while True:
            found = (re.search(pattern, got) if hasattr(pattern, "search") else pattern in got)
            if found:
                return bytes(got)
            left = deadline - time.monotonic()
            if left <= 0:
                raise HarnessError(f"{self.path}: expected {pattern!r} within {timeout} s, got {bytes(got)!r}")
            got += self.read(min(left, 0.2))

    def drain(self, quiet=0.2):
        """Discards what has arrived until the line has been quiet a moment."""
        while self.read(quiet):
            pass

    def line_settings(self):
        """(baud, data bits, parity, stop bits) the program has set."""
        iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(self.slave)
        speeds = {getattr(termios, n): int(n[1:]) for n in dir(termios) if re.fullmatch(r"B\d+", n)}
        size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
        parity = "N" if not cflag & termios.PARENB else ("O" if cflag & termios.PARODD else "E")
        return speeds.get(ospeed, ospeed), size, parity, 2 if cflag & termios.CSTOPB else 1

    def close(self):
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass
        self.master = self.slave = -1


# -------------------------------------------------------------- program --

class QorProcess:
    """The program started through tools/qor-run."""

    def __init__(self, session, argv, log_path, env):
        self.session = session
        self.log_path = log_path
        self.log = open(log_path, "wb")
        # Own process group: the whole launcher tree can be signalled at once.
        self.proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT, start_new_session=True)

    @property
    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout):
        """Waits for the program to end; returns its exit code. On timeout the
        screen is saved, the program killed and the test fails."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            shot = self.session.try_screenshot("exit-timeout")
            titles = self.session.try_titles()
            self.kill()
            raise HarnessError(f"program did not end within {timeout} s; windows {titles}; "
                               f"screenshot {shot}; launcher log {self.log_path}:\n{self.log_tail()}")

    def kill(self):
        if self.proc.poll() is None:
            # qor-run ends the Windows processes of its run on SIGTERM.
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                self.proc.wait(15)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
        self.log.close()

    def log_tail(self, lines=20):
        try:
            with open(self.log_path, "rb") as f:
                return b"\n".join(f.read().splitlines()[-lines:]).decode(errors="replace")
        except OSError:
            return ""


class Session:
    """One test's world: a private X server of the device's screen size, the
    end-to-end Wine prefix with a running Wine server, a fresh root directory,
    an output directory. A context manager; use one per test."""

    def __init__(self, name, screen="240x320", keep_root=None):
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name)
        self.screen = screen
        self.out_dir = os.path.join(OUT_DIR, self.name)
        self.prefix = e2e_wineprefix()
        self.env = wine_env(self.prefix)
        self.keep_root = bool(os.environ.get("QOR_KEEP_ROOT")) if keep_root is None else keep_root
        self.root = None
        self.xvfb = None
        self.x = None
        self.wineserver = None
        self.programs = []
        self.ptys = []
        self.helpers = []
        self._shots = 0
        self._closed = False

    # -- life cycle
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
            self.xvfb = Xvfb(self.screen, os.environ.get("QOR_TEST_DISPLAY")).start()
            self.env["DISPLAY"] = self.xvfb.display
            self.x = X(self.xvfb.display)
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
        for h in self.helpers:
            if h.poll() is None:
                h.terminate()
                try:
                    h.wait(5)
                except subprocess.TimeoutExpired:
                    h.kill()
                    h.wait()
        if self.wineserver is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            try:
                self.wineserver.wait(15)
            except subprocess.TimeoutExpired:
                self.wineserver.kill()
                self.wineserver.wait()
        if self.xvfb:
            self.xvfb.stop()
        for p in self.ptys:
            p.close()
        if self.root and not self.keep_root:
            shutil.rmtree(self.root, ignore_errors=True)

    # -- files in the device root
    def path(self, *parts):
        """A path under the device root ("KVTINI", "Q61MK2CX.INI")."""
        return os.path.join(self.root, *parts)

    def put_file(self, relpath, content):
        """Writes a file under the device root (str is written as ASCII with
        the line ends as given)."""
        full = self.path(*relpath.replace("\\", "/").split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(content.encode("ascii") if isinstance(content, str) else content)
        return full

    def find_files(self, pattern):
        """Files under the device root whose relative path matches the
        regular expression pattern (use / as separator)."""
        found = []
        for d, _, files in os.walk(self.root):
            for f in files:
                rel = os.path.relpath(os.path.join(d, f), self.root)
                if re.search(pattern, rel):
                    found.append(os.path.join(d, f))
        return sorted(found)

    # -- simulated devices and helpers
    def open_pty(self):
        p = SerialPty()
        self.ptys.append(p)
        return p

    def spawn(self, argv, log_name=None, **kw):
        """Starts a native helper (a simulator in tools/bin, socat...) that is
        ended with the session. Its output goes to a log in the output dir."""
        log = open(os.path.join(self.out_dir, (log_name or os.path.basename(argv[0])) + ".log"), "wb")
        p = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, **kw)
        log.close()
        self.helpers.append(p)
        return p

    # -- the program
    def start(self, screen=None, com=None, uptime_ms=3600000, exe=None, args=(), timeout=None):
        """Starts the program in the device root. com maps port numbers to
        device paths ({1: pty.path}). uptime_ms: the device's uptime at
        start (default one hour, well clear of the tick-count wrap).
        timeout: the launcher ends the program after that many seconds."""
        exe = exe or QOR_EXE
        screen = screen or self.screen
        sw, sh = (int(v) for v in screen.split("x"))
        xw, xh = (int(v) for v in self.screen.split("x"))
        if sw > xw or sh > xh:
            raise HarnessError(f"screen {screen} does not fit the session's X server ({self.screen}); "
                               f"pass screen= to Session")
        if not os.path.exists(exe):
            raise HarnessError(f"{exe} does not exist (make build)")
        argv = [os.path.join(TOOLS, "qor-run"), "--exe", exe, "--root", self.root,
                "--screen", screen, "--display", self.xvfb.display]
        for n, dev in sorted((com or {}).items()):
            argv += ["--com", f"{n}={dev}"]
        if uptime_ms is not None:
            argv += ["--uptime-ms", str(int(uptime_ms))]
        if timeout:
            argv += ["--timeout", str(int(timeout))]
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
            state = "still there" if gone else "not found"
            raise HarnessError(f"window {name!r} {state} after {timeout} s; windows on screen: "
                               f"{self.try_titles()}; screenshot {shot}; "
                               f"program running: {[p.running for p in self.programs]}")

    def wait_window_gone(self, name, timeout=30):
        self.wait_window(name, timeout, gone=True)

    def key(self, *keys, window=None, delay_ms=50):
        self.x.key(*keys, window=window, delay_ms=delay_ms)

    def type(self, text, window=None):
        self.x.type(text, window=window)

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


_handler_installed = False


def _install_sigterm_handler():
    # CTest ends a test that runs too long with SIGTERM; turn it into an
    # exception so that every context manager cleans up.
    global _handler_installed
    if _handler_installed:
        return
    _handler_installed = True

    def on_term(signum, frame):
        raise SystemExit(f"terminated by signal {signum}")
    signal.signal(signal.SIGTERM, on_term)
