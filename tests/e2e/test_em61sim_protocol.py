#!/usr/bin/env python3
"""EM61-MK2 simulator (tools/bin/em61sim) against the instrument protocol.

Talks to the simulator's pty the way the logger does (probe, 'A' requests,
streamed frames, wheel mode) and drives its faults over the control
channel. Linux only, no Wine. Exit code 0 when every check passes.
"""
import os
import select
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import time
import tty

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# EM61SIM may name another build (a sanitizer build, say).
SIM = os.environ.get("EM61SIM") or os.path.join(ROOT, "tools", "bin", "em61sim")
FAILURES = []
LETTERS = set(b"TDEFJjMNPQKk")


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        FAILURES.append(what)


def build_simulator():
    if os.environ.get("EM61SIM"):
        return
    sources = [os.path.join(ROOT, "tools", "em61sim", f)
               for f in os.listdir(os.path.join(ROOT, "tools", "em61sim"))]
    newest = max(os.path.getmtime(f) for f in sources)
    if not os.path.exists(SIM) or os.path.getmtime(SIM) < newest:
        subprocess.run(["make", "--no-print-directory", "-C", os.path.join(ROOT, "tools")], check=True)


class Sim:
    def __init__(self, workdir, *args):
        self.sock_path = os.path.join(workdir, "ctl.sock")
        self.link = os.path.join(workdir, "em61.tty")
        self.frame_log = os.path.join(workdir, "frames.log")
        cmd = [SIM, "--control", self.sock_path, "--link", self.link,
               "--frame-log", self.frame_log, "--seed", "7", "--exit-on-eof", *args]
        self.proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        first = self.proc.stdout.readline().split()
        assert len(first) == 2 and first[0] == "PTY", first
        self.slave = first[1]
        self.conn = None

    def control(self, command):
        """One command over a persistent socket connection; returns the answer line."""
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

    def reconnect(self):
        if self.conn:
            self.conn_file.close()
            self.conn.close()
        self.conn = None

    def stats(self):
        answer = self.control("stats").split()
        return {k: v for k, v in (w.split("=", 1) for w in answer[1:])}

    def stop(self):
        self.reconnect()
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        return self.proc.returncode


class Port:
    """The slave side, opened as Wine opens a COM port: raw, 9600 8N1."""

    def __init__(self, path):
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(self.fd)
        attrs = termios.tcgetattr(self.fd)
        attrs[4] = attrs[5] = termios.B9600
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def write(self, data):
        os.write(self.fd, data)

    def read_for(self, seconds):
        end = time.monotonic() + seconds
        data = b""
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return data
            if select.select([self.fd], [], [], left)[0]:
                try:
                    data += os.read(self.fd, 4096)
                except BlockingIOError:
                    pass

    def read_n(self, n, timeout):
        end = time.monotonic() + timeout
        data = b""
        while len(data) < n:
            left = end - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                break
            data += os.read(self.fd, n - len(data))
        return data

    def probe(self, first, second):
        """As the logger does: one character, 40 ms, the second; then look for
        'O' followed by 'K' or 'V' within 1 s (streamed bytes may come first)."""
        termios.tcflush(self.fd, termios.TCIOFLUSH)
        self.write(first)
        time.sleep(0.04)
        self.write(second)
        end = time.monotonic() + 1.0
        o_seen = False
        while time.monotonic() < end:
            b = self.read_n(1, end - time.monotonic())
            if b == b"O":
                o_seen = True
            elif b in (b"K", b"V"):
                if o_seen:
                    return b"O" + b
                o_seen = False
        return b""

    def request(self):
        termios.tcflush(self.fd, termios.TCIOFLUSH)
        t0 = time.monotonic()
        self.write(b"A")
        frame = self.read_n(15, 0.5)
        return frame, time.monotonic() - t0

    def close(self):
        os.close(self.fd)


def split_frames(data):
    """Cuts a byte stream at 0x7F 0x7F pairs the way the logger's readers do."""
    frames, buf = [], b""
    for b in data:
        buf += bytes([b])
        if len(buf) >= 15 and buf[-1] == 0x7F and buf[-2] == 0x7F:
            frames.append(buf[-15:])
            buf = b""
    return frames


def frame_is_valid(f):
    if len(f) != 15 or f[13:] != b"\x7f\x7f" or f[0] not in LETTERS:
        return False
    g = f[1]
    codes = [(g >> s) & 3 for s in (6, 4, 2, 0)]
    return 2 not in codes


def decode(f):
    """Channel mV as the logger computes them for group T, plus reference and volts."""
    g = f[1]
    div = {0: 1, 1: 10, 3: 100}
    raws = struct.unpack(">4hh", f[2:12])
    chans = [raws[i] * 4.8333 / div[(g >> (6 - 2 * i)) & 3] * 2 for i in range(4)]
    return chans, raws[4], f[12] / 6.66757


def test_polled(work):
    sim = Sim(work, "--mode", "polled", "--no-targets")
    try:
        check(os.path.islink(sim.link) and os.readlink(sim.link) == sim.slave, "--link points at the slave")
        port = Port(sim.link)
        check(port.request()[0] == b"", "no frame for 'A' before the instrument was probed")
        check(port.probe(b"H", b"X") == b"OK", "polled instrument answers HX with OK")

        frames, times = [], []
        for _ in range(8):
            f, dt = port.request()
            frames.append(f)
            times.append(dt)
        check(all(frame_is_valid(f) and f[0] == ord("T") for f in frames), "each 'A' gives one valid 'T' frame")
        check(min(times) >= 0.013, "a frame takes the line time of 15 bytes at 9600 baud (%.1f ms)" % (min(times) * 1000))
        check(port.read_for(0.2) == b"", "no frame without a request")
        values = [decode(f) for f in frames]
        check(all(15 < v[0][0] < 45 and 0 < v[0][3] < v[0][0] for v in values),
              "background decays from channel 1 to 4: %s" % [round(c, 1) for c in values[0][0]])
        check(all(abs(v[1] - 3000) < 30 and abs(v[2] - 12.4) < 0.2 for v in values),
              "reference near 3000 and battery near 12.4 V")

        # Marks: N marked frames, then a held trigger.
        sim.control("trigger 2")
        letters = bytes(port.request()[0][0] for _ in range(3))
        check(letters == b"MMT", "trigger 2 marks the next two frames (%r)" % letters)
        sim.control("trigger-press")
        held = bytes(port.request()[0][0] for _ in range(2))
        sim.control("trigger-release")
        check(held == b"MM" and port.request()[0][0] == ord("T"), "a held trigger marks frames until released")

        # One-shot faults.
        check(sim.control("unknown-letter") == "ok", "unknown-letter accepted")
        check(port.request()[0][0] == ord("Z") and port.request()[0][0] == ord("T"),
              "unknown-letter affects exactly the next frame")
        sim.control("embedded7f")
        f = port.request()[0]
        check(f[8:10] == b"\x7f\x7f" and f[13:] == b"\x7f\x7f", "embedded7f puts 0x7F 0x7F inside the data")
        sim.control("garbage 40")
        junk = port.read_n(40, 1.0)
        check(len(junk) == 40 and 0x7F not in junk, "garbage 40 sends 40 bytes with no terminator byte")

        # Silence: neither probes nor requests are answered, then both are.
        sim.control("silent 400")
        check(port.request()[0] == b"", "silent 400: a request in the silence gets nothing")
        check(frame_is_valid(port.request()[0]), "frames again once the silence is over")
        sim.control("silent-forever")
        check(port.probe(b"H", b"X") == b"", "silent-forever: the probe is not answered")
        sim.control("resume")
        check(port.probe(b"H", b"X") == b"OK", "resume: the probe is answered again")
        sim.control("no-answer")
        check(port.probe(b"L", b"X") == b"", "no-answer ignores the probe")
        sim.control("answer")
        check(port.probe(b"L", b"X") == b"OK", "answer restores the probe answer")

        # Client closes and reopens the port: nothing stale is delivered,
        # neither what it left unread nor what was sent while it was away.
        port.write(b"AA")
        time.sleep(0.1)
        port.close()
        sim.control("garbage 30")
        time.sleep(0.1)
        port = Port(sim.slave)
        check(port.read_for(0.3) == b"", "nothing left unread or sent while the port was closed arrives after reopening")
        check(frame_is_valid(port.request()[0]), "frames again after the port was reopened")

        last = port.request()[0]
        st = sim.stats()
        with open(sim.frame_log) as log:
            logged = [line.split() for line in log]
        check(int(st["frames"]) == len(logged) and [int(l[0]) for l in logged] == list(range(1, len(logged) + 1)),
              "frame log has one numbered line per frame sent (%d)" % len(logged))
        check(logged[-1][2] == last.hex(), "frame log lines hold the frame bytes")
        check(int(st["probes"]) == 3 and int(st["requests"]) >= 20, "stats counts probes and requests: %s" % st)
        port.close()
    finally:
        rc = sim.stop()
    check(rc == 0 and not os.path.lexists(sim.link) and not os.path.exists(sim.sock_path),
          "SIGTERM: exit 0, link and socket removed")


def test_stream_and_wheel(work):
    sim = Sim(work, "--mode", "stream", "--rate-h", "20", "--rate-l", "5")
    try:
        port = Port(sim.slave)
        check(port.probe(b"L", b"X") == b"OV", "streaming instrument answers LX with OV")
        data = port.read_for(2.0)
        frames = split_frames(data)
        check(8 <= len(frames) <= 12 and all(map(frame_is_valid, frames)), "L rate: ~10 frames in 2 s (%d)" % len(frames))
        check(port.probe(b"H", b"X") == b"OV", "H probe answered")
        frames = split_frames(port.read_for(2.0))
        check(37 <= len(frames) <= 42, "H rate 20/s: ~40 frames in 2 s (%d)" % len(frames))
        check(sim.control("rate 64") == "ok" and sim.control("rate 65").startswith("error"),
              "rate limited to the line maximum of 64 frames/s")
        frames = split_frames(port.read_for(2.0))
        check(120 <= len(frames) <= 130, "64 frames/s sustained for 2 s (%d)" % len(frames))
        with open(sim.frame_log) as log:
            logged = [line.split()[2] for line in log]
        # The log may already hold a frame still on its way to us.
        start = logged.index(frames[0].hex()) if frames[0].hex() in logged else -1
        check(start >= 0 and logged[start:start + len(frames)] == [f.hex() for f in frames],
              "frame log matches the bytes received")
        sim.control("rate 20")
        sim.control("letters E")
        frames = split_frames(port.read_for(0.5))
        check(frames and frames[-1][0] == ord("E") and abs(decode(frames[-1])[1] - 1800 * 1.047) < 30,
              "letters E: group E frames with a streamed reference near 1800 x 1.047")
        sim.control("letters T")

        # Wheel mode: frames only on wheel triggers.
        check(port.probe(b"H", b"W") == b"OV", "HW enters wheel mode, answered OV")
        frames = split_frames(port.read_for(1.0))
        check(4 <= len(frames) <= 6, "walking with the wheel: ~5 frames/s (%d)" % len(frames))
        sim.control("halt")
        port.read_for(0.1)
        check(port.read_for(0.5) == b"", "no wheel frames while standing")
        d0 = float(sim.stats()["distance"])
        sim.control("wheel 3")
        frames = split_frames(port.read_for(0.3))
        d1 = float(sim.stats()["distance"])
        check(len(frames) == 3 and abs(d1 - d0 - 0.6) < 1e-6, "wheel 3: three frames, 0.6 m")
        sim.control("walk")
        check(port.probe(b"H", b"X") == b"OV", "HX leaves wheel mode")
        frames = split_frames(port.read_for(1.0))
        check(17 <= len(frames) <= 22, "streaming again after wheel mode (%d)" % len(frames))

        # Control channel: sequential connections, bad commands, mode switch.
        sim.reconnect()
        check(sim.control("bogus").startswith("error"), "unknown command answered with error")
        check(sim.control("garbage x").startswith("error"), "bad argument answered with error")
        sim.reconnect()
        check(sim.control("mode polled") == "ok", "a second connection is served")
        check(port.probe(b"H", b"X") == b"OK", "mode polled: the next probe answers OK")

        # The line goes away and comes back on a new pty.
        check(sim.control("close") == "ok", "close accepted")
        gone = False
        try:
            gone = os.read(port.fd, 100) == b""
        except OSError:
            gone = True
        check(gone, "after close the client sees a hangup")
        port.close()
        answer = sim.control("reopen")
        check(answer.startswith("ok /dev/pts/") and os.readlink(sim.link) == answer.split()[1],
              "reopen makes a new pty and moves the link")
        port = Port(sim.link)
        check(port.probe(b"H", b"X") == b"OK", "the new line answers")
        port.close()
        check(sim.control("quit") == "ok", "quit accepted")
        sim.proc.wait(5)
        check(sim.proc.returncode == 0, "quit exits with 0")
    finally:
        sim.stop()


def main():
    build_simulator()
    out = os.environ.get("QOR_TEST_OUT")
    if out:
        os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="em61sim-", dir=out or None) as work:
        t0 = time.monotonic()
        test_polled(work)
        test_stream_and_wheel(work)
        print("%.1f s" % (time.monotonic() - t0))
    if FAILURES:
        print("%d check(s) failed" % len(FAILURES))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
