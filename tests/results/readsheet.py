"""Prints a worksheet file's size and cell texts as JSON, read with xlrd.

Used by the result window's export tests as a reader independent of the program.
"""
import json
import os
import sys

import xlrd
import xlrd.sheet

# xlrd caps sheets of this early record format at 16384 rows, fewer than the 65535 rows the
# file's bounds declare and the export may fill; lift the cap for reading.
_init = xlrd.sheet.Sheet.__init__


def _lifted(self, *args, **kwargs):
    _init(self, *args, **kwargs)
    self.utter_max_rows = 65536


xlrd.sheet.Sheet.__init__ = _lifted

book = xlrd.open_workbook(sys.argv[1], encoding_override="cp1252", ragged_rows=True,
                          logfile=open(os.devnull, "w"))
sheet = book.sheet_by_index(0)
cells = [[sheet.cell_value(r, c) for c in range(sheet.row_len(r))] for r in range(sheet.nrows)]
types = sorted({sheet.cell_type(r, c) for r in range(sheet.nrows) for c in range(sheet.row_len(r))})
print(json.dumps({"nrows": sheet.nrows, "ncols": sheet.ncols, "cells": cells, "types": types}))
