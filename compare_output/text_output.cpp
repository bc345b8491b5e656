#include "compare_output/text_output.h"

#include "output/text_table.h"
#include "text/printable.h"

namespace compare_output {
namespace {

std::string section(const char *title, const std::vector<std::string> &lines) {
  if (lines.empty()) {
    return {};
  }
  std::string text = std::string("\n") + title + "\n";
  for (const std::string &line : lines) {
    text += "  " + text::printable(line) + "\n";
  }
  return text;
}

std::string comma_separated(const std::vector<std::string> &names) {
  std::string line;
  for (const std::string &name : names) {
    line += (line.empty() ? "" : ",") + text::printable(name);
  }
  return line;
}

} // namespace

std::string text_output(const Tables &tables, bool fleet, bool colour) {
  std::string text = output::text_table(fleet ? tables.hosts : tables.groups, colour);
  text += section("Notes:", tables.notes);
  text += section("Legend:", tables.legend);
  text += section("Left out:", tables.excluded);
  if (fleet) {
    text += section(slow_hosts_apart_title, tables.slow_hosts_apart);
    text += "\nSlow hosts, comma-separated:\n" + comma_separated(tables.slow_hosts) + "\n";
  }
  return text;
}

} // namespace compare_output
