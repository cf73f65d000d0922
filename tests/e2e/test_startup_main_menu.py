#!/usr/bin/env python3
"""Start-up and main menu of the real program, at four device screens.

For 240x320, 320x240, 480x640 and 800x480: the first start writes the
default configuration file byte for byte, the main window covers the
screen (the work area plus the task-bar strip), a second start exits with
-1 and makes no second main window, and the Exit key ends the program with
0. On the small screens the four setup keys open their dialogs and Escape
cancels them without touching the settings. Also: a device with a
"Storage" folder keeps its settings there, a corrupted
configuration file is reset, the highlight wraps from the first button to
"E&xit", and a start after 20 days of uptime stops with "PROGRAM STOP".
Screenshots of the main menu go to the test output directory.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from qorharness import QOR_EXE, REPO, HarnessError, Session, wait_for  # noqa: E402

FIXTURE = os.path.join(REPO, "tests", "e2e", "fixtures", "default_config.ini")
SECOND_COPY_EXIT = 255            # WinMain's -1 as the launcher reports it
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def settled(predicate, timeout):
    try:
        return wait_for(predicate, timeout)
    except HarnessError:
        return None


def expected_window(w, h):
    # Small screens draw the 240 x 320 (320 x 240) reference layout; larger
    # ones fill the screen: the work area ends 36 pixels above the bottom and
    # the main window reaches down over that task-bar strip.
    if max(w, h) < 400:
        return (240, 320) if w <= h else (320, 240)
    return (w, h)


def others(s, main):
    """Visible windows besides the main window and Wine's own."""
    return [x for x in s.windows(".") if x != main and
            s.x.window_name(x) not in ("Default IME", "qor - Wine desktop")]


def win(path):
    """Windows path of a Unix path, through drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def second_start(s, screen):
    """Starts a second copy on the same device screen and returns its exit
    code. (Joining a running virtual desktop, Wine's explorer returns at
    once, so the exit code is waited for here through a batch file.)"""
    rc = os.path.join(s.out_dir, "second-start.rc")
    bat = os.path.join(s.out_dir, "second-start.bat")
    if os.path.exists(rc):
        os.remove(rc)
    with open(bat, "w", newline="") as f:
        f.write(f'@echo off\r\nstart "" /wait "{win(QOR_EXE)}"\r\n'
                f'echo exit %ERRORLEVEL% >"{win(rc)}"\r\n')
    subprocess.run(["wine", "explorer", f"/desktop=qor,{screen}", "cmd", "/c", win(bat)],
                   env=dict(s.env, QOR_UPTIME_MS="3600000"), cwd=s.root,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)
    text = settled(lambda: os.path.exists(rc) and open(rc).read().strip(), 60)
    if not text or not text.startswith("exit "):
        return None
    return int(text.split()[1]) & 255


def check_setup_dialogs(s, label, main, config):
    """Each setup key opens a modal dialog over the menu; Escape cancels it.
    GPS Port Setup saves the settings, which must still be the defaults."""
    for key, name in (("s", "Survey Setup"), ("y", "System Setup"), ("o", "Logger Setup"),
                      ("g", "GPS Port Setup")):
        s.key(key, window=main)
        dialog = settled(lambda: others(s, main), 10)
        check(bool(dialog), f"{label}: '{key}' opens the {name} dialog")
        if not dialog:
            continue
        for _ in range(3):        # a dialog not yet active may miss the key
            s.key("Escape")
            if settled(lambda: not others(s, main), 3):
                break
        check(not others(s, main), f"{label}: Escape closes the {name} dialog")
    time.sleep(0.5)
    check(read_bytes(config) == read_bytes(FIXTURE), f"{label}: settings unchanged by cancelled dialogs")


def check_screen(w, h):
    label = f"{w}x{h}"
    with Session(f"startup-{label}", screen=label) as s:
        first = s.start()
        main = s.wait_window("^QOR$")
        config = s.path("KVTINI", "Q61MK2CX.INI")
        written = settled(lambda: os.path.exists(config) and read_bytes(config), 20)
        check(written == read_bytes(FIXTURE), f"{label}: configuration file equals the defaults")
        check(not os.path.exists(s.path("Storage")), f"{label}: no \"Storage\" folder left behind")
        x, y, ww, wh = s.x.window_geometry(main)
        desk = s.desktop_window()
        dx, dy = s.x.window_geometry(desk)[:2] if desk else (0, 0)
        check((x - dx, y - dy, ww, wh) == (0, 0) + expected_window(w, h),
              f"{label}: main window at 0,0 sized {expected_window(w, h)} (got {(x - dx, y - dy, ww, wh)})")
        time.sleep(1.0)           # let the buttons paint
        s.screenshot(f"main-menu-{label}")

        if max(w, h) < 400:
            check_setup_dialogs(s, label, main, config)

        code = second_start(s, label)
        check(code == SECOND_COPY_EXIT, f"{label}: second start exits with -1 (got {code})")
        check(len(s.windows("^QOR$")) == 1, f"{label}: still one main window")

        s.key("x", window=main)
        check(first.wait(30) == 0, f"{label}: \"E&xit\" key ends with exit code 0")


def check_storage_folder_and_highlight_wrap():
    """A device with a "Storage" folder keeps its settings in
    "Storage\\KVTINI". From the initial highlight ("&Survey Setup") Left
    twice reaches "E&xit"; Return runs it."""
    with Session("startup-storage-highlight", screen="320x240") as s:
        os.makedirs(s.path("Storage"))
        app = s.start()
        main = s.wait_window("^QOR$")
        config = s.path("Storage", "KVTINI", "Q61MK2CX.INI")
        written = settled(lambda: os.path.exists(config) and read_bytes(config), 20)
        check(written == read_bytes(FIXTURE), "with \"Storage\": defaults written to Storage\\KVTINI")
        check(not os.path.exists(s.path("KVTINI")), "with \"Storage\": no \\KVTINI folder made")
        time.sleep(1.0)
        s.key("Left", window=main)
        s.key("Left", window=main)
        s.key("Return", window=main)
        check(app.wait(30) == 0, "Left, Left, Return from the start exits (highlight wraps to E&xit)")


def check_corrupted_configuration_reset():
    with Session("startup-corrupt-config") as s:
        lines = read_bytes(FIXTURE).split(b"\r\n")
        lines[46] = b"3"          # line 47: logging mode out of 0..2
        config = s.put_file("KVTINI/Q61MK2CX.INI", b"\r\n".join(lines))
        app = s.start()
        box = s.wait_window("^QOR - Reset to Default Settings$")
        check(True, "corrupted file: \"QOR - Reset to Default Settings\" message shown")
        s.screenshot("config-reset-message")
        s.key("Return", window=box)
        check(app.wait(30) == 0, "corrupted file: program ends with exit code 0")
        check(not os.path.exists(config), "corrupted file: configuration file deleted")
        check(not s.windows("^QOR$"), "corrupted file: no main window left")


def check_uptime_stop():
    with Session("startup-uptime-stop") as s:
        app = s.start(uptime_ms=1728000500)
        box = s.wait_window("^PROGRAM STOP$")
        check(True, "20 days of uptime: \"PROGRAM STOP\" shown at the first paint")
        s.key("Return", window=box)
        check(app.wait(30) == 0, "20 days of uptime: program ends with exit code 0")


def main():
    steps = [lambda w=w, h=h: check_screen(w, h)
             for w, h in ((240, 320), (320, 240), (480, 640), (800, 480))]
    steps += [check_storage_folder_and_highlight_wrap, check_corrupted_configuration_reset, check_uptime_stop]
    for step in steps:
        try:
            step()
        except HarnessError as e:
            check(False, str(e))
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
