#!/usr/bin/env python3
"""Comment, New Station, Quick Line and New Line during a survey, typed as
an operator would, and the records they leave in the data file.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from survey_support import QOR_EXE, Checks, SurveyRun, read_records  # noqa: E402

T = Checks("test_survey_entries")


def type_into(run, caption, text, final_key):
    found = run.windows(f"^{caption}$") or []
    for _ in range(20):
        if found:
            break
        time.sleep(0.5)
        found = run.windows(f"^{caption}$")
    if not T.check(bool(found), f"\"{caption}\" dialog shown"):
        return False
    time.sleep(0.5)
    if text:
        run.xdotool("windowfocus", "--sync", found[0])
        run.xdotool("type", "--delay", "50", text)
    return T.check(run.answer(caption, final_key), f"\"{caption}\" closed with {final_key}")


def main():
    if not os.path.exists(QOR_EXE):
        print(f"SKIP: {QOR_EXE} not built")
        return 0
    run = SurveyRun("entries", {}, ["--mode", "polled", "--seed", "13"])
    try:
        run.launch()
        path = run.create_file()
        if not T.check(path is not None, "data file created"):
            return T.summary()
        start = os.path.getsize(path) // 27

        run.key("c")
        type_into(run, "Enter Comment", "Pipe 3", "Return")
        run.key("c")
        type_into(run, "Enter Comment", "dropped", "Escape")
        T.check(run.answer("Comment Warning", "Return"), "typed-then-cancelled comment warned")
        run.key("c")
        type_into(run, "Enter Comment", "", "Escape")
        time.sleep(1.0)
        T.check(run.windows("^Comment Warning$") == [], "empty cancelled comment not warned")

        run.key("n")
        type_into(run, "New Station", "25.5", "Return")

        run.key("q")
        T.check(run.answer("Quick Line", "Return"), "Quick Line proposal accepted")

        run.key("l")
        type_into(run, "New Line", "", "Return")

        run.key("g")
        time.sleep(2.0)
        run.key("space")
        time.sleep(1.0)
        T.check(run.exit_run(), "exit confirmed")
        records, _ = read_records(path)
    finally:
        run.close()

    tail = records[start:]
    tags = b"".join(r[:1] for r in tail)
    print("records after creation:", tags)
    expected = b"C" + b"S*" + b"LBAZOOOO*" + b"LBAZOOOO*" + b"X"
    T.check(tags.startswith(expected), f"record order {tags[:len(expected)]!r}")
    if not tags.startswith(expected):
        return T.summary()
    T.check(tail[0][:16] == b"CPipe 3" + b" " * 9, f"comment record {tail[0][:16]!r}")
    T.check(tail[1][:12] == b"S      25.50", f"station record {tail[1][:12]!r}")
    # Quick Line from line 0 (increment 1, Alternate, South, +1.000):
    # line 1.00 walking North from the current station with -1.000.
    T.check(tail[3][:9] == b"L1.00    ", f"quick line name {tail[3][:9]!r}")
    T.check(tail[4][:12] == b"B      25.50", f"quick line starts at the station {tail[4][:12]!r}")
    T.check(tail[5][:19] == b"AN           -1.000", f"quick line direction {tail[5][:19]!r}")
    # New Line accepted as proposed: line 2.00, back South with +1.000.
    T.check(tail[12][:9] == b"L2.00    ", f"new line name {tail[12][:9]!r}")
    T.check(tail[13][:12] == b"B      25.50", f"new line start station {tail[13][:12]!r}")
    T.check(tail[14][:19] == b"AS            1.000", f"new line direction {tail[14][:19]!r}")
    return T.summary()


if __name__ == "__main__":
    sys.exit(main())
