#!/usr/bin/env python3
"""Runs talven-image (natively, or under the emulator given after it) and
checks its --out bytes against known images, its exit codes, that a bad input
writes nothing, that --out never replaces an input however it is spelled, and
that a failed write leaves an existing file whole.

    check_talven_image.py WORK-DIR TOOL [EMULATOR ...]
"""
import glob
import os
import shutil
import socket
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


def read(name):
    with open(os.path.join(work, name), "rb") as f:
        return f.read()


def write(name, data):
    with open(os.path.join(work, name), "wb") as f:
        f.write(data)


# --out naming an input, by any spelling, is refused before anything is
# written: the input keeps its bytes.
os.makedirs(os.path.join(work, "sub"))
os.link(os.path.join(work, "station.ini"), os.path.join(work, "hard.ini"))
os.symlink("station.ini", os.path.join(work, "link.ini"))
os.link(os.path.join(work, "eeprom.bin"), os.path.join(work, "eeprom-hard.bin"))
settings_spellings = ["station.ini", "./station.ini", "sub/../station.ini", os.path.join(work, "station.ini"),
                      "hard.ini", "link.ini"]
if emulator:
    settings_spellings += ["STATION.INI", "sub\\..\\Station.Ini"]  # Windows names files without regard to case
for spelling in settings_spellings:
    result = run("station.ini", "eeprom.bin", "--out", spelling)
    check(result.returncode == 2, "--out %s: exit %d" % (spelling, result.returncode))
    check("is the settings file" in result.stderr and spelling in result.stderr,
          "--out %s: no clear refusal: %s" % (spelling, result.stderr))
    check(read("station.ini") == SETTINGS.encode(), "--out %s: the settings file was changed" % spelling)
for spelling in ["eeprom.bin", "./sub/../eeprom.bin", os.path.join(work, "eeprom.bin"), "eeprom-hard.bin"]:
    result = run("station.ini", "eeprom.bin", "--out", spelling)
    check(result.returncode == 2 and "is the EEPROM file" in result.stderr,
          "--out %s: exit %d, %s" % (spelling, result.returncode, result.stderr))
    check(read("eeprom.bin") == eeprom, "--out %s: the EEPROM file was changed" % spelling)
# A missing settings file is not to be created by the output either.
result = run("absent.ini", "--out", "./absent.ini")
check(result.returncode == 2 and "is the settings file" in result.stderr, "--out absent.ini: exit %d" % result.returncode)
check(not os.path.exists(os.path.join(work, "absent.ini")), "--out absent.ini: the output took its place")

# A folder or a file that cannot be read is an error naming it and the reason.
for arguments, named, reason in [(["sub"], "sub", "is a folder"),
                                 (["station.ini", "sub", "--out", "x.bin"], "sub", "is a folder"),
                                 (["station.ini", "--out", "sub"], "sub", "is a folder")]:
    result = run(*arguments)
    check(result.returncode == 2 and named in result.stderr and reason in result.stderr,
          "%s: exit %d, %s" % (arguments, result.returncode, result.stderr))
    check(not os.path.exists(os.path.join(work, "x.bin")), "%s: an output was written" % arguments)
# A socket cannot be opened as a file, not even by root. (Wine shows no
# socket to Windows programs, so this is checked in the native build only.)
if not emulator:
    unreadable = socket.socket(socket.AF_UNIX)
    unreadable.bind(os.path.join(work, "socket.ini"))
    result = run("socket.ini", "--out", "x.bin")
    check(result.returncode == 2 and "cannot read settings file" in result.stderr and "socket.ini" in result.stderr,
          "unreadable settings: exit %d, %s" % (result.returncode, result.stderr))
    check("defaults" not in result.stderr, "unreadable settings taken for missing: %s" % result.stderr)
    unreadable.close()
else:
    print("not checked under the emulator: a settings file that exists but cannot be read")

# An existing output is replaced whole; one that cannot be replaced is left
# whole: its temporary file beside it would have a name too long to create.
result = run("absent.ini", "--out", "out.bin")
check(result.returncode == 0 and read("out.bin") == expected_bytes(bytes(512), DEFAULT_IMAGE),
      "replacing an existing output: exit %d" % result.returncode)
long_name = "o" * 250 + ".bin"
write(long_name, b"the old bytes")
result = run("station.ini", "--out", long_name)
check(result.returncode == 1, "failed write: exit %d" % result.returncode)
check("cannot write" in result.stderr and long_name in result.stderr and "left as it was" in result.stderr,
      "failed write: %s" % result.stderr)
check(read(long_name) == b"the old bytes", "failed write: the existing file was changed")
result = run("station.ini", "--out", os.path.join("no-such-folder", "x.bin"))
check(result.returncode == 1 and "cannot write" in result.stderr and "no-such-folder" in result.stderr,
      "unwritable folder: exit %d, %s" % (result.returncode, result.stderr))
check("No such file or directory" in result.stderr, "unwritable folder: no reason given: %s" % result.stderr)
check(not glob.glob(os.path.join(work, "*.tmp")), "temporary files left: %s" % glob.glob(os.path.join(work, "*.tmp")))

for failure in failures:
    print("FAIL:", failure)
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
