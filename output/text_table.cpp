#include "output/text_table.h"

#include "output/verdict_style.h"
#include "text/characters.h"
#include "text/printable.h"

#include <algorithm>

namespace output {
namespace {

std::string_view colour_code(TerminalColour colour) {
  switch (colour) {
  case TerminalColour::blue:
    return "\x1b[34m";
  case TerminalColour::orange:
    return "\x1b[38;5;208m";
  case TerminalColour::none:
    break;
  }
  return {};
}

std::string coloured(const Cell &cell, const std::string &padded) {
  const std::string_view code =
      cell.kind == CellKind::verdict ? colour_code(verdict_style(cell.verdict).colour) : std::string_view{};
  return code.empty() ? padded : std::string(code) + padded + "\x1b[0m";
}

} // namespace

std::string text_table(const Table &table, bool colour) {
  std::vector<std::vector<std::string>> lines(1);
  for (const Column &column : table.columns) {
    lines.front().push_back(text::shortened(text::printable(column.heading), widest_cell));
  }
  for (const auto &row : table.rows) {
    lines.emplace_back();
    for (const Cell &cell : row) {
      lines.back().push_back(text::shortened(text::printable(cell.shown), widest_cell));
    }
  }
  std::vector<std::size_t> widths(table.columns.size(), 0);
  for (const auto &line : lines) {
    for (std::size_t column = 0; column < line.size() && column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], text::character_count_of_utf8(line[column]));
    }
  }
  std::string text;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    std::string line;
    for (std::size_t column = 0; column < lines[row].size() && column < widths.size(); ++column) {
      const std::string &shown = lines[row][column];
      const std::string padding(widths[column] - text::character_count_of_utf8(shown), ' ');
      const std::string padded =
          table.columns[column].align == Align::right ? padding + shown : shown + padding;
      line += (column == 0 ? "" : "  ") +
              (colour && row > 0 ? coloured(table.rows[row - 1][column], padded) : padded);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

} // namespace output
