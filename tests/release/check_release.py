#!/usr/bin/env python3
"""Checks the station package: unpacks it and checks its listing, that every
executable is built for its Windows and imports no DLL beyond Windows' own,
the execution level each asks for, that the shipped settings file, read by
the host tools through the settings code, gives the programming run's
defaults, and that the training files and the guide are the ones of the
sources.

    check_release.py PACKAGE.zip HOST-BUILD-DIR
"""
import html
import os
import re
import shutil
import subprocess
import sys
import zipfile

package, host_build = sys.argv[1], os.path.abspath(sys.argv[2])
source_root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
work = os.path.join(os.path.dirname(os.path.abspath(package)), "check")

# (path in the package, PE format, subsystem, execution level)
EXECUTABLES = [
    ("Talven.exe", "pei-x86-64", "Windows GUI", "requireAdministrator"),
    ("talven-image.exe", "pei-x86-64", "Windows CUI", "asInvoker"),
    ("talven-report.exe", "pei-x86-64", "Windows CUI", "asInvoker"),
    ("x86/Talven.exe", "pei-i386", "Windows GUI", "requireAdministrator"),
    ("x86/talven-image.exe", "pei-i386", "Windows CUI", "asInvoker"),
    ("x86/talven-report.exe", "pei-i386", "Windows CUI", "asInvoker"),
    ("training/TalvenSim.exe", "pei-x86-64", "Windows GUI", "asInvoker"),
]
TRAINING_STATIONS = ["good.station", "faults.station", "cards.station", "quick-test.station", "worn-card.station"]
DOCUMENTS = ["Talven.ini", "Talven-guide.html", "training/station-format.txt", "training/TalvenSim.ini"] + \
    ["training/" + name for name in TRAINING_STATIONS]

# DLLs every Windows installation has; the C++ and GCC runtimes are not among them.
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "version.dll", "msvcrt.dll",
                "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "shlwapi.dll",
                "ws2_32.dll", "ntdll.dll", "uxtheme.dll", "winmm.dll", "setupapi.dll", "cfgmgr32.dll",
                "bcrypt.dll", "crypt32.dll", "imm32.dll", "rpcrt4.dll"}

MESSAGES = ["Please insert disk card!", "Test success.", "Write failure!", "Read failure!", "Compare failure!",
            "Disk be removed!", "Test stop", "Write EEPROM...", "Write EEPROM success.", "Write EEPROM unsuccess.",
            "No card reader device.", "Speed too low!", "Test card has too little free space!"]
PROGRESS = re.compile(r"Testting\(\d+/\d+\)\.\.\.\.")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def read(relative):
    with open(os.path.join(work, relative), "rb") as f:
        return f.read()


def source(relative):
    with open(os.path.join(source_root, relative), "rb") as f:
        return f.read()


def windows_lines(text):
    return text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def check_listing():
    with zipfile.ZipFile(package) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        archive.extractall(work)
    expected = sorted([e[0] for e in EXECUTABLES] + DOCUMENTS)
    check(names == expected, "listing: %s, expected %s" % (names, expected))


def check_executable(path, pe_format, subsystem, level):
    result = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", os.path.join(work, path)], capture_output=True,
                            text=True)
    check(result.returncode == 0, "%s: objdump failed: %s" % (path, result.stderr))
    check("file format %s" % pe_format in result.stdout, "%s: not %s" % (path, pe_format))
    check(re.search(r"^Subsystem\s+\S+\s+\(%s\)" % subsystem, result.stdout, re.M) is not None,
          "%s: not a %s program" % (path, subsystem))
    dlls = re.findall(r"DLL Name: (\S+)", result.stdout)
    check("kernel32.dll" in (d.lower() for d in dlls), "%s: no imports found (%s)" % (path, dlls))
    foreign = [d for d in dlls if d.lower() not in WINDOWS_DLLS]
    check(not foreign, "%s: imports DLLs that Windows does not have: %s" % (path, foreign))
    levels = re.findall(rb'requestedExecutionLevel level="(\w+)"', read(path))
    check(levels == [level.encode()], "%s: execution level %s, expected %s" % (path, levels, level))


def run_host_tool(*arguments):
    return subprocess.run(list(arguments), cwd=work, capture_output=True, text=True)


def check_settings():
    shipped = read("Talven.ini")
    check(shipped.endswith(b"\r\n") and b"\n" not in shipped.replace(b"\r\n", b""),
          "Talven.ini: not every line ends in CR LF")
    result = run_host_tool(os.path.join(host_build, "tools/ini/talven-ini"), "--check", "Talven.ini")
    check(result.returncode == 0 and "0 difference(s)" in result.stdout,
          "Talven.ini: differs from the shipped defaults:\n" + result.stdout + result.stderr)
    image_tool = os.path.join(host_build, "tools/image/talven-image")
    # A file without keys gives every key its default, as a missing one does.
    with open(os.path.join(work, "no-keys.ini"), "wb") as f:
        f.write(b"")
    shipped_run = run_host_tool(image_tool, "Talven.ini", "--out", "shipped-image.bin")
    default_run = run_host_tool(image_tool, "no-keys.ini", "--out", "default-image.bin")
    check(shipped_run.returncode == 0 and default_run.returncode == 0,
          "talven-image: exit %d and %d" % (shipped_run.returncode, default_run.returncode))
    check(shipped_run.stderr == "", "talven-image finds fault with Talven.ini: " + shipped_run.stderr)
    check(read("shipped-image.bin") == read("default-image.bin"),
          "Talven.ini builds another configuration image than a file without keys")


def check_training():
    for name in TRAINING_STATIONS:
        check(read("training/" + name) == windows_lines(source("docs/stations/" + name)),
              "training/%s is not docs/stations/%s" % (name, name))
    check(read("training/station-format.txt") == windows_lines(source("docs/station-format.md")),
          "training/station-format.txt is not docs/station-format.md")
    # The trainer's own settings: every key at the shipped value, MinSpeed among them to try.
    settings = read("training/TalvenSim.ini")
    check(settings.startswith(b"; TalvenSim.ini: ") and b"\r\nMinSpeed=0\r\n" in settings,
          "training/TalvenSim.ini does not name itself or holds no MinSpeed")
    result = run_host_tool(os.path.join(host_build, "tools/ini/talven-ini"), "--check", "training/TalvenSim.ini")
    check(result.returncode == 0, "training/TalvenSim.ini differs from the shipped settings:\n" + result.stdout)


def check_guide():
    guide = read("Talven-guide.html").decode("utf-8")
    text = html.unescape(re.sub(r"<[^>]+>", "", guide))
    for message in MESSAGES:
        check(message in text, "guide: no word on \"%s\"" % message)
    check(PROGRESS.search(text) is not None, "guide: no word on the progress text Testting(n/m)....")
    for word in ("neutral", "failed (red)", "passed (green)", "stopped", "administrator", "Help > Setting...",
                 "Talven.ini", "cannot be stopped", "press GO", "MinSpeed", "RecordFolder", "Record behind by",
                 "Write/Read MB/s", "SNFirst", "Talven.state", "Reset counts", "serial numbers used up"):
        check(word in text, "guide: no word on \"%s\"" % word)
    sources = re.findall(r'src="([^"]*)"', guide)
    check(len(sources) >= 7, "guide: %d pictures" % len(sources))
    outside = [s[:40] for s in sources if not s.startswith("data:image/")]
    check(not outside, "guide: pictures outside the page: %s" % outside)


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
check_listing()
if not failures:
    for executable in EXECUTABLES:
        check_executable(*executable)
    check_settings()
    check_training()
    check_guide()

for failure in failures:
    print("FAIL:", failure)
print("%s: %d failure(s)" % (package, len(failures)))
sys.exit(1 if failures else 0)
