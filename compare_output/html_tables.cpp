#include "compare_output/html_tables.h"

#include "compare_output/html_text.h"

namespace compare_output {
namespace {

bool numeric(const Table &table, std::size_t column) {
  return column < table.numeric.size() && table.numeric[column];
}

std::string cell(std::string_view tag, const Table &table, std::size_t column, std::string_view text) {
  const std::string name(tag);
  return "<" + name + (numeric(table, column) ? " class=\"num\"" : "") + ">" + html_text(text) + "</" + name +
         ">";
}

} // namespace

std::string html_table(const Table &table, const std::vector<std::string_view> &row_classes) {
  std::string html = "<div class=\"table-wrap\"><table>\n<thead><tr>";
  for (std::size_t column = 0; column < table.header.size(); ++column) {
    html += cell("th", table, column, table.header[column]);
  }
  html += "</tr></thead>\n<tbody>\n";
  for (std::size_t row = 0; row < table.rows.size(); ++row) {
    const bool classed = row < row_classes.size() && !row_classes[row].empty();
    html += classed ? "<tr class=\"" + std::string(row_classes[row]) + "\">" : std::string("<tr>");
    for (std::size_t column = 0; column < table.rows[row].size(); ++column) {
      html += cell("td", table, column, table.rows[row][column]);
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

} // namespace compare_output
