#!/usr/bin/python3
"""Prints every written cell of a workbook's first sheet, one per line:
row, column, kind (text, number, date), value, number format; tab separated.
Numbers are printed with repr, so every digit of the double shows."""
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
print("sheets\t%d" % len(book.worksheets))
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        if cell.is_date:
            kind, value = "date", cell.value.isoformat()
        elif isinstance(cell.value, str):
            kind, value = "text", cell.value
        else:
            kind, value = "number", repr(float(cell.value))
        print("%d\t%d\t%s\t%s\t%s" % (cell.row, cell.column, kind, value, cell.number_format))
