#!/usr/bin/env python3
"""The instrument serial link under Wine: build/drivers/serial_probe_driver.exe
runs the program's openers, probe, readers and watchdog on a COM port mapped
to a pseudo-terminal, with the EM61-MK2 simulator or a scripted instrument.
"""
import os
import sys
import threading
import time

from qorharness import QOR_EXE, Checks, HarnessError, Session, align, frame_faults, reader_records, wait_for

T = Checks("test_serial_link")
DRIVER = os.path.join(os.path.dirname(QOR_EXE), "drivers", "serial_probe_driver.exe")
LINE_MAX_FRAMES_PER_S = 64          # 960 bytes/s at 9600 baud, 15-byte frames


def run_driver(s, port_device, *args, port=5, answer_box=None):
    """Runs the driver once; returns its result lines as a dict."""
    out = s.path("result.txt")
    if os.path.exists(out):
        os.remove(out)
    app = s.start(exe=DRIVER, com={port: port_device},
                  args=["--out", "result.txt", "--port", str(port), *args])
    if answer_box:
        s.answer(answer_box, "Return")
    code = app.wait(90)
    if not os.path.exists(out):
        with open(app.log_path, errors="replace") as f:
            log = f.read()[-1500:]
        raise HarnessError(f"the driver left no result (exit code {code}); launcher log: {log}")
    with open(out) as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


def delivered(s):
    with open(s.path("frames.txt")) as f:
        return [bytes.fromhex(line.strip()) for line in f if line.strip()]


def end_of(got, sim):
    """Index in the frames sent after the last of got when got are sent
    frames in order (the harness's matching); else None."""
    at = align(got, sim.frames())
    return at[-1] + 1 if at else None


class ScriptedInstrument:
    """Answers each probe pair with fixed bytes and records each byte from
    the logger with the interval in which it arrived."""

    def __init__(self, pty, answer):
        self.pty, self.answer, self.received, self.running = pty, answer, [], True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            data, span = self.pty.read_timed(0.005)
            for b in data:
                self.received.append((span, b))
                if b in b"XW" and self.answer:
                    self.pty.write(self.answer)

    def stop(self):
        self.running = False
        self.thread.join()


def probe_timing(received):
    """The pairs, and the least and most time inside each and from one to the
    next; None when a busy machine kept an arrival interval over 25 ms."""
    pairs = [(received[i], received[i + 1]) for i in range(0, len(received) - 1, 2)]
    if any(hi - lo > 0.025 for (lo, hi), _ in received):
        return None
    between = lambda a, b: (round((b[0][0] - a[0][1]) * 1000), round((b[0][1] - a[0][0]) * 1000))
    return ([bytes([a[1], b[1]]) for a, b in pairs], [between(a, b) for a, b in pairs],
            [between(a, b) for (a, _), (b, _) in zip(pairs, pairs[1:])])


def probe_answers_byte_by_byte():
    cases = [(b"\x13\xa5OK", "1", "1", "two stray bytes, then OK"), (b"O\x01K", "1", "1", "O, another byte, K"),
             (b"KOV", "1", "0", "a lone K, then OV")] + [(b"K", "0", "-1", "K alone is no answer")] * 4
    with Session("serial-probe-scripted") as s:
        for answer, probe, polled, what in cases:
            pty = s.open_pty()
            inst = ScriptedInstrument(pty, answer)
            r = run_driver(s, pty.path)
            inst.stop()
            T.check(r.get("probe") == probe and r.get("polled_mode") == polled,
                    f"probe: {what}: answered {r.get('probe')}, PolledMode {r.get('polled_mode')}")
            timing = probe_timing(inst.received) if answer == b"K" else None
            if timing:      # the unanswered probe, timed as closely as the machine allows
                break
        T.check(timing and timing[0] == [b"HX"] * 3 and all(hi >= 38 and lo <= 500 for lo, hi in timing[1])
                and all(hi >= 950 for lo, hi in timing[2]),
                f"probe: three 'H','X' pairs 40 ms apart inside, a window apart (least, most ms: {timing})")


def openers():
    """Line settings each opener leaves on the port, as Wine reads them back;
    a port above 9 by its "COMn:" name; the GPS opener's message on failure."""
    with Session("serial-openers") as s:
        pty = s.open_pty()
        r = run_driver(s, pty.path, "--opener", "instrument", port=10)
        T.check(r.get("open") == "1" and (r.get("baud"), r.get("stop")) == ("9600", "0")
                and (r.get("outx"), r.get("inx"), r.get("ctsflow"), r.get("dsrflow")) == ("0",) * 4
                and r.get("timeouts") == "4294967295,1000,1000,0,0",
                f"opener: \"COM10:\" at 9600 baud, one stop bit, no flow control, time-outs {r.get('timeouts')}")
        # A pseudo-terminal keeps baud rate, stop bits and XON/XOFF but always
        # reports 8 data bits without parity, so those two are not compared.
        cases = [("gps", "2,0,1,1", ("19200", "2", "1", "1")),
                 ("gps", "6,9,3,2", ("19200", "2", "1", "1")),    # indexes off the table: left as found
                 ("gps", "5,1,2,0", ("115200", "0", "1", "1"))]
        for opener, fmt, want in cases:
            r = run_driver(s, pty.path, "--opener", opener, "--format", fmt, port=10)
            got = tuple(r.get(k) for k in ("baud", "stop", "outx", "inx"))
            # Writes are bounded: a receiver's XOFF must not hang a Send.
            T.check(r.get("open") == "1" and got == want and r.get("timeouts") == "10,0,10,10,1000",
                    f"opener: {opener} with {fmt}: baud, stop, XON/XOFF {got}, time-outs {r.get('timeouts')}")
        # A port that cannot be opened (a folder stands in for the missing
        # device): the GPS opener tells the operator itself.
        r = run_driver(s, s.root, "--opener", "gps", port=7, answer_box="Serial Port")
        T.check(r.get("open") == "0" and r.get("handle_closed") == "1",
                "opener: a missing GPS port is told, returns 0 and leaves the handle closed")


def stream_reader_at_line_speed():
    """Every frame the line carried at full speed is handed over, unaltered
    and in order, up to the close; the reader falls behind the line by less
    than two seconds of line (the simulator's frame times give the line's
    real speed, also when the machine is busy)."""
    with Session("serial-stream") as s:
        sim = s.start_em61sim("--mode", "stream", "--rate-h", str(LINE_MAX_FRAMES_PER_S))
        r = run_driver(s, sim.path, "--reader", "auto", "--seconds", "8", "--frames", "frames.txt")
        frames, got = sim.frames(), delivered(s)
        sent = [f[2][:14] for f in frames]
        line_rate = (len(frames) - 1) / max((frames[-1][1] - frames[0][1]) / 1e6, 1e-3) if frames else 0
        T.check(len(got) > 100 and got == sent[:len(got)] and len(sent) - len(got) < 2 * line_rate,
                f"stream: no frame lost or altered ({len(got)} of {len(sent)} handed over by the close, "
                f"the line at {line_rate:.1f} frames/s)")
        T.check(r.get("phase") == "1" and abs(float(r.get("ref_average", "0")) - 3000) < 60,
                f"stream: normalised and decoded (reference average {r.get('ref_average')})")
        T.check(r.get("reader_ended") == "1", f"stream: the reader ends at the close ({r.get('reader_end_ms')} ms)")


def stream_reader_with_line_faults():
    """Garbage between frames, unknown letters and 0x7F 0x7F inside the data:
    what is handed over is exactly what the reader's rules cut from the bytes
    the simulator wrote, up to the close. (Readings nobody sent would show in
    that cut too; the message lists any.)"""
    with Session("serial-faults") as s:
        sim = s.start_em61sim("--mode", "stream", "--rate-h", "40", "--garbage-every", "3",
                              "--unknown-every", "7", "--embedded7f-every", "5")
        r = run_driver(s, sim.path, "--reader", "auto", "--seconds", "8", "--frames", "frames.txt")
        got, sent = delivered(s), {f[2][:14] for f in sim.frames()}
        raw = sim.sent_bytes()                     # the reader starts after the probe's "OV"
        want = reader_records(raw[raw.find(b"OV") + 2:])
        unsent = [f.hex() for f in want if f not in sent]
        T.check(len(got) > 30 and got == want[:len(got)] and len(want) - len(got) < 2 * 40,
                f"faults: {len(got)} frames handed over, as cut from the bytes sent ({len(want)} by the "
                f"rules; {len(sent)} sent); readings nobody sent: {unsent}")
        refused, inner = frame_faults([f[2] for f in sim.frames()[:len(got)]])
        T.check(refused > 0 and inner > 0 and r.get("reconnects") == "0" and r.get("reader_ended") == "1",
                f"faults: the run had {refused} unknown letters and {inner} pairs inside the data, "
                "no reconnection, and ended cleanly")


def stream_reconnect():
    """The instrument falls silent for 2.5 s: the watchdog reconnects (closes,
    reopens, probes, starts a new reader). The old reader must not read on
    beside its successor (Wine does not abort its pending ReadFile)."""
    with Session("serial-reconnect") as s:
        sim = s.start_em61sim("--mode", "stream", "--rate-h", "20")
        def fall_silent():
            wait_for(lambda: sim.stats().get("probes") == "1", 60, 0.1)
            time.sleep(2.0)
            sim.control("silent 2500")        # one 1 s watchdog tick at least
        silence = threading.Thread(target=fall_silent, daemon=True)
        silence.start()
        r = run_driver(s, sim.path, "--reader", "auto", "--seconds", "8", "--frames", "frames.txt")
        silence.join()
        sent, got = [f[2][:14] for f in sim.frames()], delivered(s)
        T.check(r.get("reconnects") == "1", f"reconnect: one reconnection ({r.get('reconnects')})")
        # Frames sent while the port is closed and probed are lost; after
        # that reading runs on unbroken to the end.
        end = end_of(got, sim)
        T.check(end is not None and end >= len(sent) - 4 and got[-20:] == sent[end - 20:end],
                f"reconnect: only sent frames arrive, in order, unbroken after the reconnection "
                f"({len(sent) - len(got)} of {len(sent)} lost around it)")


if __name__ == "__main__":
    if not os.path.exists(DRIVER):
        print(f"FAIL driver not built: {DRIVER}")
        sys.exit(1)
    sys.exit(T.run(probe_answers_byte_by_byte, openers,
                   stream_reader_at_line_speed, stream_reader_with_line_faults, stream_reconnect))
