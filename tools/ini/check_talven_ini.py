#!/usr/bin/env python3
"""Runs talven-ini: a file it writes passes its own check; a changed, missing
or added-mode key is named and fails it.

    check_talven_ini.py WORK-DIR TOOL
"""
import os
import shutil
import subprocess
import sys

work, tool = sys.argv[1], sys.argv[2]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*arguments):
    return subprocess.run([tool] + list(arguments), cwd=work, capture_output=True, text=True)


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
result = run("--write", "Talven.ini")
check(result.returncode == 0, "write: exit %d %s" % (result.returncode, result.stderr))
with open(os.path.join(work, "Talven.ini"), "rb") as f:
    shipped = f.read()

result = run("--check", "Talven.ini")
check(result.returncode == 0, "check of the written file: exit %d\n%s" % (result.returncode, result.stdout))
check("0 difference(s)" in result.stdout, "check of the written file: %s" % result.stdout)

# The serial block is shipped unset, under its comment: every reader gets SN.
check(b"\r\nSNFirst=\r\nSNLast=\r\n" in shipped and b"; SNFirst and SNLast" in shipped,
      "the shipped file does not hold SNFirst and SNLast unset and commented")
# The training program's file: the same keys and values, saying whose it is.
result = run("--write-training", "TalvenSim.ini")
check(result.returncode == 0, "write-training: exit %d %s" % (result.returncode, result.stderr))
result = run("--check", "TalvenSim.ini")
check("0 difference(s)" in result.stdout, "check of the training file: %s" % result.stdout)
with open(os.path.join(work, "TalvenSim.ini"), "rb") as f:
    training = f.read()
check(training.startswith(b"; TalvenSim.ini: ") and b"MinSpeed=0\r\n" in training,
      "the training file does not name itself or holds no MinSpeed")
for line in training.split(b"\r\n"):
    check(not line.startswith(b";") or (b"=" not in line and len(line) <= 80), "training comment line: %r" % line)

changed = shipped.replace(b"\r\nWR=0\r\n", b"\r\nWR=1\r\n").replace(b"\r\nSN=123456789abcdef\r\n", b"\r\n")
check(changed != shipped, "the shipped file has no WR=0 or SN line to change")
with open(os.path.join(work, "changed.ini"), "wb") as f:
    f.write(changed)
result = run("--check", "changed.ini")
check(result.returncode == 1, "changed file: exit %d" % result.returncode)
check('[Program set] WR: "1", the shipped value is "0"' in result.stdout, "changed WR not named:\n" + result.stdout)
check('[VX5308] SN: missing, the shipped value is "123456789abcdef"' in result.stdout,
      "missing SN not named:\n" + result.stdout)
check("3 difference(s)" in result.stdout, "changed file: count\n" + result.stdout)

for arguments in ([], ["--check"], ["--bogus", "x"]):
    result = run(*arguments)
    check(result.returncode == 2 and "usage" in result.stderr, "usage %s: exit %d" % (arguments, result.returncode))

for failure in failures:
    print("FAIL:", failure)
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
