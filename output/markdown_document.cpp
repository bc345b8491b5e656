#include "output/markdown_document.h"

#include "output/markdown_table.h"

namespace output {
namespace {

std::string list_markdown(const TitledList &list) {
  if (list.lines.empty()) {
    return {};
  }
  std::string text = "\n**" + markdown_text(list.heading) + "**\n\n";
  for (const std::string &line : list.lines) {
    text += "- " + markdown_text(line) + "\n";
  }
  return text;
}

std::string last_line_markdown(const LastLine &last) {
  std::string line;
  for (const std::string &item : last.items) {
    line += (line.empty() ? "" : ",") + markdown_text(item);
  }
  return "\n**" + last.heading + "** " + (line.empty() ? "none" : line) + "\n";
}

} // namespace

std::string markdown_document(const Document &document) {
  std::string text = document.table.rows.empty() && !document.in_place_of_no_rows.empty()
                         ? document.in_place_of_no_rows + "\n"
                         : markdown_table(document.table);
  for (const TitledList &list : document.lists) {
    text += list_markdown(list);
  }
  if (document.last_line) {
    text += last_line_markdown(*document.last_line);
  }
  return text;
}

} // namespace output
