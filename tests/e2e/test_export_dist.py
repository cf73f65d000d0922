#!/usr/bin/env python3
"""The Windows package as a surveyor uses it: make dist's zip unzipped into
an empty folder on a fresh Wine prefix, a short survey with both simulated
devices run from there, then qor-export.exe csv in that folder under Wine,
which must write the bytes the Linux qor-export writes. The export is
judged against what the simulators sent (readings against the frame log,
positions against the receiver's bytes); GeoJSON and KML are parsed and
held against the CSV; bad inputs get a message, a non-zero exit and no
output file."""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
import xml.etree.ElementTree as ET

from qorharness import (QOR_EXPORT, REPO, Checks, Session, Survey, csv_rows, export_all, position_problems,
                        read_records, reading_problems, wait_for)

T = Checks("test_export_dist")


def package():
    r = subprocess.run(["make", "--no-print-directory", "dist"], cwd=REPO, capture_output=True, text=True)
    zips = glob.glob(os.path.join(REPO, "dist", "qor-*-win64.zip"))
    ok = r.returncode == 0 and len(zips) == 1
    T.check(ok, "make dist makes the zip" + ("" if ok else f": {r.stderr[-300:]}"))
    return zips[0]


def survey_from_package():
    zip_path = package()
    prefix = tempfile.mkdtemp(prefix="qor-dist-wine-")
    os.environ["QOR_E2E_WINEPREFIX"] = prefix  # a fresh prefix: nothing of the build tree in it
    try:
        with Session("export_dist") as s:
            with zipfile.ZipFile(zip_path) as z:
                T.check(sorted(z.namelist()) == ["README.txt", "qor-export.exe", "qor.exe"],
                        f"the package holds {z.namelist()}")
                z.extractall(s.root)
            readme = open(os.path.join(s.root, "README.txt"), "rb").read()
            T.check(b"\r\n" in readme and b"Bluetooth" in readme and b"COM10" in readme
                    and b"DATAQOR61MK2" in readme, "README.txt: CR LF, COM ports, data files")
            gps = s.start_gpssim("--type", "0", "--rate", "5", "--baud", "19200", "--quality", "2")
            run = Survey(s, config={38: "0", 40: "2"}, sim_args=["--mode", "stream", "--seed", "8"], gps=gps,
                         exe=os.path.join(s.root, "qor.exe"))
            run.launch()
            path = run.create_file()
            run.key("g")
            readings = lambda: sum(1 for r in read_records(path)[0] if r[:1] == b"T")
            wait_for(lambda: readings() >= 40, 30, 0.2, "readings")
            run.key("space")
            run.await_text(path, b"$PAUSED")
            run.key("c")
            run.type_into("Enter Comment", "pipe")
            run.key("g")
            wait_for(lambda: readings() >= 80, 30, 0.2, "readings")
            run.key("space")
            run.await_text(path, b"$PAUSED", 2)
            run.exit_run()
            wait_for(lambda: b"$P" in open(path, "rb").read(), 20, 0.2, "the run totals")
            relative = os.path.relpath(path, s.root).replace("/", "\\")
            win = subprocess.run(["wine", "qor-export.exe", "csv", relative], cwd=s.root, env=s.env,
                                 capture_output=True, timeout=120)
            native = subprocess.run([QOR_EXPORT, "csv", path, "-o", "-"], capture_output=True)
            windows_csv = os.path.splitext(path)[0] + ".csv"
            T.check(win.returncode == 0 and os.path.exists(windows_csv), f"qor-export.exe csv: {win.stderr[-300:]}")
            T.check(native.returncode == 0 and os.path.exists(windows_csv)
                    and open(windows_csv, "rb").read() == native.stdout,
                    "qor-export.exe writes the Linux qor-export's bytes")
            os.unlink(windows_csv)
            out = os.path.join(s.out_dir, os.path.basename(path))
            shutil.copy(path, out)
            return out, run.sim.frames(), gps.raw_log
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def judged(data_file, frames, raw_log):
    T.check(export_all(data_file) == [], "csv, geojson, kml and map")
    check = subprocess.run([QOR_EXPORT, "check", data_file], capture_output=True, text=True)
    whole = check.returncode == 0 and "whole file: yes" in check.stdout
    T.check(whole, "check: a whole file" + ("" if whole else f"\n{check.stdout}"))
    stem = os.path.splitext(data_file)[0]
    rows = csv_rows(stem + ".csv")
    geojson = json.load(open(stem + ".geojson"))
    raw = open(raw_log, "rb").read()
    T.check(reading_problems(rows, read_records(data_file)[0], frames) == [], "readings as the frames sent")
    T.check(position_problems(rows, geojson, raw) == [], "positions as the receiver sent them")
    T.check(sum(r["comment"] == "pipe" for r in rows) == 1, "the comment on one reading")
    points = [f for f in geojson["features"] if f["properties"]["kind"] == "reading"]
    tracks = [f for f in geojson["features"] if f["properties"]["kind"] == "track" and f["geometry"]]
    T.check([p["geometry"]["coordinates"] if p["geometry"] else None for p in points]
            == [[float(r["longitude"]), float(r["latitude"])] if r["latitude"] else None for r in rows],
            "a GeoJSON point per reading where the CSV has its position")
    kml = ET.parse(stem + ".kml").getroot()
    ns = {"k": "http://www.opengis.net/kml/2.2"}
    lines = kml.findall(".//k:LineString/k:coordinates", ns)
    T.check(len(lines) == len(tracks) == 1, f"one track in GeoJSON and KML ({len(tracks)}, {len(lines)})")
    first = [float(v) for v in lines[0].text.split()[0].split(",")] if lines else None
    T.check(first == tracks[0]["geometry"]["coordinates"][0], "the KML track starts where the GeoJSON's does")
    comments = kml.findall(".//k:Folder[k:name='Comments']/k:Placemark/k:name", ns)
    T.check([c.text for c in comments] == ["pipe"], "the comment's placemark")
    return data_file


def bad_inputs(data_file):
    good = open(data_file, "rb").read()
    unknown = bytearray(good)
    unknown[27 * 20] = ord("%")
    cases = {"empty": (b"", "empty file"), "text": (b"QOR field notes\n" * 9, "not a data file"),
             "truncated": (good + good[:5], "truncated last record"),
             "unknown": (bytes(unknown), "unknown record tag")}
    with tempfile.TemporaryDirectory() as d:
        for name, (content, message) in cases.items():
            path = os.path.join(d, name + ".P61")
            open(path, "wb").write(content)
            for command in ("csv", "map"):
                r = subprocess.run([QOR_EXPORT, command, path], capture_output=True, text=True)
                left = sorted(f for f in os.listdir(d) if not f.endswith(".P61"))
                T.check(r.returncode == 1 and message in r.stderr and left == [],
                        f"{command} of the {name} file: exit {r.returncode}, {r.stderr.strip()!r}, left {left}")


def case_package_survey_export():
    bad_inputs(judged(*survey_from_package()))


if __name__ == "__main__":
    sys.exit(T.run(case_package_survey_export))
