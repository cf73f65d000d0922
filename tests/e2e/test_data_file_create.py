#!/usr/bin/env python3
"""Creating a data file through the real save-file dialog under Wine.

Runs build/drivers/datafile_dialog_driver.exe (CreateDataFile with known
settings) in Xvfb, answers the "Create Data File" dialog with xdotool and
checks the created file record by record (27 bytes each, never by lines).
"""
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from qorharness import HarnessError, Xvfb, init_wineprefix, wine_env

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DIALOG_TITLE = "Create Data File"
RECORD = 27

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL", what)


def driver_path():
    if os.environ.get("QOR_EXE"):
        exe_dir = os.path.dirname(os.environ["QOR_EXE"])
        return os.path.join(exe_dir, "drivers", "datafile_dialog_driver.exe")
    return os.path.join(REPO, "build", "drivers", "datafile_dialog_driver.exe")


class Session:
    """Wine prefix and a private X display for the whole test."""

    def __init__(self):
        # A prefix of this test's own: its wineserver is killed at the end,
        # which must not end anybody else's programs.
        base = os.environ.get("QOR_WINEPREFIX") or os.path.join(REPO, ".wineprefix")
        self.env = wine_env(base.rstrip("/") + "-datafile")
        init_wineprefix(self.env["WINEPREFIX"])
        # One wineserver for all runs instead of one per program start.
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        self.xvfb = None
        try:
            self.xvfb = Xvfb("800x600").start()
        except HarnessError:
            self.close()
            raise
        self.env["DISPLAY"] = self.xvfb.display

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.stop()

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        return r.stdout if r.returncode == 0 else None

    def wait_window(self, title, timeout=60):
        """Id of a visible window titled exactly title."""
        end = time.time() + timeout
        while time.time() < end:
            out = self.xdotool("search", "--onlyvisible", "--name", f"^{re.escape(title)}$")
            if out and out.split():
                return out.split()[0]
            time.sleep(0.2)
        return None

    def keys(self, wid, *keys, text=None):
        # Without a window manager the X focus has to be given explicitly.
        self.xdotool("windowfocus", "--sync", wid)
        time.sleep(0.3)
        if text is not None:
            self.xdotool("type", "--delay", "50", text)
        if keys:
            self.xdotool("key", *keys)


def date_part(now=None):
    now = now or datetime.datetime.now()
    return f"{now.month:02d}{now.day:02d}{now.hour:02d}"


def data_folder(root):
    return os.path.join(root, "Storage", "DATAQOR61MK2")


def run_driver(session, root, answer, instrument=1):
    """Starts the driver in root, lets answer(session, dialog_id) drive the
    dialogs, waits for the end and returns the result line."""
    env = dict(session.env)
    env["QOR_DRIVER_INSTRUMENT"] = str(instrument)
    env["QOR_DRIVER_STORAGE"] = "1"
    proc = subprocess.Popen(["wine", driver_path()], cwd=root, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wid = session.wait_window(DIALOG_TITLE)
        check(wid is not None, "the Create Data File dialog appears")
        if wid is None:
            return ""
        answer(session, wid)
        proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    try:
        with open(os.path.join(root, "datafile_result.txt")) as f:
            return f.read().strip()
    except OSError:
        return ""


def records(path):
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) % RECORD == 0, f"{path}: size {len(data)} is whole records")
    return [data[i:i + RECORD] for i in range(0, len(data), RECORD)]


def expected_opening(base, instrument=1):
    """The 15 opening records for the driver's settings; None marks the
    Z and * records, which are checked by pattern."""
    pad = lambda s: (s + " " * 26)[:26].encode() + b"\n"
    gps_flag = "1" if instrument else "0"
    return [
        pad("QORMK2  W330GPS000"),
        pad("Hg" + (base + " " * 9)[:9] + "  0.200"),
        pad("G   1.50  -0.2513 23" + gps_flag),
        pad("O     1.25"),
        pad("O    -2.50"),
        pad("O     0.00"),
        pad("O   100.00"),
        pad("LLine1234"),
        pad("B     -12.50"),
        pad("AE      " + "      0.500"),
        None,
        pad("O     1.25      0.50"),
        pad("O    -2.50      0.00"),
        pad("O     0.00     -7.75"),
        pad("O   100.00      3.00"),
        None,
    ]


def check_opening(path, base, instrument=1):
    recs = records(path)
    check(len(recs) == 16, f"{os.path.basename(path)}: 16 opening records, got {len(recs)}")
    for i, (got, want) in enumerate(zip(recs, expected_opening(base, instrument))):
        if want is not None:
            check(got == want, f"record {i}: {got!r} == {want!r}")
    if len(recs) >= 16:
        today = datetime.date.today().strftime("%d%m%Y")
        check(re.fullmatch(rb"Z\d{8} \d\d:\d\d:\d\d {8}\n", recs[10]) is not None,
              f"Z record layout {recs[10]!r}")
        check(recs[10][1:9].decode() == today, f"Z record date {recs[10]!r} is {today}")
        check(re.fullmatch(rb"\*\d\d:\d\d:\d\d\.\d{3}   [ -]*\d+\n", recs[15]) is not None
              and len(recs[15]) == RECORD, f"* record layout {recs[15]!r}")


def fresh_root():
    root = tempfile.mkdtemp(prefix="qor-datafile-")
    os.makedirs(os.path.join(root, "Storage"))
    return root


def test_proposal_skips_taken_letters(session):
    """With A and B of this hour taken, Return accepts C; A and B stay as they were."""
    for _attempt in range(2):
        root = fresh_root()
        date = date_part()
        folder = data_folder(root)
        os.makedirs(folder)
        for letter in "AB":
            with open(os.path.join(folder, f"{date}{letter}.P61"), "wb") as f:
                f.write(b"keep me " + letter.encode())
        result = run_driver(session, root, lambda s, w: s.keys(w, "Return"))
        if date_part() != date:
            shutil.rmtree(root)
            continue  # the hour turned during the run: try again
        name = f"{date}C.P61"
        check(result.startswith(f"created state=-1 base={date}C path="), f"result {result!r}")
        check(result.endswith("\\Storage\\DATAQOR61MK2\\" + name), f"path in {result!r}")
        check(os.path.exists(os.path.join(folder, name)), f"{name} exists")
        if os.path.exists(os.path.join(folder, name)):
            check_opening(os.path.join(folder, name), f"{date}C")
        for letter in "AB":
            with open(os.path.join(folder, f"{date}{letter}.P61"), "rb") as f:
                check(f.read() == b"keep me " + letter.encode(), f"{letter} file untouched")
        shutil.rmtree(root)
        return


def test_existing_file_is_refused(session):
    """Typing the name of an existing file warns and asks again with a new proposal."""
    root = fresh_root()
    date = date_part()
    folder = data_folder(root)
    os.makedirs(folder)
    existing = os.path.join(folder, f"{date}A.P61")
    with open(existing, "wb") as f:
        f.write(b"old survey")
    seen = {}

    def answer(s, wid):
        s.keys(wid, "Return", text=f"{date}A")  # no extension: the dialog adds it
        box = s.wait_window("WARNING", timeout=20)
        seen["warning"] = box is not None
        if box is None:
            return
        s.keys(box, "Return")
        again = s.wait_window(DIALOG_TITLE, timeout=20)
        seen["again"] = again is not None
        if again:
            s.keys(again, "Return")

    result = run_driver(session, root, answer)
    check(seen.get("warning"), "WARNING box for an existing file")
    check(seen.get("again"), "the dialog comes back after the warning")
    with open(existing, "rb") as f:
        check(f.read() == b"old survey", "the existing file is not touched")
    if date_part() == date:
        check(result.startswith(f"created state=-1 base={date}B "), f"result {result!r}")
        check(os.path.exists(os.path.join(folder, f"{date}B.P61")), "next letter B created")
    shutil.rmtree(root)


def test_typed_name_gets_extension(session):
    """A typed name without extension gets .P61; the base name goes into H2."""
    root = fresh_root()
    result = run_driver(session, root, lambda s, w: s.keys(w, "Return", text="SITE7"))
    path = os.path.join(data_folder(root), "SITE7.P61")
    check(result.startswith("created state=-1 base=SITE7 "), f"result {result!r}")
    check(result.endswith("\\SITE7.P61"), f"extension .P61 in {result!r}")
    check(sorted(os.listdir(data_folder(root))) == ["SITE7.P61"], "only SITE7.P61 created")
    if os.path.exists(path):
        check_opening(path, "SITE7")
    shutil.rmtree(root)


def test_gps_only_survey(session):
    """Instrument disabled: .GXY file, H3 column 20 is 0."""
    root = fresh_root()
    date = date_part()
    result = run_driver(session, root, lambda s, w: s.keys(w, "Return"), instrument=0)
    files = os.listdir(data_folder(root))
    check(len(files) == 1 and re.fullmatch(r"\d{6}A\.GXY", files[0]) is not None,
          f"one .GXY file, got {files}")
    check(result.startswith("created state=-1 base="), f"result {result!r}")
    if len(files) == 1:
        check_opening(os.path.join(data_folder(root), files[0]), files[0][:7], instrument=0)
        check(files[0][:6] == date or date_part() != date, f"date part of {files[0]}")
    shutil.rmtree(root)


def test_cancel_creates_nothing(session):
    root = fresh_root()
    result = run_driver(session, root, lambda s, w: s.keys(w, "Escape"))
    check(result == "cancelled state=0", f"result {result!r}")
    check(os.listdir(data_folder(root)) == [], "no file after Cancel")
    shutil.rmtree(root)


def main():
    if not os.path.exists(driver_path()):
        print(f"FAIL driver not built: {driver_path()}")
        return 1
    session = Session()
    try:
        for test in (test_proposal_skips_taken_letters, test_existing_file_is_refused,
                     test_typed_name_gets_extension, test_gps_only_survey,
                     test_cancel_creates_nothing):
            before = len(failures)
            test(session)
            print(("ok   " if len(failures) == before else "FAIL ") + test.__name__)
    finally:
        session.close()
    print(f"test_data_file_create: {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
