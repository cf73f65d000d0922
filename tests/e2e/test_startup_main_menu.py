#!/usr/bin/env python3
"""Start-up and main menu at 240x320, 320x240, 480x640, 640x480 and
800x480: the default configuration file byte for byte, the main window's
place, the start screen's bracket and picture, one copy only (-1), Exit ends
with 0; also the "Storage" folder, a corrupt file reset, the highlight wrap
and "PROGRAM STOP" after 20 days of uptime.
"""
import os
import sys

from qorharness import DEFAULT_CONFIG, Checks, Session, wait_for

SECOND_COPY_EXIT = 255            # WinMain's -1 as the launcher reports it
T = Checks("test_startup_main_menu")
check = T.check


def file_bytes(path):
    """The file's bytes once it is there and not empty (False if never)."""
    return wait_for(lambda: os.path.exists(path) and open(path, "rb").read(), 20, fail=False)


def expected_window(w, h):
    # Small screens draw the 240 x 320 (320 x 240) reference layout; larger
    # ones fill the screen: the work area ends 36 pixels above the bottom and
    # the main window reaches down over that task-bar strip.
    if max(w, h) < 400:
        return (240, 320) if w <= h else (320, 240)
    return (w, h)


def check_start_screen(img, check, w, h, label):
    """The left bracket's first end circle and the instrument picture's
    corner (its frame colour) where the layout puts them."""
    portrait, (rw, rh) = h > w, expected_window(w, h)
    sx, sy = rw / (240 if portrait else 320), rh / (320 if portrait else 240)
    bx, by = int((175 - 79 * portrait) * sx), int((15 + 53 * portrait) * sy)
    around = {img.pixel(x, y) for x in range(bx - 5, bx + 6) for y in range(by - 5, by + 6)}
    px, py = int((1 if portrait else 2) * sx), int((70 if portrait else 46) * sy)
    check((64, 64, 64) in around and img.pixel(px, py) == (0, 0, 128) and img.pixel(px - 1, py) != (0, 0, 128),
          f"{label}: bracket end at {(bx, by)}, instrument picture at {(px, py)}")


def check_screen(w, h):
    label = f"{w}x{h}"
    with Session(f"startup-{label}", screen=label) as s:
        first = s.start()
        main = s.wait_window("^QOR$")
        config = s.path("KVTINI", "Q61MK2CX.INI")
        written = file_bytes(config)
        check(written == DEFAULT_CONFIG, f"{label}: configuration file equals the defaults")
        check(not os.path.exists(s.path("Storage")), f"{label}: no \"Storage\" folder left behind")
        x, y, ww, wh = s.x.window_geometry(main)
        desk = s.desktop_window()
        dx, dy = s.x.window_geometry(desk)[:2] if desk else (0, 0)
        check((x - dx, y - dy, ww, wh) == (0, 0) + expected_window(w, h),
              f"{label}: main window at 0,0 sized {expected_window(w, h)} (got {(x - dx, y - dy, ww, wh)})")
        s.await_screen(f"main-menu-{label}", lambda img, c: check_start_screen(img, c, w, h, label), check)

        # A second copy on the same device screen (which the first one's
        # desktop already shows) leaves at once with -1.
        code = s.start().wait(60)
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
        written = file_bytes(config)
        check(written == DEFAULT_CONFIG, "with \"Storage\": defaults written to Storage\\KVTINI")
        check(not os.path.exists(s.path("KVTINI")), "with \"Storage\": no \\KVTINI folder made")
        s.check_config_edits(check, main, [("p", "Display Options", ["Tab", "Down"], {18: b"3"})], config)
        s.key("Left", window=main)
        s.key("Left", window=main)
        s.key("Return", window=main)
        check(app.wait(30) == 0, "Left, Left, Return from the start exits (highlight wraps to E&xit)")


def check_corrupted_configuration_reset():
    with Session("startup-corrupt-config") as s:
        lines = DEFAULT_CONFIG.split(b"\r\n")
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


if __name__ == "__main__":
    sizes = [lambda w=w, h=h: check_screen(w, h)
             for w, h in ((240, 320), (320, 240), (480, 640), (640, 480), (800, 480))]
    sys.exit(T.run(*sizes, check_storage_folder_and_highlight_wrap, check_corrupted_configuration_reset,
                   check_uptime_stop))
