"""Prints every written cell of the first sheet of a worksheet file, one per line:
row, column (both 0-based) and the text, separated by tabs. Used by the tests as a reader
that shares no code with the writer."""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr, encoding_override="latin-1")
sheet = book.sheet_by_index(0)
for row in range(sheet.nrows):
    for column in range(sheet.ncols):
        cell = sheet.cell(row, column)
        if cell.ctype == xlrd.XL_CELL_EMPTY:
            continue
        print("%d\t%d\t%s" % (row, column, cell.value))
