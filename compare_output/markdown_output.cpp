#include "compare_output/markdown_output.h"

#include "output/markdown_table.h"

namespace compare_output {
namespace {

std::string list(const char *title, const std::vector<std::string> &items) {
  if (items.empty()) {
    return {};
  }
  std::string text = "\n**" + output::markdown_text(title) + "**\n\n";
  for (const std::string &item : items) {
    text += "- " + output::markdown_text(item) + "\n";
  }
  return text;
}

std::string comma_separated(const std::vector<std::string> &names) {
  std::string line;
  for (const std::string &name : names) {
    line += (line.empty() ? "" : ",") + output::markdown_text(name);
  }
  return line.empty() ? "none" : line;
}

} // namespace

std::string markdown_output(const Tables &tables, bool fleet) {
  std::string text = output::markdown_table(fleet ? tables.hosts : tables.groups);
  text += list("Notes", tables.notes);
  text += list("Legend", tables.legend);
  text += list("Left out", tables.excluded);
  if (fleet) {
    text += list(slow_hosts_apart_title, tables.slow_hosts_apart);
    text += "\n**Slow hosts:** " + comma_separated(tables.slow_hosts) + "\n";
  }
  return text;
}

} // namespace compare_output
