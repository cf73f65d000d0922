#!/usr/bin/env python3
"""The instrument serial link under Wine: probe and reader threads.

Runs build/drivers/serial_probe_driver.exe (OpenInstrumentPort,
ProbeInstrument('H', 'X', 0), then the polled or stream reader into a hidden
stand-in for the logging window) on COM5, which $WINEPREFIX/dosdevices/com5
points at a pseudo-terminal. The other side of the terminal is either the
EM61-MK2 simulator (tools/bin/em61sim) or, for the exact byte sequences of
the probe's edge cases, a scripted instrument in this file.

Prints the sustained stream rate and the CPU use of the stream reader.
Exit code 0 when every check passes.
"""
import os
import pty
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty

from qorharness import HarnessError, Xvfb, init_wineprefix, wine_env

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIM = os.path.join(REPO, "tools", "bin", "em61sim")
PORT = 5
LINE_MAX_FRAMES_PER_S = 64          # 960 bytes/s at 9600 baud, 15-byte frames
POLLED_LETTERS = set(b"TDEFMNPQ")
STREAM_LETTERS = set(b"TDEFMNPQJKjk")
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")

failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def driver_path():
    if os.environ.get("QOR_EXE"):
        return os.path.join(os.path.dirname(os.environ["QOR_EXE"]), "drivers",
                            "serial_probe_driver.exe")
    return os.path.join(REPO, "build", "drivers", "serial_probe_driver.exe")


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


def cpu_seconds(pid):
    """utime + stime of a process from /proc, in seconds (None if gone)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS
    except OSError:
        return None


def find_pids(name, prefix):
    """Processes whose command line holds `name`, of our Wine prefix only."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                if name.encode() not in f.read():
                    continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix.encode() + b"\0" in f.read():
                    pids.append(int(entry))
        except OSError:
            pass
    return pids


class Session:
    """Wine prefix, one persistent wineserver and a private X display."""

    def __init__(self):
        # A prefix of this test's own: its wineserver is killed at the end
        # and its com5 link is ours to repoint.
        base = os.environ.get("QOR_WINEPREFIX") or os.path.join(REPO, ".wineprefix")
        self.env = wine_env(base.rstrip("/") + "-serial")
        init_wineprefix(self.env["WINEPREFIX"])
        subprocess.run(["wineserver", "-p"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.link = os.path.join(self.env["WINEPREFIX"], "dosdevices", f"com{PORT}")
        self.xvfb = None
        try:
            self.xvfb = Xvfb("640x480").start()
        except HarnessError:
            self.close()
            raise
        self.env["DISPLAY"] = self.xvfb.display

    def point_port_at(self, slave):
        if os.path.lexists(self.link):
            os.remove(self.link)
        os.symlink(slave, self.link)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.stop()
        if os.path.lexists(self.link):
            os.remove(self.link)


class Driver:
    """One run of the driver; results are the key=value lines it wrote."""

    def __init__(self, session, workdir, name, *args):
        self.out = os.path.join(workdir, name + ".txt")
        self.frames = os.path.join(workdir, name + ".frames")
        for p in (self.out, self.frames):
            if os.path.exists(p):
                os.remove(p)
        cmd = ["wine", driver_path(), "--port", str(PORT), "--out", wine_path(self.out),
               "--frames", wine_path(self.frames), *args]
        self.proc = subprocess.Popen(cmd, env=session.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def wait(self, timeout=60):
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        result = {}
        if os.path.exists(self.out):
            with open(self.out) as f:
                for line in f:
                    k, _, v = line.strip().partition("=")
                    result[k] = v
        return result

    def delivered(self):
        if not os.path.exists(self.frames):
            return []
        with open(self.frames) as f:
            return [bytes.fromhex(line.strip()) for line in f if line.strip()]


def run_driver(session, workdir, name, *args, timeout=60):
    return Driver(session, workdir, name, *args).wait(timeout)


class Simulator:
    def __init__(self, workdir, *args):
        self.sock_path = os.path.join(workdir, "sim.sock")
        self.frame_log = os.path.join(workdir, "sim-frames.log")
        for p in (self.sock_path, self.frame_log):
            if os.path.exists(p):
                os.remove(p)
        self.proc = subprocess.Popen([SIM, "--control", self.sock_path, "--frame-log",
                                      self.frame_log, "--seed", "3", *args],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        first = self.proc.stdout.readline().split()
        assert len(first) == 2 and first[0] == "PTY", first
        self.slave = first[1]

    def control(self, command):
        for _ in range(100):
            try:
                with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                    s.connect(self.sock_path)
                    s.sendall((command + "\n").encode())
                    return s.makefile("r").readline().strip()
            except OSError:
                time.sleep(0.02)
        return ""

    def stats(self):
        return dict(w.split("=", 1) for w in self.control("stats").split()[1:] if "=" in w)

    def frames(self):
        """Frames put on the wire: the 14 bytes a reader hands over."""
        with open(self.frame_log) as f:
            return [bytes.fromhex(line.split()[2])[:14] for line in f if line.strip()]

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write("quit\n")
                self.proc.stdin.flush()
                self.proc.wait(3)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()


class ScriptedInstrument:
    """A pseudo-terminal that answers each probe pair with fixed bytes and
    records when every byte from the logger arrived."""

    def __init__(self, answer):
        self.master, self.slave_fd = pty.openpty()
        tty.setraw(self.slave_fd)           # no echo before Wine sets the line up
        self.slave = os.ttyname(self.slave_fd)
        self.answer = answer
        self.received = []                  # (seconds, byte)
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            try:
                data = os.read(self.master, 64)
            except OSError:
                continue
            now = time.monotonic()
            for b in data:
                self.received.append((now, b))
                if b in b"XW" and self.answer:
                    os.write(self.master, self.answer)

    def stop(self):
        self.running = False
        self.thread.join()
        os.close(self.master)
        os.close(self.slave_fd)


# ---- the probe ----------------------------------------------------------------

def test_probe_against_simulator(session, workdir):
    for mode, polled in (("polled", "1"), ("stream", "0")):
        sim = Simulator(workdir, "--mode", mode)
        session.point_port_at(sim.slave)
        r = run_driver(session, workdir, "probe-" + mode)
        check(r.get("open") == "1" and r.get("probe") == "1",
              f"probe answered by a {mode} instrument ({r.get('probe_ms')} ms)")
        check(r.get("polled_mode") == polled, f"{mode}: PolledMode = {polled} (got {r.get('polled_mode')})")
        sim.stop()

    sim = Simulator(workdir, "--no-answer")
    session.point_port_at(sim.slave)
    r = run_driver(session, workdir, "probe-silent")
    ms = int(r.get("probe_ms", "0"))
    check(r.get("probe") == "0", "an instrument that does not answer: probe returns 0")
    check(2900 <= ms <= 10000, f"the unanswered probe gives up after three windows ({ms} ms)")
    check(r.get("polled_mode") == "-1", "an unanswered probe leaves PolledMode alone")
    check(sim.stats().get("probes_received") == "3", "the pair was sent three times "
          f"(simulator saw {sim.stats().get('probes_received')})")
    sim.stop()


def test_probe_answers_byte_by_byte(session, workdir):
    cases = [
        (b"\x13\xa5OK", "1", "1", "two stray bytes, then OK"),
        (b"O\x01K", "1", "1", "O, another byte, then K"),
        (b"KOV", "1", "0", "a lone K, then OV"),
        (b"K", "0", "-1", "K alone is no answer"),
    ]
    for answer, probe, polled, what in cases:
        inst = ScriptedInstrument(answer)
        session.point_port_at(inst.slave)
        r = run_driver(session, workdir, "probe-scripted")
        inst.stop()
        check(r.get("probe") == probe and r.get("polled_mode") == polled,
              f"{what}: probe {r.get('probe')}, PolledMode {r.get('polled_mode')}")
        if probe == "0":
            sent = inst.received
            pairs = [(sent[i], sent[i + 1]) for i in range(0, len(sent) - 1, 2)]
            check([bytes([a[1], b[1]]) for a, b in pairs] == [b"HX"] * 3,
                  f"three 'H','X' pairs sent (got {bytes(b for _, b in sent)!r})")
            gaps = [round((b[0] - a[0]) * 1000) for a, b in pairs]
            check(all(38 <= g <= 250 for g in gaps), f"40 ms between the two characters ({gaps} ms)")
            starts = [a[0] for a, _ in pairs]
            apart = [round((b - a) * 1000) for a, b in zip(starts, starts[1:])]
            check(all(g >= 950 for g in apart), f"attempts at least a window apart ({apart} ms)")


# ---- the openers ----------------------------------------------------------------

def test_openers(session, workdir):
    """Line settings each opener leaves on the port, as Wine reads them back;
    a port above 9 by its "COMn:" name; the GPS opener's message on failure."""
    inst = ScriptedInstrument(b"")
    high = os.path.join(session.env["WINEPREFIX"], "dosdevices", "com10")
    if os.path.lexists(high):
        os.remove(high)
    os.symlink(inst.slave, high)
    try:
        r = run_driver(session, workdir, "open-instrument", "--opener", "instrument", "--port", "10")
        check(r.get("open") == "1", "Settings.InstrumentPort 9 opens \"COM10:\"")
        check((r.get("baud"), r.get("stop")) == ("9600", "0"),
              f"instrument line 9600 baud, one stop bit ({r.get('baud')}, {r.get('stop')})")
        check((r.get("outx"), r.get("inx"), r.get("ctsflow"), r.get("dsrflow")) == ("0", "0", "0", "0"),
              "instrument line without flow control")
        check(r.get("timeouts") == "4294967295,1000,1000,0,0", f"instrument time-outs ({r.get('timeouts')})")

        # A pseudo-terminal keeps baud rate, stop bits and XON/XOFF but always
        # reports 8 data bits without parity, so those two are not compared.
        cases = [
            ("gps", "2,0,1,1", ("19200", "2", "1", "1")),
            ("gps2", "6,9,3,2", ("19200", "2", "1", "1")),    # indexes off the table: left as found
            ("output", "5,1,2,0", ("115200", "0", "1", "1")),
            ("gps3", "0,1,0,0", ("4800", "0", "1", "1")),
        ]
        for opener, fmt, want in cases:
            r = run_driver(session, workdir, "open-" + opener, "--opener", opener, "--port", "10",
                           "--format", fmt)
            got = tuple(r.get(k) for k in ("baud", "stop", "outx", "inx"))
            check(r.get("open") == "1" and got == want, f"{opener} opener with format {fmt}: "
                  f"baud, stop, XON/XOFF out/in = {got}")
            check(r.get("timeouts") == "10,0,10,0,0", f"{opener} time-outs ({r.get('timeouts')})")
    finally:
        inst.stop()
        os.remove(high)

    # No such port: the GPS opener tells the operator itself.
    d = Driver(session, workdir, "open-missing", "--opener", "gps", "--port", "7")
    box = None
    for _ in range(100):
        found = subprocess.run(["xdotool", "search", "--name", "^Serial Port$"], env=session.env,
                               capture_output=True, text=True).stdout.split()
        if found:
            box = found[0]
            break
        time.sleep(0.1)
    check(box is not None, "\"Serial Port\" message box for a GPS port that cannot be opened")
    if box:
        subprocess.run(["xdotool", "windowfocus", "--sync", box], env=session.env, capture_output=True)
        subprocess.run(["xdotool", "key", "Return"], env=session.env, capture_output=True)
    r = d.wait(timeout=20)
    check(r.get("open") == "0" and r.get("handle_closed") == "1", "the failed opener returns 0 and "
          "leaves the handle INVALID_HANDLE_VALUE")


# ---- the readers ----------------------------------------------------------------

def contiguous_match(delivered, sent):
    """Index in `sent` where `delivered` starts as an unbroken run, or -1."""
    if not delivered:
        return -1
    for start in range(len(sent)):
        if sent[start] == delivered[0]:
            return start if sent[start:start + len(delivered)] == delivered else -1
    return -1


def test_polled_reader(session, workdir):
    sim = Simulator(workdir, "--mode", "polled")
    session.point_port_at(sim.slave)
    d = Driver(session, workdir, "polled", "--reader", "auto", "--seconds", "4", "--interval", "70")
    r = d.wait()
    sent, delivered = sim.frames(), d.delivered()
    frames = int(r.get("frames", "0"))
    check(r.get("reader") == "polled", "an OK answer runs the polled reader")
    check(frames >= 35, f"polled frames delivered at a 70 ms poll ({frames} in {r.get('run_ms')} ms)")
    check(r.get("poll_timeouts") == "0", "no request went unanswered")
    check(abs(int(r.get("requests", "0")) - frames) <= 1, f"one frame per request ({r.get('requests')} requests)")
    check(delivered == sent[:len(delivered)] and len(sent) - len(delivered) <= 1,
          f"the frames are the simulator's, in order ({len(delivered)} of {len(sent)})")
    check(r.get("reader_ended") == "1", f"the polled reader ends when the port closes ({r.get('reader_end_ms')} ms)")
    sim.stop()


def sample_cpu(session, seconds):
    """CPU seconds of the driver process and of the wineserver over a window."""
    pids = find_pids("serial_probe_driver.exe", session.env["WINEPREFIX"])
    servers = find_pids("wineserver", session.env["WINEPREFIX"])
    before = [cpu_seconds(p) for p in pids], [cpu_seconds(p) for p in servers]
    time.sleep(seconds)
    after = [cpu_seconds(p) for p in pids], [cpu_seconds(p) for p in servers]

    def delta(b, a):
        return sum(y - x for x, y in zip(b, a) if x is not None and y is not None)
    return delta(before[0], after[0]), delta(before[1], after[1])


def test_stream_reader_at_line_speed(session, workdir):
    sim = Simulator(workdir, "--mode", "stream", "--rate-h", str(LINE_MAX_FRAMES_PER_S))
    session.point_port_at(sim.slave)
    d = Driver(session, workdir, "stream", "--reader", "auto", "--seconds", "8")
    for _ in range(300):
        if os.path.exists(d.frames) and os.path.getsize(d.frames) > 0:
            break
        time.sleep(0.05)
    time.sleep(1.0)
    window = 5.0
    driver_cpu, server_cpu = sample_cpu(session, window)
    r = d.wait()
    sent, delivered = sim.frames(), d.delivered()
    run_s = int(r.get("run_ms", "1")) / 1000
    rate = len(delivered) / run_s
    start = contiguous_match(delivered, sent)
    check(r.get("reader") == "stream", "an OV answer runs the stream reader")
    check(start == 0, f"no frame lost or altered: delivered frames are the simulator's first "
          f"{len(delivered)} ({len(sent)} sent)")
    check(len(sent) - len(delivered) <= 4, f"only the frames in flight at the close are missing "
          f"({len(sent) - len(delivered)})")
    check(rate >= 0.97 * LINE_MAX_FRAMES_PER_S, f"sustained {rate:.1f} frames/s at 9600 baud")
    check(r.get("phase") == "1" and abs(float(r.get("ref_average", "0")) - 3000) < 60,
          f"normalised and decoded (reference average {r.get('ref_average')})")
    check(r.get("reader_ended") == "1", f"the stream reader ends after the port closes ({r.get('reader_end_ms')} ms)")
    print(f"MEASURE stream reader: {rate:.1f} frames/s over {run_s:.1f} s, {len(delivered)} of "
          f"{len(sent)} frames; CPU over {window:.0f} s: driver process {100 * driver_cpu / window:.1f} %, "
          f"wineserver {100 * server_cpu / window:.1f} % (GetProcessTimes for the reading period: "
          f"{r.get('cpu_ms')} ms of {r.get('run_ms')} ms)", flush=True)
    sim.stop()


def test_stream_reader_with_line_faults(session, workdir):
    """Garbage between frames, unknown letters and 0x7F 0x7F inside the data:
    the reader hands over only frames the simulator sent, in order, never a
    'Z' frame, and never loses a clean one. (A frame with the pair inside
    its data survives when nothing precedes it in the buffer.)"""
    sim = Simulator(workdir, "--mode", "stream", "--rate-h", "40", "--garbage-every", "3",
                    "--unknown-every", "7", "--embedded7f-every", "5")
    session.point_port_at(sim.slave)
    d = Driver(session, workdir, "stream-faults", "--reader", "auto", "--seconds", "4")
    r = d.wait()
    sent, delivered = sim.frames(), d.delivered()

    def has_inner_pair(f):
        return any(f[i] == 0x7F and f[i + 1] == 0x7F for i in range(1, 12))

    position, in_order = 0, True
    for f in delivered:
        while position < len(sent) and sent[position] != f:
            position += 1
        if position == len(sent):
            in_order = False
            break
        position += 1
    covered = sent[:position]
    clean = [f for f in covered if f[0] in STREAM_LETTERS and not has_inner_pair(f)]
    check(len(delivered) > 0 and in_order, f"delivered frames are sent frames, in order ({len(delivered)})")
    check(all(f[0] in STREAM_LETTERS for f in delivered), "no frame with an unknown letter handed over")
    check(all(f in delivered for f in clean), f"every clean frame delivered ({len(clean)} clean of "
          f"{len(covered)} sent)")
    check(len(sent) - position <= 4, f"reading went on to the end ({len(sent) - position} left)")
    check(any(f[0] == ord("Z") for f in covered) and any(has_inner_pair(f) for f in covered),
          "the run did contain faulty frames")
    check(r.get("reader_ended") == "1", "the reader still ends cleanly")
    sim.stop()


def test_stream_reconnect(session, workdir):
    """The instrument falls silent for 3 s: the watchdog's reconnect
    closes the port, reopens it, probes and starts a new stream reader. The
    old reader must end (Wine does not abort its pending ReadFile on close)
    and frames must flow again without a second reader stealing bytes."""
    sim = Simulator(workdir, "--mode", "stream", "--rate-h", "20")
    session.point_port_at(sim.slave)
    d = Driver(session, workdir, "reconnect", "--reader", "auto", "--seconds", "10", "--reconnect", "1")
    for _ in range(300):
        if os.path.exists(d.frames) and os.path.getsize(d.frames) > 0:
            break
        time.sleep(0.05)
    time.sleep(1.5)
    sim.control("silent 3000")
    r = d.wait()
    sent, delivered = sim.frames(), d.delivered()
    position, in_order = 0, True
    for f in delivered:
        while position < len(sent) and sent[position] != f:
            position += 1
        if position == len(sent):
            in_order = False
            break
        position += 1
    check(r.get("reconnects") == "1" and r.get("reconnect_probes_answered") == "1",
          f"one reconnect, its probe answered ({r.get('reconnects')}, {r.get('reconnect_probes_answered')})")
    check(r.get("old_readers_running") == "0", "the old reader ended before the run did")
    check(in_order, "after the reconnect only sent frames arrive, in order")
    missing = len(sent) - len(delivered)
    check(missing <= 4, f"frames lost around the reconnect: {missing} of {len(sent)}")
    check(r.get("reader_ended") == "1", "the new reader ends at the close")
    sim.stop()


def main():
    if not os.path.exists(driver_path()):
        print("driver not built:", driver_path())
        return 1
    if not os.path.exists(SIM):
        subprocess.run(["make", "--no-print-directory", "-C", os.path.join(REPO, "tools")], check=True)
    session = Session()
    try:
        with tempfile.TemporaryDirectory(prefix="qor-serial-") as workdir:
            test_probe_against_simulator(session, workdir)
            test_probe_answers_byte_by_byte(session, workdir)
            test_openers(session, workdir)
            test_polled_reader(session, workdir)
            test_stream_reader_at_line_speed(session, workdir)
            test_stream_reader_with_line_faults(session, workdir)
            test_stream_reconnect(session, workdir)
    finally:
        session.close()
    print(f"test_serial_link: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
