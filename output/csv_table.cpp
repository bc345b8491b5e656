#include "output/csv_table.h"

#include "output/verdict_style.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <array>

namespace output {
namespace {

// What a spreadsheet reads as the start of a formula (OWASP's list, whose
// tab and carriage return text::printable has already escaped), and the
// quote that marks a cell as text, and that is therefore added before it.
bool runs_in_a_spreadsheet(std::string_view text) {
  constexpr std::array<std::string_view, 9> starts = {"=",
                                                      "+",
                                                      "-",
                                                      "@",
                                                      "'",
                                                      "\xEF\xBC\x9D" /* = */,
                                                      "\xEF\xBC\x8B" /* + */,
                                                      "\xEF\xBC\x8D" /* - */,
                                                      "\xEF\xBC\xA0" /* @ */};
  for (const std::string_view start : starts) {
    if (text.starts_with(start)) {
      return true;
    }
  }
  return false;
}

std::string in_double_quotes(std::string_view text) {
  std::string field = "\"";
  for (const char c : text) {
    field += c == '"' ? std::string("\"\"") : std::string(1, c);
  }
  return field + "\"";
}

std::string field(const Cell &cell) {
  switch (cell.kind) {
  case CellKind::number:
    return text::formatted("%.10g", cell.value);
  case CellKind::verdict:
    return csv_text(verdict_word(cell.verdict));
  case CellKind::text:
    return csv_text(cell.shown);
  case CellKind::empty:
    break;
  }
  return {};
}

std::string line(const std::vector<std::string> &fields) {
  std::string text;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    text += (k == 0 ? "" : ",") + fields[k];
  }
  return text + "\r\n";
}

} // namespace

std::string csv_text(std::string_view text) {
  const std::string printable = text::printable(text);
  if (runs_in_a_spreadsheet(printable)) {
    return in_double_quotes("'" + printable);
  }
  return printable.find_first_of(",\"") == std::string::npos ? printable : in_double_quotes(printable);
}

std::string csv_table(const Table &table) {
  std::vector<std::string> headings;
  for (const Column &column : table.columns) {
    headings.push_back(csv_text(column.heading));
  }
  std::string csv = line(headings);
  for (const auto &row : table.rows) {
    std::vector<std::string> fields;
    for (const Cell &cell : row) {
      fields.push_back(field(cell));
    }
    csv += line(fields);
  }
  return csv;
}

} // namespace output
