#!/usr/bin/env python3
"""Runs talven-image (natively, or under the emulator given after it) and
checks its --out bytes against known images, its exit codes, and that a bad
EEPROM file writes nothing.

    check_talven_image.py WORK-DIR TOOL [EMULATOR ...]
"""
import os
import shutil
import subprocess
import sys

work, tool, emulator = sys.argv[1], sys.argv[2], sys.argv[3:]

DEFAULT_IMAGE = {
    0: "71 3C 08 53",
    4: "08 03 4B 00 56 00 65 00",
    22: "20 03 55 00 53 00 42 00 43 00 61 00 72 00 64 00 20 00 52 00 65 00 61 00 64 00 65 00 72 00 20 00",
    56: "22 03 31 00 32 00 33 00 34 00 35 00 36 00 37 00 38 00 39 00 61 00 62 00 63 00 64 00 65 00 66 00 20 00",
    90: "4B 56 65 20 20 20 20 20",
    98: "00 00 00 00 00 00",
    104: "FA 41 00",
}

# The image of SETTINGS below, field by field.
SETTINGS = (
    "[Program set]\r\nWR=1\r\n[VX5308]\r\nVID=0x1234\r\nPID=abcde\r\nManufacture=AB\r\n"
    "Productor=Reader\r\nSN=0123456789abcdef\r\nSCSI_VER=1.00\r\nCFSpeed=1\r\nMSSpeed=2\r\n"
    "Power Consumption=300\r\nBY105=7\r\n"
)
SETTINGS_IMAGE = {
    0: "34 12 DE BC",
    4: "08 03 41 00 42 00 20 00",
    22: "20 03 52 00 65 00 61 00 64 00 65 00 72 00" + " 20 00" * 9,
    56: "22 03" + "".join(" %02X 00" % ord(c) for c in "0123456789abcdef"),
    90: "31 2E 30 30 20 20 20 20",
    98: "01 00 00 00 02 00",
    104: "2C 07 00",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def expected_bytes(base, fields):
    result = bytearray(base)
    for offset, text in fields.items():
        values = bytes.fromhex(text)
        result[offset:offset + len(values)] = values
    return bytes(result)


def run(*arguments):
    return subprocess.run(emulator + [tool] + list(arguments), cwd=work, capture_output=True, text=True,
                          errors="replace")


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
eeprom = bytes((i * 37 + 11) % 256 for i in range(512))
with open(os.path.join(work, "eeprom.bin"), "wb") as f:
    f.write(eeprom)
with open(os.path.join(work, "short.bin"), "wb") as f:
    f.write(eeprom[:511])
with open(os.path.join(work, "station.ini"), "w", newline="") as f:
    f.write(SETTINGS)

# Settings over an EEPROM copy: relative paths, as an operator would type them.
result = run("station.ini", "eeprom.bin", "--out", "out.bin")
check(result.returncode == 0, "settings run: exit %d, %s" % (result.returncode, result.stderr))
out = os.path.join(work, "out.bin")
if os.path.exists(out):
    with open(out, "rb") as f:
        check(f.read() == expected_bytes(eeprom, SETTINGS_IMAGE), "settings run: --out bytes differ")
else:
    failures.append("settings run: no --out file")
check("kept from the EEPROM" in result.stdout, "settings run: kept ranges not marked")
check(" 12- 21" in result.stdout and "107-109" in result.stdout, "settings run: offsets not listed")
check(" 34 12\n" in result.stdout and " DE BC\n" in result.stdout, "settings run: ID bytes not listed")

# No settings file and no EEPROM copy: the default image over zeros.
result = run("absent.ini", "--out", "default.bin")
check(result.returncode == 0, "default run: exit %d" % result.returncode)
check("defaults" in result.stderr, "default run: no word of the defaults on stderr")
with open(os.path.join(work, "default.bin"), "rb") as f:
    check(f.read() == expected_bytes(bytes(512), DEFAULT_IMAGE), "default run: --out bytes differ")

# An EEPROM file of the wrong size or none at all: exit 2, nothing written.
for name in ("short.bin", "no-such.bin"):
    result = run("station.ini", name, "--out", "bad.bin")
    check(result.returncode == 2, "%s: exit %d" % (name, result.returncode))
    check(not os.path.exists(os.path.join(work, "bad.bin")), "%s: an output was written" % name)
    check(name in result.stderr, "%s: the error does not name the file" % name)

# Bad usage.
for arguments in ([], ["station.ini", "--out"], ["station.ini", "eeprom.bin", "extra"], ["--bogus", "x"]):
    result = run(*arguments)
    check(result.returncode == 2 and "usage" in result.stderr, "usage %s: exit %d" % (arguments, result.returncode))

for failure in failures:
    print("FAIL:", failure)
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
