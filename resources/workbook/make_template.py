#!/usr/bin/python3
"""Writes WorkbaseE.xlsx, the record sheet template of the spreadsheet export.

Usage: /usr/bin/python3 make_template.py [output.xlsx]   (default: beside this script)

The export finds the cell "Speaker Diameter or environment" (row R, column C)
and writes relative to it:
  G3                 date and time of the export
  (R, C+4)           busy level          (R, C+6)   audio output
  (R+1, C+6)         image checksum
  R+4 .. R+13        the ten key rows: function at C+2, names at C+3, kinds at C+6
  R+14, R+235, R+456, R+677   caption rows of the four list sections
  R+15.., R+236.., R+457.., R+678..   220 list rows each (3x8 matrix, parallel
                     port, one-line, three-line): names at C+2, kinds at C+6
and then deletes the sections that the project's control mode does not use.
Here R = 5 and C = 1 (column A). The output is byte-for-byte reproducible.
"""

import io
import os
import sys
import zipfile
from datetime import datetime

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.workbook.defined_name import DefinedName

R = 5  # row of the label
LISTS = 220
SECTIONS = [  # (caption row offset from R, title)
    (14, "3x8 key matrix mode"),
    (235, "parallel port mode"),
    (456, "one-line serial mode"),
    (677, "three-line serial mode"),
]
LAST_SECTION_ROW = R + 897
FOOTER_ROW = LAST_SECTION_ROW + 2
FIXED_TIME = datetime(2024, 1, 1, 0, 0, 0)

thin = Side(style="thin", color="808080")
box = Border(left=thin, right=thin, top=thin, bottom=thin)
underline = Border(bottom=Side(style="thin", color="000000"))
header_fill = PatternFill("solid", fgColor="D9E1F2")
caption_fill = PatternFill("solid", fgColor="EDEDED")
bold = Font(name="Arial", size=10, bold=True)
normal = Font(name="Arial", size=10)
small = Font(name="Arial", size=9)
wrap_top = Alignment(wrap_text=True, vertical="top")
centre = Alignment(horizontal="center", vertical="center", wrap_text=True)


def field(ws, caption_cell, value_range, caption):
    """A caption and a ruled blank field for the workshop to fill in by hand."""
    ws[caption_cell] = caption
    ws[caption_cell].font = bold
    ws[caption_cell].alignment = Alignment(vertical="center", wrap_text=True)
    first = value_range.split(":")[0]
    if ":" in value_range:
        ws.merge_cells(value_range)
        for row in ws[value_range]:
            for cell in row:
                cell.border = underline
    else:
        ws[first].border = underline
    ws[first].font = normal
    ws[first].alignment = Alignment(vertical="center")


def value_cell(ws, ref, caption_ref, caption):
    ws[caption_ref] = caption
    ws[caption_ref].font = bold
    ws[caption_ref].alignment = Alignment(horizontal="right", vertical="center", wrap_text=True)
    ws[ref].border = box
    ws[ref].font = Font(name="Consolas", size=10, bold=True)
    ws[ref].alignment = Alignment(horizontal="center", vertical="center")


def header_row(ws, row, texts, merge_names):
    for col, text in enumerate(texts, start=1):
        cell = ws.cell(row=row, column=col, value=text if text else None)
        cell.font = bold
        cell.fill = header_fill
        cell.border = box
        cell.alignment = centre
    ws.merge_cells(start_row=row, start_column=merge_names[0], end_row=row,
                   end_column=merge_names[1])
    ws.row_dimensions[row].height = 20


def list_row(ws, row, first_col, caption, number, merge_names):
    ws.cell(row=row, column=1, value=caption).font = normal
    ws.cell(row=row, column=2, value=number).font = small
    for col in range(1, 8):
        cell = ws.cell(row=row, column=col)
        cell.border = box
        if col >= first_col:
            cell.alignment = wrap_top
            cell.font = normal
        else:
            cell.alignment = Alignment(vertical="top")
    ws.merge_cells(start_row=row, start_column=merge_names[0], end_row=row,
                   end_column=merge_names[1])


def build():
    wb = Workbook()
    ws = wb.active
    ws.title = "worksheet"
    for col, width in zip("ABCDEFG", (16, 7, 17, 17, 14, 14, 22)):
        ws.column_dimensions[col].width = width

    ws.merge_cells("A1:G1")
    ws["A1"] = "LARK40 voice module - programming record"
    ws["A1"].font = Font(name="Arial", size=14, bold=True)
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws.row_dimensions[1].height = 28

    field(ws, "A2", "B2:D2", "Project")
    field(ws, "E2", "F2:G2", "Device / order")
    field(ws, "A3", "B3:D3", "Customer")
    value_cell(ws, "G3", "F3", "Date")
    field(ws, "A4", "B4:D4", "Programmed by")
    value_cell(ws, "G4", "F4", "Chip")
    ws["G4"] = "LARK40"
    for row in (2, 3, 4):
        ws.row_dimensions[row].height = 20

    # The label row and the checksum row.
    ws.cell(row=R, column=1, value="Speaker Diameter or environment")
    field(ws, f"A{R}", f"B{R}:C{R}", "Speaker Diameter or environment")
    value_cell(ws, f"E{R}", f"D{R}", "Busy level")
    value_cell(ws, f"G{R}", f"F{R}", "Audio output")
    ws.row_dimensions[R].height = 40
    field(ws, f"A{R + 1}", f"B{R + 1}:D{R + 1}", "Notes")
    value_cell(ws, f"G{R + 1}", f"E{R + 1}", "Image checksum")
    ws.merge_cells(f"E{R + 1}:F{R + 1}")
    ws.row_dimensions[R + 1].height = 20

    # Key rows: function at C+2 (C), names at C+3 (D:F), kinds at C+6 (G).
    header_row(ws, R + 3, ["Key", "List", "Key function", "Playlist contents", "", "",
                           "Sound kinds"], (4, 6))
    for i in range(10):
        list_row(ws, R + 4 + i, 3, f"Key {i + 1}", f"{i:02x}H", (4, 6))

    # The four list sections: names at C+2 (C:F), kinds at C+6 (G).
    for offset, title in SECTIONS:
        header_row(ws, R + offset, ["List", "No.", f"Playlist contents - {title}", "", "", "",
                                    "Sound kinds"], (3, 6))
        for i in range(LISTS):
            list_row(ws, R + offset + 1 + i, 3, f"List {i}", f"{i:02x}H", (3, 6))

    # Sign-off line below the last section; it moves up with every deletion.
    field(ws, f"A{FOOTER_ROW}", f"B{FOOTER_ROW}:C{FOOTER_ROW}", "Checked by")
    field(ws, f"D{FOOTER_ROW}", f"E{FOOTER_ROW}:G{FOOTER_ROW}", "Signature")
    ws.row_dimensions[FOOTER_ROW].height = 24

    ws.print_area = f"A1:G{FOOTER_ROW}"
    ws.print_title_rows = None
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = "portrait"
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr.fitToPage = True
    ws.page_margins.left = ws.page_margins.right = 0.5
    ws.page_margins.top = ws.page_margins.bottom = 0.6
    ws.oddFooter.center.text = "Page &P of &N"
    ws.oddFooter.right.text = "&F"
    ws.sheet_view.showGridLines = False

    wb.properties.creator = "ZadarAvod"
    wb.properties.title = "LARK40 programming record"
    wb.properties.created = FIXED_TIME
    wb.properties.modified = FIXED_TIME
    return wb


def reproducible(data):
    """The same package with fixed entry times, so the file depends only on this script."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as src, \
            zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for info in src.infolist():
            entry = zipfile.ZipInfo(info.filename, date_time=FIXED_TIME.timetuple()[:6])
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            dst.writestr(entry, src.read(info.filename))
    return out.getvalue()


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "WorkbaseE.xlsx")
    buffer = io.BytesIO()
    build().save(buffer)
    data = reproducible(buffer.getvalue())
    with open(target, "wb") as f:
        f.write(data)
    print(f"{target}: {len(data)} bytes")


if __name__ == "__main__":
    main()
