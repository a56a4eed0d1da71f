#!/usr/bin/env python3
"""Writes a folder of verdict records as busy stations would: STATIONS
stations (PC-1, PC-2, ...) over DAYS days ending on LAST-DAY, about
LINES-A-DAY lines a station and day, in the record's own columns. The last
two stations program EEPROMs from serial blocks of their own (one serial is
written twice, by both); the others run the read/write test, where slot F of
PC-7 (of the last test station when there are fewer) holds a worn card. A week before the range gets files of its own,
which a report over the range must not open.

    report-folder.py FOLDER LAST-DAY [STATIONS [DAYS [LINES-A-DAY]]]
"""
import datetime
import os
import random
import sys

HEADER = ("time,computer,version,mode,run,chip,drive,product,verdict,result,MiB tested,write MB/s,read MB/s,"
          "seconds,VID,PID,serial,checksum,UTC offset,warning,line,lot,simulated")
TEST, EEPROM = "Write/Read Test", "Write EEPROM"
CHIP = "Chip 5308 Revision:0102 AB/CD 'EF"
FAILURES = ["Compare failure!", "Write failure!", "Read failure!", "Disk be removed!", "Speed too low!"]

folder, last_day = sys.argv[1], datetime.date.fromisoformat(sys.argv[2])
stations = int(sys.argv[3]) if len(sys.argv) > 3 else 10
days = int(sys.argv[4]) if len(sys.argv) > 4 else 7
lines_a_day = int(sys.argv[5]) if len(sys.argv) > 5 else 14300
os.makedirs(folder, exist_ok=True)
rng = random.Random(7)
worn = min(6, stations - 3)
serials = {}


def test_run(name, stamp, run, worn):
    rows = []
    for slot, drive in enumerate("EFGH"):
        write, read = rng.gauss(22 - slot, 1.5), rng.gauss(31, 2)
        if worn and drive == "F" and rng.random() < 0.7:
            verdict, result = "Compare failure!", "fail"
        elif rng.random() < 0.006:
            verdict, result = rng.choice(FAILURES), "fail"
        else:
            verdict, result = "Test success.", "pass"
        rows.append([stamp, name, "v1.00", TEST, run, CHIP, drive + ":", "USB Card Reader", verdict, result, "16",
                     "%.1f" % write, "%.1f" % read, "1.3", "", "", "", "", "UTC+01:00", "", "", "LOT-7", ""])
        if result == "fail":
            break
    return rows


def eeprom_run(name, stamp, run, block):
    serials[name] = serials.get(name, 0) + 1
    serial = "%s%06d" % (block, serials[name])
    if name == "PC-%d" % stations and serials[name] == 3:
        serial = "TVA000003"  # the duplicate: PC-(N-1)'s third serial once more
    return [[stamp, name, "v1.00", EEPROM, run, CHIP, "E:", "USB Card Reader", "Write EEPROM success.", "pass", "",
             "", "", "", "0x2E10", "0x0781", serial, "1A2B3C4D", "UTC+01:00", "", "", "LOT-7", ""]]


def write_day(name, day, index, lines):
    path = os.path.join(folder, "Talven-%s-%s.csv" % (day.isoformat(), name))
    eeprom = index >= stations - 2
    block = "TV" + "AB"[index - (stations - 2)] if eeprom else ""
    out = ["\ufeff" + HEADER]
    start = datetime.datetime.combine(day, datetime.time())
    step = 86400.0 / (lines if eeprom else lines / 3.6)
    run, at = 0, 0.0
    while len(out) <= lines and at < 86400:
        run += 1
        stamp = (start + datetime.timedelta(seconds=int(at))).strftime("%Y-%m-%d %H:%M:%S")
        rows = eeprom_run(name, stamp, run, block) if eeprom else test_run(name, stamp, run, index == worn)
        out += [",".join(str(f) for f in row) for row in rows]
        at += step
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("\r\n".join(out) + "\r\n")
    return len(out)


total = 0
for index in range(stations):
    for back in list(range(days)) + list(range(days + 7, days + 14)):
        day = last_day - datetime.timedelta(days=back)
        written = write_day("PC-%d" % (index + 1), day, index, lines_a_day)
        total += written if back < days else 0
print(total)
