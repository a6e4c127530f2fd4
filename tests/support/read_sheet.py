"""Reads the first sheet of a worksheet file with xlrd, a reader that shares no code with the
program's writer, for the tests that check written files from the outside.

As a module: read_sheet(path) gives the sheet's size and its rows of cells; written_cells(sheet)
the cells a record was written for. As a command, run by /usr/bin/python3:

    read_sheet.py FILE           one line per written cell: row, column (both 0-based) and
                                 the text, separated by tabs
    read_sheet.py --json FILE    {"nrows", "ncols", "cells": the values row by row, each row
                                 up to its last written cell, "types": the cell types found}
"""
import collections
import json
import sys

import xlrd
import xlrd.sheet

# xlrd caps sheets of the early record formats at 16384 rows, fewer than the 65535 rows the
# file's bounds declare and an export may fill; lift the cap for reading.
_init = xlrd.sheet.Sheet.__init__


def _lifted(self, *args, **kwargs):
    _init(self, *args, **kwargs)
    self.utter_max_rows = 65536


xlrd.sheet.Sheet.__init__ = _lifted

# The sheet's declared size, and its rows of xlrd cells (ctype, value), each row ending at its
# last written cell.
Sheet = collections.namedtuple("Sheet", "nrows ncols rows")


def read_sheet(path):
    # The program writes ASCII texts; latin-1 gives every byte a character, so a stray byte
    # shows as a wrong text instead of a failed read.
    book = xlrd.open_workbook(path, encoding_override="latin-1", ragged_rows=True,
                              logfile=sys.stderr)
    sheet = book.sheet_by_index(0)
    return Sheet(sheet.nrows, sheet.ncols, [sheet.row(r) for r in range(sheet.nrows)])


def written_cells(sheet):
    """Yields row, column and cell of every cell that a record was written for."""
    for row, cells in enumerate(sheet.rows):
        for column, cell in enumerate(cells):
            if cell.ctype != xlrd.XL_CELL_EMPTY:
                yield row, column, cell


def _as_json(sheet):
    return json.dumps({
        "nrows": sheet.nrows,
        "ncols": sheet.ncols,
        "cells": [[cell.value for cell in cells] for cells in sheet.rows],
        "types": sorted({cell.ctype for cells in sheet.rows for cell in cells}),
    })


def main(arguments):
    as_json = arguments[:1] == ["--json"]
    if as_json:
        arguments = arguments[1:]
    if len(arguments) != 1:
        sys.exit("usage: read_sheet.py [--json] FILE")
    sheet = read_sheet(arguments[0])
    if as_json:
        print(_as_json(sheet))
    else:
        for row, column, cell in written_cells(sheet):
            print("%d\t%d\t%s" % (row, column, cell.value))


if __name__ == "__main__":
    main(sys.argv[1:])
