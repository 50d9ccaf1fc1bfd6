#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tools/CellReference.h"

namespace zadaravod::workbook {

/// An .xlsx workbook opened for editing one worksheet at a time.
///
/// The workbook reads the package into memory, reads and writes cells of the
/// selected worksheet, and deletes whole rows the way a spreadsheet program
/// does (everything that points below moves up). Saving writes a new package
/// in which every part the workbook did not change keeps its stored bytes.
///
/// Every operation that can fail returns false and leaves a message for the
/// user in errorString(): which file, which part, what is missing or wrong.
/// No operation throws. A failed operation changes nothing.
class Workbook {
  public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    /// Opens the workbook file at `path`.
    bool open(const std::filesystem::path& path);
    /// Opens a workbook from its bytes; `displayName` names it in messages.
    bool openBytes(std::string bytes, const std::string& displayName);

    /// Makes the worksheet called `name` current.
    bool selectSheet(const std::string& name);

    /// The text of a cell of the current sheet: a shared or inline string, a
    /// number as stored, "TRUE"/"FALSE"; "" for an empty or missing cell,
    /// for a position outside the sheet, or when no sheet is selected.
    std::string cellText(int row, int column) const;

    /// The first cell, scanning rows from the top and columns 1..`columns`
    /// within each row, whose text equals `text`.
    std::optional<CellPos> find(const std::string& text, int columns = 8) const;

    /// Writes `text` into a cell as a string, keeping the cell's style. Line
    /// feeds stay line feeds. Fails outside the sheet and for text longer
    /// than a cell may hold (32767 UTF-16 units).
    bool setCellText(int row, int column, const std::string& text);

    /// Sets a row's height in points (0..409).
    bool setRowHeight(int row, double points);

    /// The height of a row in points when it has one of its own.
    std::optional<double> rowHeight(int row) const;

    /// Deletes rows first..last (1-based, inclusive) of the current sheet and
    /// moves the rows below up: cells, row heights, merged cells, formulas on
    /// every sheet, defined names (the print area), conditional formats, data
    /// validations, hyperlinks, page breaks and the sheet's dimension.
    /// Refuses, naming what is in the way, a sheet that holds things that
    /// cannot be moved (drawings, comments, tables, pivot tables, charts,
    /// shared formulas or array formulas cut by the deletion).
    bool deleteRows(int first, int last);

    /// The package with every change, as bytes.
    bool saveToBytes(std::string& out);
    /// Writes the package to `path` through a temporary file in the same
    /// folder; an existing file is replaced only when the write succeeded.
    bool saveAs(const std::filesystem::path& path);

    /// The message of the last failure.
    const std::string& errorString() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> d;
};

}  // namespace zadaravod::workbook
