#!/usr/bin/env python3
"""Monitor GPS from the main menu, the simulated receiver on COM2: the list
fills with the receiver's lines and stands still while paused; Send puts
the command line on the wire; after the receiver's XOFF, Send says it
could not send instead of hanging, and after XON it gets through again.
Then GPS Port Setup by keys: Escape changes no byte of the configuration
file, Up and Return change its first line (GPS input) alone; Survey,
System and Logger Setup by their underlined letters; a total station's
monitor asks for its input first; and Logger Setup's reset deletes the
file and ends the program."""
import os
import sys
import time

from qorharness import Checks, Session, changed_lines, config_lines, wait_for

T = Checks("test_gps_monitor")
COMMAND = b"$PASHS,NME,POS,A,ON\r\n"


def list_pixels(s, label):
    """The rows of the list area (the upper part of the screen)."""
    img = s.screenshot(label)
    return img.data[3 * img.width * 12:3 * img.width * (img.height // 2)]


# Main-menu key, dialog, keys in it (the underlined letters reach a field,
# which then has all its text selected), and the lines OK changes.
SETUP_BY_KEYS = [
    ("s", "Survey Setup", ["alt+l", "type:L9", "alt+d", "Down"], {52: b"L9", 55: b"2"}),
    ("y", "System Setup", ["alt+x", "type:1.5", "alt+y", "type:-2"], {74: b"1.500000", 75: b"-2.000000"}),
    ("o", "Logger Setup", ["alt+u", "Down", "alt+a", "Up"], {4: b"1", 7: b"0"}),
]


def total_station_monitor(s, main):
    """GPS input on and NMEA Data "RTS Trimble" by their letters; Monitor
    GPS then asks which total-station input to show first."""
    wid = s.open_dialog(main, "g", "GPS Port Setup")
    s.key("alt+i", "Down", "alt+n", "End", window=wid)
    s.answer("GPS Port Setup", "Return")
    s.key("n", window=main)
    T.check(s.answer("Select RTS to Monitor", "Return"), "RTS Trimble: Monitor GPS asks for the RTS input first")
    s.key("x", window=main)


def monitor():
    with Session("gps-monitor", screen="320x240") as s:
        gps = s.start_gpssim("--type", 1, "--rate", 5, "--baud", 19200)
        s.put_file("KVTINI/Q61MK2CX.INI", config_lines({40: "2"}, gps=True))
        app = s.start(com={2: gps.path})
        main = s.wait_dialog("QOR")
        s.key("n", window=main)
        time.sleep(2.0)
        first = list_pixels(s, "listing")
        T.check(wait_for(lambda: list_pixels(s, "listing-on") != first, 20, 1.0, fail=False),
                "the receiver's lines are listed")
        s.key("p", window=main)
        # Two shots 1.5 s apart the same, once the pause has taken effect.
        shots = [list_pixels(s, "paused")]
        still = lambda: time.sleep(1.5) or shots.append(list_pixels(s, "still-paused")) or shots[-1] == shots[-2]
        T.check(wait_for(still, 20, 0, fail=False), "the list stands still while paused")
        s.key("g", window=main)
        s.key("s", window=main)
        s.answer("GPS Message", "Return")
        T.check(wait_for(lambda: COMMAND in gps.received(), 5, fail=False), "Send reaches the receiver")
        gps.control("xoff")
        time.sleep(0.5)
        s.key("s", window=main)
        s.answer("GPS Message", "Return")
        s.answer("WARNING", "Return", timeout=15)
        T.check(gps.received().count(COMMAND) == 1, "nothing sent while the receiver holds XOFF")
        gps.control("xon")
        time.sleep(0.5)
        s.key("s", window=main)
        s.answer("GPS Message", "Return")
        T.check(wait_for(lambda: gps.received().count(COMMAND) == 2, 5, fail=False), "after XON, Send works")

        s.key("x", window=main)
        time.sleep(1.0)
        config = s.path("KVTINI", "Q61MK2CX.INI")
        before = open(config, "rb").read()
        s.key("g", window=main)
        s.answer("GPS Port Setup", "Escape")
        T.check(open(config, "rb").read() == before, "GPS Port Setup: Escape changes no byte")
        s.key("Up", window=s.open_dialog(main, "g", "GPS Port Setup"))
        s.answer("GPS Port Setup", "Return")
        changed = changed_lines(before, open(config, "rb").read())
        T.check(changed == {37: b"0"}, f"Up, Return: GPS input off, nothing else ({changed})")

        s.check_config_edits(T.check, main, SETUP_BY_KEYS, config)
        total_station_monitor(s, main)

        # Logger Setup's "Reset to Default Settings", answered Yes.
        wid = s.open_dialog(main, "o", "Logger Setup")
        s.key(*["Tab"] * 8, "space", window=wid)
        s.answer("Reset to Default Settings", "y")
        T.check(app.wait(20) == 0 and not os.path.exists(config), "reset: file deleted, program ended")



def dead_port():
    """The receiver's side of the port goes away while the monitor lists:
    every read then fails at once, and the reader waits between them."""
    with Session("gps-monitor-dead", screen="320x240") as s:
        pty = s.open_pty()
        s.put_file("KVTINI/Q61MK2CX.INI", config_lines({40: "2"}, gps=True))
        app = s.start(com={2: pty.path})
        s.key("n", window=s.wait_window("^QOR$"))
        time.sleep(2.0)
        pty.close()
        before = s.cpu_seconds()
        time.sleep(5.0)
        used = s.cpu_seconds() - before
        T.check(used < 1.0, f"a port whose reads fail: {used:.2f} s of processor time in 5 s")
        app.kill()


if __name__ == "__main__":
    sys.exit(T.run(dead_port, monitor))
