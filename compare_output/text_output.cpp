#include "compare_output/text_output.h"

#include "report/formatted.h"

#include <algorithm>
#include <cstddef>

namespace compare_output {
namespace {

// Columns are aligned by characters, not bytes: a UTF-8 character's
// continuation bytes take no column of their own.
std::size_t columns(const std::string &text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string coloured(const std::string &cell, const std::string &padded) {
  const char *blue = "\x1b[34m";
  const char *orange = "\x1b[38;5;208m";
  const char *plain = "\x1b[0m";
  if (cell == "faster" || cell == "fast") {
    return blue + padded + plain;
  }
  if (cell == "slower" || cell == "slow") {
    return orange + padded + plain;
  }
  return padded;
}

std::string aligned(const Table &table, bool colour) {
  std::vector<std::vector<std::string>> lines{table.header};
  for (const auto &row : table.rows) {
    std::vector<std::string> shown;
    for (const std::string &cell : row) {
      shown.push_back(report::printable(cell));
    }
    lines.push_back(shown);
  }
  std::vector<std::size_t> widths(table.header.size(), 0);
  for (const auto &line : lines) {
    for (std::size_t column = 0; column < line.size(); ++column) {
      widths[column] = std::max(widths[column], columns(line[column]));
    }
  }
  std::string text;
  for (std::size_t row = 0; row < lines.size(); ++row) {
    std::string line;
    for (std::size_t column = 0; column < lines[row].size(); ++column) {
      const std::string &cell = lines[row][column];
      const std::string padding(widths[column] - columns(cell), ' ');
      const std::string padded = table.numeric[column] ? padding + cell : cell + padding;
      line += (column == 0 ? "" : "  ") + (colour && row > 0 ? coloured(cell, padded) : padded);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

std::string section(const char *title, const std::vector<std::string> &lines) {
  if (lines.empty()) {
    return {};
  }
  std::string text = std::string("\n") + title + "\n";
  for (const std::string &line : lines) {
    text += "  " + report::printable(line) + "\n";
  }
  return text;
}

} // namespace

std::string text_output(const Tables &tables, bool fleet, bool colour) {
  std::string text = aligned(fleet ? tables.hosts : tables.groups, colour);
  text += section("Notes:", tables.notes);
  text += section("Legend:", tables.legend);
  text += section("Left out:", tables.excluded);
  if (fleet) {
    text += "\nSlow hosts, comma-separated:\n" + report::printable(tables.slow_hosts) + "\n";
  }
  return text;
}

} // namespace compare_output
