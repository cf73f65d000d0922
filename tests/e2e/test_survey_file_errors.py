#!/usr/bin/env python3
"""Files that cannot be written, on small file systems mounted by the test
(needs root; exit code 77 where mounting is not allowed): a read-only data
folder, a card that fills while recording ("FILE ERROR", paused, every record
whole, Go records on once there is room), a read-only configuration folder.
"""
import os
import subprocess
import sys
import tempfile

from qorharness import Checks, Session, Survey, event_text, is_reading, read_records, wait_for

T = Checks("test_survey_file_errors")


def mount(path, *options):
    subprocess.run(["mount", *options, path], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


def fill(folder):
    """Takes every free byte of the file system of folder."""
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        for chunk in (4096, 1):
            try:
                while True:
                    f.write(b"\0" * chunk)
            except OSError:
                pass


def file_error(s, what):
    s.wait_window("^FILE ERROR$", 40)
    s.screenshot("file-error-" + what.split()[-2])
    s.answer("FILE ERROR", "Return")


def check_whole(path, label):
    records, size = read_records(path)
    whole = size % 27 == 0 and all(r[26:27] == b"\n" for r in records)
    ticks = all(r[16:26].strip().lstrip(b"-").isdigit() for r in records if is_reading(r))
    T.check(whole and ticks, f"{label}: {size} bytes of whole records")
    return [event_text(r) for r in records if event_text(r)], records


def file_errors():
    with Session("file-errors", screen="320x240") as s:
        mounts = []
        try:
            run = Survey(s, sim_args=["--mode", "stream", "--rate-h", "20", "--seed", "4"])
            folder, config_dir = s.path("My Documents", "DATAQOR61MK2"), s.path("KVTINI")
            os.makedirs(folder)
            mount(folder, "-t", "tmpfs", "-o", "ro,size=16k", "tmpfs")
            mounts.append(folder)
            run.launch()
            run.open_file_dialog()
            s.answer("Create Data File", "Return")
            file_error(s, "Cannot create data file")
            T.check(not run.data_files(), "read-only folder: no data file")

            # The same small file system made writable (the save dialog keeps
            # the folder busy, so it cannot be unmounted).
            mount(folder, "-o", "remount,rw")
            path = run.create_file()
            fill(folder)
            run.key("g")
            file_error(s, "Cannot write data file")
            texts, records = check_whole(path, "card full")
            T.check(texts == ["$STARTED0  "] and sum(map(is_reading, records)) > 100,
                    f"card full: recording paused with its readings kept ({texts})")
            size = os.path.getsize(path)
            run.key("g")                  # still full: told again, nothing written
            file_error(s, "Cannot write data file")
            T.check(os.path.getsize(path) == size, "card still full: the file is unchanged")

            os.remove(os.path.join(folder, "filler"))
            run.key("g")
            wait_for(lambda: open(path, "rb").read().count(b"$STARTED") == 2
                     and is_reading(read_records(path)[0][-1]), 30, 0.2, fail=False)
            run.key("space")
            wait_for(lambda: b"$PAUSED" in open(path, "rb").read(), 30, 0.2, fail=False)
            texts, records = check_whole(path, "room again")
            T.check(texts == ["$STARTED0  ", "$STARTED0  ", "$PAUSED    "] and is_reading(records[-2]),
                    f"room again: Go records on ({texts})")

            with open(os.path.join(config_dir, "Q61MK2CX.INI"), "rb") as f:
                config = f.read()
            mount(config_dir, "--bind", config_dir)
            mounts.append(config_dir)
            mount(config_dir, "-o", "remount,bind,ro")
            run.key("q")
            s.answer("Quick Line", "Return")
            file_error(s, "Cannot write configuration file")
            with open(os.path.join(config_dir, "Q61MK2CX.INI"), "rb") as f:
                T.check(f.read() == config and os.listdir(config_dir) == ["Q61MK2CX.INI"],
                        "read-only settings: the configuration file is as it was")
            run.exit_run()
            texts, records = check_whole(path, "exit")
            T.check(texts[-2:] == ["$F      0  ", "$P      0  "], f"exit: totals written {texts[-2:]}")
            run.key("x")
            T.check(run.exited(20) and run.app.proc.returncode == 0, "exit: the program ends with 0")
        finally:
            for m in reversed(mounts):
                subprocess.run(["umount", "-l", m], stderr=subprocess.DEVNULL)


def can_mount():
    probe = tempfile.mkdtemp(prefix="qor-mount-probe-")
    if subprocess.run(["mount", "-t", "tmpfs", "tmpfs", probe], stderr=subprocess.DEVNULL).returncode:
        return False
    subprocess.run(["umount", probe])
    return True


if __name__ == "__main__":
    if not can_mount():
        print("SKIP: this test mounts small file systems, which needs root")
        sys.exit(77)
    sys.exit(T.run(file_errors))
