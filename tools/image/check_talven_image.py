#!/usr/bin/env python3
"""Runs talven-image (natively, or under the emulator given after it) and
checks its --out bytes against known images, its exit codes, that every value
the programming run refuses is named by line and key and marked in the listing
while the image is still written, that misspelled names are warned of, that it
ends with one line on what it found, that ANSI and UTF-8 texts write alike,
that a bad input writes nothing, that --out never replaces an input however it
is spelled, that a failed write leaves an existing file whole, and that a
serial block's next serial is the image's.

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

# Good values, as the setup dialog writes them, and their image.
GOOD = (
    "[Program set]\r\nWR=1\r\nFS=0\r\n[VX5308]\r\nVID=0x1234\r\nPID=abcd\r\nManufacture=AB\r\n"
    "Productor=Reader\r\nSN=0123456789abcdef\r\nSCSI_VER=1.00\r\nCFSpeed=1\r\nMSSpeed=2\r\nMSProSpeed=0\r\n"
    "Power Consumption=44\r\nBY105=7\r\n"
)
GOOD_IMAGE = {
    0: "34 12 CD AB",
    4: "08 03 41 00 42 00 20 00",
    22: "20 03 52 00 65 00 61 00 64 00 65 00 72 00" + " 20 00" * 9,
    56: "22 03" + "".join(" %02X 00" % ord(c) for c in "0123456789abcdef"),
    90: "31 2E 30 30 20 20 20 20",
    98: "01 00 00 00 02 00",
    104: "2C 07 00",
}

# The image of SETTINGS below, field by field: the rules the bytes followed
# before values were checked, still shown and written for two refused ones.
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


def read(name):
    with open(os.path.join(work, name), "rb") as f:
        return f.read()


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

with open(os.path.join(work, "good.ini"), "w", newline="") as f:
    f.write(GOOD)
with open(os.path.join(work, "empty.ini"), "w", newline="") as f:
    f.write("")
out = os.path.join(work, "out.bin")

# Good settings over an EEPROM copy: relative paths, as an operator would type them.
result = run("good.ini", "eeprom.bin", "--out", "out.bin")
check(result.returncode == 0, "good run: exit %d, %s" % (result.returncode, result.stderr))
with open(out, "rb") as f:
    check(f.read() == expected_bytes(eeprom, GOOD_IMAGE), "good run: --out bytes differ")
check("kept from the EEPROM" in result.stdout, "good run: kept ranges not marked")
check(" 12- 21" in result.stdout and "107-109" in result.stdout, "good run: offsets not listed")
check(" 34 12\n" in result.stdout and " CD AB\n" in result.stdout, "good run: ID bytes not listed")
check("Low (01)" in result.stdout and "Low (02)" in result.stdout and "High (00)" in result.stdout,
      "good run: speeds not shown as High and Low:\n" + result.stdout)
check("Wrote out.bin: 512 bytes" in result.stdout, "good run: --out does not say what it wrote")
check(result.stderr == "", "good run: said %s" % result.stderr)
check(result.stdout.endswith("\ntalven-image: good: no value refused, no warning; GO runs with this file\n"),
      "good run: no summary line at the end:\n" + result.stdout[-200:])

# Two refused values: named by line, exit 2, the image written all the same.
os.remove(out)
result = run("station.ini", "eeprom.bin", "--out", "out.bin")
check(result.returncode == 2, "refused run: exit %d, %s" % (result.returncode, result.stderr))
check('station.ini:5: PID: "abcde" is not 1 to 4 hexadecimal digits' in result.stderr and
      'station.ini:12: Power Consumption: "300" is not a whole number from 0 to 250' in result.stderr,
      "refused run: %s" % result.stderr)
if os.path.exists(out):
    with open(out, "rb") as f:
        check(f.read() == expected_bytes(eeprom, SETTINGS_IMAGE), "refused run: --out bytes differ")
else:
    failures.append("refused run: no --out file")
# Marked as refused in the listing, not shown as the value the bytes would make.
check('(PID)                    refused: "abcde"' in result.stdout and
      '(Power Consumption)   refused: "300"' in result.stdout and "88 mA" not in result.stdout,
      "refused run: refused values not marked:\n" + result.stdout)
check(result.stdout.endswith("talven-image: refused: 2 values refused, no warning; with this file Write EEPROM "
                             "writes nothing; the read/write test runs\n"), "refused run: " + result.stdout[-200:])

# An empty settings file: the default image over zeros, zeros folded.
result = run("empty.ini", "--out", "default.bin")
check(result.returncode == 0, "default run: exit %d" % result.returncode)
with open(os.path.join(work, "default.bin"), "rb") as f:
    check(f.read() == expected_bytes(bytes(512), DEFAULT_IMAGE), "default run: --out bytes differ")
check("(402 zero bytes)" in result.stdout and "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" not in result.stdout,
      "default run: the zeros after the image are not folded")
check("250 (500 mA)" in result.stdout, "default run: no power in mA")
# A serial is shown as the record keeps it, without the blank that fills its field up.
check('(SN)               "123456789abcdef"\n' in result.stdout, "default run: the serial's padding shown")

# Every kind of refused value, one line at a time: exit 2 naming line 2 and
# the key, and the bytes the old rules made of it.
REFUSED = [
    ("VID=0x12345", "VID", '"0x12345" is not 1 to 4 hexadecimal digits', 0, "45 23"),
    ("PID=zz", "PID", '"zz" is not 1 to 4 hexadecimal digits', 2, "00 00"),
    ("PID=", "PID", '"" is not 1 to 4 hexadecimal digits', 2, "00 00"),
    ("Power Consumption=300", "Power Consumption", '"300" is not a whole number from 0 to 250', 104, "2C"),
    ("Power Consumption=251", "Power Consumption", '"251" is not a whole number from 0 to 250', 104, "FB"),
    ("Power Consumption=-1", "Power Consumption", '"-1" is not a whole number from 0 to 250', 104, "FF"),
    ("Power Consumption=abc", "Power Consumption", '"abc" is not a whole number from 0 to 250', 104, "00"),
    ("Power Consumption=256", "Power Consumption", '"256" is not a whole number from 0 to 250', 104, "00"),
    ("BY105=-5", "BY105", '"-5" is not a whole number from 0 to 255', 105, "FB"),
    ("BY105=12x", "BY105", '"12x" is not a whole number from 0 to 255', 105, "0C"),
    ("CFSpeed=2", "CFSpeed", '"2" is not 0 (High) or 1 (Low)', 98, "02"),
    ("SMSpeed=7", "SMSpeed", '"7" is not 0 (High) or 1 (Low)', 99, "07"),
    ("MSSpeed=1", "MSSpeed", '"1" is not 0 (High) or 2 (Low)', 102, "01"),
    ("MMCSpeed=-1", "MMCSpeed", '"-1" is not 0 (High) or 1 (Low)', 103, "FF"),
    ("Manufacture=ABCD", "Manufacture", "4 characters; the field holds 3", 4, "08 03 41 00 42 00 43 00"),
    ("Productor=ABCDEFGHIJKLMNOP", "Productor", "16 characters; the field holds 15", 22,
     "20 03" + "".join(" %02X 00" % ord(c) for c in "ABCDEFGHIJKLMNO")),
    ("SN=0123456789abcdefX", "SN", "17 characters; the field holds 16", 56,
     "22 03" + "".join(" %02X 00" % ord(c) for c in "0123456789abcdef")),
    ("SCSI_VER=123456789", "SCSI_VER", "9 characters; the field holds 8", 90, "31 32 33 34 35 36 37 38"),
    ("SN=12\t34", "SN", "character 3 is a tab, which the field cannot hold", 56, "22 03 31 00 32 00 09 00 33 00"),
    ("SCSI_VER=\u20ac1", "SCSI_VER", "character 1 is U+20AC; the field holds none above U+00FF", 90, "3F 31 20"),
    ("Productor=Leseger\u00e4te Typ23", "Productor", "16 characters; the field holds 15", 22,
     "20 03 4C 00 65 00 73 00 65 00 67 00 65 00 72 00 E4 00 74 00"),
]
# The checks are portable code that the host build runs over every case; under
# Wine, where each case starts a Windows process, a sample of each kind shows
# that the Windows build reads, reports and writes alike.
if emulator:
    REFUSED = REFUSED[::3] + [case for case in REFUSED[1::3] + REFUSED[2::3] if not case[0].isascii()]
for line, key, reason, offset, text in REFUSED:
    with open(os.path.join(work, "bad.ini"), "wb") as f:
        f.write(("[VX5308]\r\n" + line + "\r\n").encode("utf-8"))
    result = run("bad.ini", "--out", "bad-image.bin")
    expected = "bad.ini:2: %s: %s" % (key, reason)
    check(result.returncode == 2, "%s: exit %d" % (line, result.returncode))
    # The refused text is printed as the file holds it, whatever the console makes of it.
    head, _, tail = expected.partition("\u00e4")
    check(head in result.stderr and tail in result.stderr, "%s: not %r but %r" % (line, expected, result.stderr))
    values = bytes.fromhex(text)
    with open(os.path.join(work, "bad-image.bin"), "rb") as f:
        check(f.read()[offset:offset + len(values)] == values, "%s: the image does not follow the old rules" % line)
    os.remove(os.path.join(work, "bad-image.bin"))

# Names the program does not read: a warning by line, exit 1, the defaults written.
WARNED = [
    ("[VX5308]\r\nCFSpeeed=1\r\n", "bad.ini:2: warning: unknown key CFSpeeed in [VX5308]; did you mean CFSpeed?"),
    ("[VX5308]\r\nPlD=1234\r\n", "bad.ini:2: warning: unknown key PlD in [VX5308]; did you mean PID?"),
    ("[VX5308]\r\nMSSpeeed=2\r\n", "bad.ini:2: warning: unknown key MSSpeeed in [VX5308]; did you mean MSSpeed?"),
    ("[VX5308]\r\nWR=1\r\n", "bad.ini:2: warning: key WR belongs in [Program set], not [VX5308]"),
    ("[Program set]\r\nWR=1\r\n[VX5380]\r\nSN=1\r\n",
     "bad.ini:3: warning: section [VX5380] is not [VX5308]; its keys are not read"),
    ("[ProgramSet]\r\nWR=1\r\n", "bad.ini:1: warning: section [ProgramSet] is not [Program set]; its keys are not read"),
    ("[Program set]\r\nWR=yes\r\n", 'bad.ini:2: warning: WR: "yes" is not 0 or 1; read as 0 (any number but 0 is 1)'),
    ("[Program set]\r\nFS=2\r\n", 'bad.ini:2: warning: FS: "2" is not 0 or 1; read as 1 (any number but 0 is 1)'),
]
if emulator:
    WARNED = WARNED[::2]
for content, expected in WARNED:
    with open(os.path.join(work, "bad.ini"), "w", newline="") as f:
        f.write(content)
    result = run("bad.ini", "--out", "bad-image.bin")
    check(result.returncode == 1 and expected in result.stderr,
          "%r: exit %d, not %r but %r" % (content, result.returncode, expected, result.stderr))
    check(result.stdout.endswith("\ntalven-image: warnings: no value refused, 1 warning; GO runs with this file\n"),
          "%r: summary %r" % (content, result.stdout[-120:]))
    with open(os.path.join(work, "bad-image.bin"), "rb") as f:
        check(f.read() == expected_bytes(bytes(512), DEFAULT_IMAGE), "%r: not the default image" % content)
# A refused key of the read/write test stops that test only (portable words:
# the host build says them for both).
if not emulator:
    with open(os.path.join(work, "bad.ini"), "w", newline="") as f:
        f.write("[Program set]\r\nMinSpeed=fast\r\n")
    result = run("bad.ini")
    check(result.returncode == 2 and result.stdout.endswith(
          "talven-image: refused: 1 value refused, no warning; with this file the read/write test tests no slot; "
          "Write EEPROM writes\n"), "MinSpeed refused: exit %d, %r" % (result.returncode, result.stdout[-200:]))

# "Lesegerät" saved as ANSI or as UTF-8: the same image, listed readably.
images = []
for encoding in ("cp1252", "utf-8"):
    with open(os.path.join(work, "text.ini"), "wb") as f:
        f.write("[VX5308]\r\nProductor=Leseger\u00e4t\r\n".encode(encoding))
    result = run("text.ini", "--out", "text.bin")
    check(result.returncode == 0 and '"Leseger\u00e4t      "' in result.stdout,
          "%s text: exit %d, %s" % (encoding, result.returncode, result.stdout[:600]))
    images.append(read("text.bin"))
check(images[0] == images[1] and images[0][22:42] == bytes.fromhex("2003 4C00 6500 7300 6500 6700 6500 7200 E400 7400"),
      "ANSI and UTF-8 texts: not the same image")

# Case is not a misspelling: Windows reads the key.
with open(os.path.join(work, "bad.ini"), "w", newline="") as f:
    f.write("[program SET]\r\nwr=1\r\n[vx5308]\r\nSn=42\r\n; CFSpeeed=1 in a comment\r\n")
result = run("bad.ini")
check(result.returncode == 0 and result.stderr == "", "names in another case: exit %d, %s" % (result.returncode, result.stderr))

# A file Notepad saved as "Unicode" reads as the same file in ANSI.
with open(os.path.join(work, "unicode.ini"), "wb") as f:
    f.write(GOOD.encode("utf-16"))
result = run("unicode.ini", "eeprom.bin", "--out", "unicode.bin")
check(result.returncode == 0, "UTF-16 file: exit %d, %s" % (result.returncode, result.stderr))
with open(os.path.join(work, "unicode.bin"), "rb") as f:
    check(f.read() == expected_bytes(eeprom, GOOD_IMAGE), "UTF-16 file: --out bytes differ")

# A missing settings file is an error: a mistyped name is no file of defaults.
result = run("absent.ini", "--out", "absent.bin")
check(result.returncode == 2 and "no settings file" in result.stderr and "absent.ini" in result.stderr,
      "missing settings file: exit %d, %s" % (result.returncode, result.stderr))
check(not os.path.exists(os.path.join(work, "absent.bin")), "missing settings file: an output was written")

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
check(result.returncode == 2, "--out absent.ini: exit %d" % result.returncode)
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
result = run("empty.ini", "--out", "out.bin")
check(result.returncode == 0 and read("out.bin") == expected_bytes(bytes(512), DEFAULT_IMAGE),
      "replacing an existing output: exit %d" % result.returncode)
long_name = "o" * 250 + ".bin"
write(long_name, b"the old bytes")
result = run("good.ini", "--out", long_name)
check(result.returncode == 1, "failed write: exit %d" % result.returncode)
check("cannot write" in result.stderr and long_name in result.stderr and "left as it was" in result.stderr,
      "failed write: %s" % result.stderr)
check(read(long_name) == b"the old bytes", "failed write: the existing file was changed")
result = run("good.ini", "--out", os.path.join("no-such-folder", "x.bin"))
check(result.returncode == 1 and "cannot write" in result.stderr and "no-such-folder" in result.stderr,
      "unwritable folder: exit %d, %s" % (result.returncode, result.stderr))
check("No such file or directory" in result.stderr, "unwritable folder: no reason given: %s" % result.stderr)
check(not glob.glob(os.path.join(work, "*.tmp")), "temporary files left: %s" % glob.glob(os.path.join(work, "*.tmp")))

# A serial block's next serial goes into the image, by the station's state
# beside the settings file; with the block used up GO would write nothing.
write("block.ini", b"[VX5308]\r\nSNFirst=TLV00000100\r\nSNLast=TLV00000999\r\n")
write("block.state", b"handed=TLV00000100\tTLV00000123\r\nend\r\n")
result = run("block.ini", "--out", "block.bin")
check(result.returncode == 0 and read("block.bin")[58:80:2] == b"TLV00000124",
      "serial block: exit %d, %s" % (result.returncode, result.stderr))
# --out took TLV00000124 through the state: the next image, or GO, gets
# another; one past the record's highest when the state holds less.
result = run("block.ini", "--out", "block.bin")
check(result.returncode == 0 and read("block.bin")[58:80:2] == b"TLV00000125"
      and "hands out serials from it" in result.stderr, "serial taken: exit %d, %s" % (result.returncode, result.stderr))
os.makedirs(os.path.join(work, "Logs"), exist_ok=True)
write(os.path.join("Logs", "Talven-2026-12-08-X.csv"), b"time\r\n" + b"a,,,,1,,,,,,,,,,,,TLV00000130,x\r\n")
result = run("block.ini")
check(read("block.state").count(b"TLV00000125") == 1 and "TLV00000131, the next" in result.stdout
      and "going on after TLV00000130, the highest in the record" in result.stderr,
      "record ahead of the state: %s %s" % (result.stdout, result.stderr))
result = run("good.ini")
check("every reader written with this image gets the same serial" in result.stdout, "no block: %s" % result.stdout)
write("block.state", b"handed=TLV00000100\tTLV00000999\r\nend\r\n")
result = run("block.ini")
check(result.returncode == 2 and "serial numbers used up: TLV00000999 was the last" in result.stderr
      and "Write EEPROM writes nothing" in result.stdout,
      "serial block used up: exit %d, %s" % (result.returncode, result.stderr))

for failure in failures:
    print("FAIL:", failure)
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
