"""Checks the report outputs of demagora-batch from the outside: the bytes of a worksheet,
its cells as read back by python3-xlrd (a reader sharing no code with the program), and the
refusal of a report too long for a worksheet.

usage: check_report_outputs.py CASE DEMAGORA_BATCH EXAMPLES_DIR TEST_DATA_DIR
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

import xlrd

# The worksheet reader the C++ tests run as well; no bytecode cache in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from read_sheet import read_sheet, written_cells

# The Initial report of the two rectangular components, exported under the default name.
WORKED_EXAMPLE_HEX = """
09 08 06 00 00 02 10 00 00 00
00 02 0A 00 00 00 FF FF 00 00 00 01 00 00
04 00 1A 00 00 00 00 00 40 00 00 12 69 6E 69 74 69 61 6C 20 63 6F 6D 70 6F 6E 65 6E 74 73
04 00 11 00 01 00 00 00 40 00 00 09 63 6F 6D 70 6F 6E 65 6E 74
04 00 09 00 02 00 00 00 40 00 00 01 30
04 00 09 00 03 00 00 00 40 00 00 01 31
04 00 0E 00 01 00 01 00 40 00 00 06 76 65 63 74 6F 72
04 00 09 00 02 00 01 00 40 00 00 01 30
04 00 09 00 03 00 01 00 40 00 00 01 30
04 00 13 00 01 00 02 00 40 00 00 0B 64 65 63 6C 69 6E 61 74 69 6F 6E
04 00 0A 00 02 00 02 00 40 00 00 02 33 30
04 00 0B 00 03 00 02 00 40 00 00 03 32 30 30
04 00 13 00 01 00 03 00 40 00 00 0B 69 6E 63 6C 69 6E 61 74 69 6F 6E
04 00 0A 00 02 00 03 00 40 00 00 02 34 35
04 00 0B 00 03 00 03 00 40 00 00 03 2D 33 30
04 00 18 00 01 00 04 00 40 00 00 10 6C 65 6E 67 74 68 20 6F 66 20 76 65 63 74 6F 72
04 00 0C 00 02 00 04 00 40 00 00 04 31 30 30 31
04 00 0D 00 03 00 04 00 40 00 00 05 35 30 30 2E 35
04 00 0F 00 01 00 05 00 40 00 00 07 68 65 69 67 68 74 73
04 00 0A 00 02 00 05 00 40 00 00 02 31 30
04 00 09 00 03 00 05 00 40 00 00 01 35
0A 00 00 00
"""

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(batch, *arguments):
    return subprocess.run([batch, *arguments], capture_output=True, text=True, check=False)


def worked_example(batch, examples, _data, folder):
    scenario = os.path.join(examples, "two-rectangular.json")
    target = os.path.join(folder, "result.xls")
    result = run(batch, scenario, "--report", "initial", "--xls", target)
    check(result.returncode == 0, "export failed: %r" % result.stderr)
    with open(target, "rb") as f:
        written = f.read()
    expected = bytes.fromhex(WORKED_EXAMPLE_HEX)
    check(len(expected) == 360, "the expected image is not 360 bytes")
    check(written == expected, "worksheet differs from the worked example:\n%s" % written.hex(" "))

    # Without --report the Initial report is written, and the name gets the .XLS extension.
    result = run(batch, scenario, "--xls", os.path.join(folder, "out"))
    check(result.returncode == 0, "export without --report failed: %r" % result.stderr)
    check(sorted(os.listdir(folder)) == ["out.XLS", "result.xls"],
          "files written: %r" % sorted(os.listdir(folder)))
    with open(os.path.join(folder, "out.XLS"), "rb") as f:
        check(f.read() == expected, "--xls alone does not write the Initial report")

    result = run(batch, scenario, "--report", "initial")
    check(result.returncode == 0, "CSV report failed: %r" % result.stderr)
    check(result.stdout == "component,vector,declination,inclination,length of vector,heights\n"
          "0,0,30,45,1001,10\n1,0,200,-30,500.5,5\n", "CSV report: %r" % result.stdout)


def text_cells(path):
    """The written cells of the worksheet by (row, column), each checked to be text."""
    cells = {}
    for row, column, cell in written_cells(read_sheet(path)):
        check(cell.ctype == xlrd.XL_CELL_TEXT, "cell %d,%d is no text" % (row, column))
        cells[(row, column)] = cell.value
    return cells


def scattered_readback(batch, examples, _data, folder):
    scenario = os.path.join(examples, "scattered.json")
    for kind, title in (("initial", "initial components"), ("resulting", "resulting vectors")):
        target = os.path.join(folder, kind + ".xls")
        result = run(batch, scenario, "--seed", "11", "--report", kind, "--xls", target)
        check(result.returncode == 0, "%s export failed: %r" % (kind, result.stderr))
        result = run(batch, scenario, "--seed", "11", "--report", kind)
        check(result.returncode == 0, "%s CSV failed: %r" % (kind, result.stderr))
        grid = list(csv.reader(io.StringIO(result.stdout)))
        expected = {(0, 0): title}
        for row, fields in enumerate(grid):
            for column, text in enumerate(fields):
                expected[(row + 1, column)] = text
        cells = text_cells(target)
        check(len(grid) > 2 and len(cells) == len(expected),
              "%s: %d cells read back, %d expected" % (kind, len(cells), len(expected)))
        wrong = [(key, cells.get(key), text) for key, text in expected.items()
                 if cells.get(key) != text]
        check(not wrong, "%s: cells differ (position, read, expected): %r" % (kind, wrong[:5]))
        # The statistics cells below each block's first row are written, empty.
        check(any(text == "" for text in expected.values()), "%s: no empty cell" % kind)


def too_many_rows(batch, _examples, data, folder):
    scenario = os.path.join(data, "data-too-many-rows.json")
    target = os.path.join(folder, "long.xls")
    result = run(batch, scenario, "--report", "resulting", "--xls", target)
    check(result.returncode == 2, "exit status %d" % result.returncode)
    check("70700 rows" in result.stderr and "--series" in result.stderr,
          "message: %r" % result.stderr)
    check(os.listdir(folder) == [], "files written: %r" % os.listdir(folder))


CASES = {
    "worked-example": worked_example,
    "scattered-readback": scattered_readback,
    "too-many-rows": too_many_rows,
}

if __name__ == "__main__":
    case, batch_program, examples_dir, data_dir = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as work:
        CASES[case](batch_program, examples_dir, data_dir, work)
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)
