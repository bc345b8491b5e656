#pragma once

#include "compare/verdict.h"

#include <limits>
#include <string>
#include <vector>

// A table whose cells say what they are, which every output renders for its
// own reader: a terminal and Markdown align and shorten them and escape the
// text, CSV keeps numbers as numbers and makes text inert, the page escapes
// it and colours each row by its verdict.
namespace output {

enum class CellKind {
  empty,   // no figure: shown as its text ("-", or nothing), left empty in CSV
  text,    // text, from a record or the program: escaped for every reader, never read as a number
  number,  // a figure: its exact value, and the form a reader sees ("+3.25 %", "<0.001", "2,500")
  verdict, // a verdict: its word and colour come from verdict_style.h; `shown` may add to the word
};

struct Cell {
  CellKind kind = CellKind::empty;
  std::string shown{};
  double value = std::numeric_limits<double>::quiet_NaN(); // a number's
  compare::Verdict verdict = compare::Verdict::none;       // a verdict's
};

Cell text_cell(std::string text);

// A figure, with how the table shows it; a value that is not a number makes
// an empty cell shown as "-".
Cell number_cell(double value, std::string shown);

// A whole count, shown with its thousands separated.
Cell count_cell(std::size_t count);

// The verdict shown as its word, or as `shown` ("+3.25 % faster") where given.
Cell verdict_cell(compare::Verdict verdict, std::string shown = {});

Cell empty_cell(std::string shown = "-");

enum class Align { left, right };

struct Column {
  std::string heading{};
  Align align = Align::left; // figures right, so that their places line up
};

struct Table {
  std::vector<Column> columns{};
  std::vector<std::vector<Cell>> rows{}; // each with a cell per column
};

// The row's verdict: that of its first verdict cell, or none.
compare::Verdict row_verdict(const std::vector<Cell> &row);

} // namespace output
