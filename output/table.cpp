#include "output/table.h"

#include "output/number_text.h"
#include "output/verdict_style.h"

#include <algorithm>
#include <cmath>

namespace output {

Cell text_cell(std::string text) { return {.kind = CellKind::text, .shown = std::move(text)}; }

Cell number_cell(double value, std::string shown) {
  if (!std::isfinite(value)) {
    return empty_cell();
  }
  return {.kind = CellKind::number, .shown = std::move(shown), .value = value};
}

Cell count_cell(std::size_t count) {
  return {.kind = CellKind::number, .shown = count_text(count), .value = static_cast<double>(count)};
}

Cell verdict_cell(compare::Verdict verdict, std::string shown) {
  return {.kind = CellKind::verdict,
          .shown = shown.empty() ? std::string(verdict_word(verdict)) : std::move(shown),
          .verdict = verdict};
}

Cell empty_cell(std::string shown) { return {.kind = CellKind::empty, .shown = std::move(shown)}; }

compare::Verdict row_verdict(const std::vector<Cell> &row) {
  const auto verdict =
      std::find_if(row.begin(), row.end(), [](const Cell &cell) { return cell.kind == CellKind::verdict; });
  return verdict == row.end() ? compare::Verdict::none : verdict->verdict;
}

} // namespace output
