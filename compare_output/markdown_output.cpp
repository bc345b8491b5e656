#include "compare_output/markdown_output.h"

#include "report/formatted.h"

namespace compare_output {
namespace {

// A cell holds no line break, and its bars and backslashes are its own.
std::string cell(const std::string &text) {
  std::string escaped;
  for (const char c : report::printable(text)) {
    if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '`' || c == '<') {
      escaped += '\\';
    }
    escaped += c;
  }
  return escaped;
}

std::string row(const std::vector<std::string> &cells) {
  std::string line = "|";
  for (const std::string &text : cells) {
    line += " " + cell(text) + " |";
  }
  return line + "\n";
}

std::string list(const char *title, const std::vector<std::string> &items) {
  if (items.empty()) {
    return {};
  }
  std::string text = std::string("\n**") + title + "**\n\n";
  for (const std::string &item : items) {
    text += "- " + cell(item) + "\n";
  }
  return text;
}

} // namespace

std::string markdown_output(const Tables &tables, bool fleet) {
  const Table &table = fleet ? tables.hosts : tables.groups;
  std::string text = row(table.header) + "|";
  for (const bool numeric : table.numeric) {
    text += numeric ? "---:|" : "---|";
  }
  text += "\n";
  for (const auto &cells : table.rows) {
    text += row(cells);
  }
  text += list("Notes", tables.notes);
  text += list("Legend", tables.legend);
  text += list("Left out", tables.excluded);
  if (fleet) {
    text += "\n**Slow hosts:** " + (tables.slow_hosts.empty() ? std::string("none") : cell(tables.slow_hosts)) + "\n";
  }
  return text;
}

} // namespace compare_output
