#include "output/html_tables.h"

#include "output/html_text.h"
#include "output/text_table.h"
#include "output/verdict_style.h"

namespace output {
namespace {

std::string cell(std::string_view tag, Align align, std::string_view text) {
  const std::string name(tag);
  return "<" + name + (align == Align::right ? " class=\"num\"" : "") + ">" + html_text(text) + "</" + name +
         ">";
}

// A text cell too long for the column, shortened, with its whole text for
// the pointer to show.
std::string shortened_cell(Align align, std::string_view text) {
  return std::string("<td") + (align == Align::right ? " class=\"num\"" : "") +
         html_attribute("title", text) + ">" + shortened_html_text(text, widest_cell) + "</td>";
}

} // namespace

std::string html_table(const Table &table, bool shorten_text) {
  std::string html = "<div class=\"table-wrap\"><table>\n<thead><tr>";
  for (const Column &column : table.columns) {
    html += cell("th", column.align, column.heading);
  }
  html += "</tr></thead>\n<tbody>\n";
  for (const auto &row : table.rows) {
    const compare::Verdict verdict = row_verdict(row);
    html += verdict == compare::Verdict::none
                ? std::string("<tr>")
                : "<tr class=\"" + std::string(verdict_style(verdict).css_class) + "\">";
    for (std::size_t column = 0; column < row.size() && column < table.columns.size(); ++column) {
      const Cell &shown = row[column];
      html += shorten_text && shown.kind == CellKind::text && character_count(shown.shown) > widest_cell
                  ? shortened_cell(table.columns[column].align, shown.shown)
                  : cell("td", table.columns[column].align, shown.shown);
    }
    html += "</tr>\n";
  }
  return html + "</tbody>\n</table></div>\n";
}

std::string html_list(const std::vector<std::string> &lines, std::string_view css_class) {
  std::string html = "<ul class=\"" + std::string(css_class) + "\">\n";
  for (const std::string &line : lines) {
    html += "<li>" + html_text(line) + "</li>\n";
  }
  return html + "</ul>\n";
}

} // namespace output
