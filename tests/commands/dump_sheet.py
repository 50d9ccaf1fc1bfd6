#!/usr/bin/python3
"""Prints what openpyxl, a reader independent of ours, sees in one sheet of a
workbook, as JSON: the sheet names, the last row, every non-empty cell as
text, the rows with a height of their own, the merged ranges and the print area.

Usage: /usr/bin/python3 dump_sheet.py <workbook.xlsx> <sheet>
"""

import json
import sys

import openpyxl


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    sheet = book[sys.argv[2]]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None and cell.value != "":
                cells[cell.coordinate] = str(cell.value)
    area = sheet.print_area or ""
    if isinstance(area, (list, tuple)):
        area = ",".join(area)
    heights = {str(r): d.height for r, d in sheet.row_dimensions.items() if d.height is not None}
    json.dump({
        "sheets": book.sheetnames,
        "max_row": sheet.max_row,
        "cells": cells,
        "heights": heights,
        "merged": sorted(str(m) for m in sheet.merged_cells.ranges),
        "print_area": area,
    }, sys.stdout)


if __name__ == "__main__":
    main()
