#!/usr/bin/env python3
"""Hostile-input fuzz of the measurement readers, run by hand (not by CTest).

Mutates the files of a measurements folder (cuts, flipped and inserted bytes, stray tokens,
long fields, control characters, huge and tiny numbers) and runs demagora-batch --measured on
each, best built with -DDEMAGORA_SANITIZE=ON. A run fails the fuzz when it ends by a signal,
prints a sanitizer report, exits with a status other than 0 or 2, leaves an output behind
after a refusal, prints a message line over 2000 bytes or with a raw escape character, takes
more than MAX_SECONDS or peaks above MAX_RSS_KIB. A fault's files are kept for a look.

    tests/fuzz_readers.py BATCH_EXECUTABLE MEASUREMENTS_DIR [--runs N] [--seed S]
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

MAX_SECONDS = 10
MAX_RSS_KIB = 500 * 1024
# The largest mutated file: the readers' own limits are tested by the tests.
MAX_INPUT_BYTES = 64 << 20

# AddressSanitizer keeps up to 256 MB of freed memory aside by default, which would count as
# the run's own; a smaller quarantine still catches a use after free of the last blocks.
ENVIRONMENT = dict(os.environ)
ENVIRONMENT.setdefault("ASAN_OPTIONS", "quarantine_size_mb=16")

TOKENS = [b"7", b"x", b"-", b"1e308", b"-1e308", b"1e-320", b"nan", b"inf", b"999", b"-999",
          b"\x1b[2J", b"\t", b"\r", b"\x00", b"\xff\xfe", b"NRM", b"TT", b"LT-T-Z", b"b"]


def mutate(data, rng):
    kind = rng.randrange(7)
    if not data:
        return rng.choice(TOKENS)
    at = rng.randrange(len(data))
    if kind == 0:  # cut anywhere
        return data[:at]
    if kind == 1:  # flip a few bytes
        data = bytearray(data)
        for _ in range(rng.randrange(1, 8)):
            data[rng.randrange(len(data))] = rng.randrange(256)
        return bytes(data)
    if kind == 2:  # a stray token
        return data[:at] + b" " + rng.choice(TOKENS) + b" " + data[at:]
    if kind == 3:  # a long field
        return data[:at] + rng.choice([b"7", b"a", b" "]) * rng.choice([300, 30000, 300000]) + data[at:]
    if kind == 4:  # a number made huge or tiny
        return data[:at] + rng.choice([b"e300", b"e-300", b"0000000000", b"9" * 40]) + data[at:]
    if kind == 5:  # a line repeated many times
        start = data.rfind(b"\n", 0, at) + 1
        end = data.find(b"\n", at)
        end = len(data) if end < 0 else end + 1
        times = min(rng.choice([10, 1000, 20000]), MAX_INPUT_BYTES // max(1, end - start))
        return data[:end] + data[start:end] * times + data[end:]
    # many line ends
    return data[:at] + b"\n" * rng.choice([10, 100000, 3000000]) + data[at:]


def seeds(folder):
    """(subfolder, file to give --measured or "" for the subfolder, its files) for each case."""
    cases = []
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not os.path.isdir(path):
            continue
        files = sorted(os.listdir(path))
        sam = [f for f in files if f.endswith(".sam")]
        if sam:
            cases.append((name, sam[0], files))
        if "measurements.txt" in files:
            cases.append((name, "measurements.txt", files))
        for f in files:
            if f.endswith((".jr6", ".dat", ".ppl", ".TH", ".AF")):
                cases.append((name, f, files))
        if any(f.endswith(".dat") for f in files):
            cases.append((name, "", files))
    return cases


def run_case(batch, given, work, rng):
    out = os.path.join(work, "out")
    arguments = [batch, "--measured", given]
    choice = rng.randrange(4)
    if choice == 0:
        arguments += ["--png", out + ".png"]
    elif choice == 1:
        arguments += ["--magic", out + "-magic"]
    elif choice == 2:
        arguments += ["--fit", "0:700", "--fits", out + ".csv"]
    else:
        arguments += ["--steps-csv", out + ".csv"]
    if rng.randrange(4) == 0:
        arguments += ["--coordinates", rng.choice(["geographic", "tilt"])]
    started = time.monotonic()
    peak = os.path.join(work, "peak")
    with tempfile.TemporaryFile() as errors:
        # GNU time measures the run's own peak memory (a child forked from this script would
        # report the script's own).
        process = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", peak] + arguments,
                                   stdout=subprocess.DEVNULL, stderr=errors,
                                   stdin=subprocess.DEVNULL, cwd=work, env=ENVIRONMENT)
        try:
            process.wait(timeout=MAX_SECONDS * 3)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        errors.seek(0)
        err = errors.read()
    seconds = time.monotonic() - started
    status = process.returncode
    # GNU time reports a run ended by a signal on its output file, and exits with 128 + it.
    with open(peak) as stream:
        report = stream.read().split()
    peak_kib = int(report[-1]) if report and report[-1].isdigit() else 0
    if any(word == "signal" for word in report):
        status = -int(report[report.index("signal") + 1])
    problems = []
    if status < 0:
        problems.append("signal %d" % -status)
    elif status not in (0, 2):
        problems.append("status %d" % status)
    if b"Sanitizer" in err or b"runtime error" in err:
        problems.append("sanitizer report")
    if seconds > MAX_SECONDS:
        problems.append("%.1f s" % seconds)
    if peak_kib > MAX_RSS_KIB:
        problems.append("%d MiB" % (peak_kib // 1024))
    if status == 2 and any(name.startswith("out") for name in os.listdir(work)):
        problems.append("an output written by a refused run")
    if any(len(line) > 2000 or b"\x1b" in line for line in err.splitlines()):
        problems.append("a message line over 2000 bytes or with a raw escape")
    return arguments, status, ", ".join(problems), err


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("batch")
    parser.add_argument("measurements")
    parser.add_argument("--runs", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=1)
    options = parser.parse_args()
    rng = random.Random(options.seed)
    options.batch = os.path.abspath(options.batch)
    cases = seeds(options.measurements)
    counts = {"runs": 0, "status 0": 0, "status 2": 0, "faults": 0}
    for run in range(options.runs):
        folder, target, files = rng.choice(cases)
        work = tempfile.mkdtemp(prefix="demagora-fuzz-")
        try:
            copy = os.path.join(work, folder)
            shutil.copytree(os.path.join(options.measurements, folder), copy)
            for name in files:
                os.chmod(os.path.join(copy, name), 0o644)
            victims = [target] if target else [f for f in files if f.endswith(".dat")]
            # Mostly the file given, sometimes a sibling or a specimen file.
            victim = rng.choice(victims + files[:3]) if rng.randrange(3) == 0 else rng.choice(victims)
            path = os.path.join(copy, victim)
            with open(path, "rb") as stream:
                data = stream.read()
            for _ in range(rng.randrange(1, 3)):
                data = mutate(data, rng)[:MAX_INPUT_BYTES]
            with open(path, "wb") as stream:
                stream.write(data)
            given = os.path.join(copy, target) if target else copy
            arguments, status, problem, err = run_case(options.batch, given, work, rng)
            counts["runs"] += 1
            if problem:
                counts["faults"] += 1
                kept = os.path.join(tempfile.gettempdir(), "demagora-fuzz-fault-%d" % run)
                shutil.rmtree(kept, ignore_errors=True)
                shutil.copytree(work, kept)
                print("run %d: %s: %s (files kept in %s)\n  %s" % (
                    run, problem, " ".join(arguments[1:4]), kept, err[:500].decode(errors="replace")),
                    flush=True)
            else:
                counts["status %d" % status] += 1
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print(counts)
    return 1 if counts["faults"] else 0


if __name__ == "__main__":
    sys.exit(main())
