#include "output/text_document.h"

#include "output/text_table.h"
#include "text/printable.h"

namespace output {
namespace {

std::string list_text(const TitledList &list) {
  if (list.lines.empty()) {
    return {};
  }
  std::string text = "\n" + list.title + "\n";
  for (const std::string &line : list.lines) {
    text += "  " + text::printable(line) + "\n";
  }
  return text;
}

std::string last_line_text(const LastLine &last) {
  std::string line;
  for (const std::string &item : last.items) {
    line += (line.empty() ? "" : ",") + text::printable(item);
  }
  return "\n" + last.title + "\n" + line + "\n";
}

} // namespace

std::string text_document(const Document &document, bool colour) {
  std::string text = document.table.rows.empty() && !document.in_place_of_no_rows.empty()
                         ? document.in_place_of_no_rows + "\n"
                         : text_table(document.table, colour);
  for (const TitledList &list : document.lists) {
    text += list_text(list);
  }
  if (document.last_line) {
    text += last_line_text(*document.last_line);
  }
  return text;
}

} // namespace output
