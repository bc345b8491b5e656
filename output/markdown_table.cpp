#include "output/markdown_table.h"

#include "output/text_table.h"
#include "text/printable.h"

#include <cctype>

namespace output {
namespace {

bool lower_is(std::string_view text, std::size_t at, std::string_view word) {
  if (at + word.size() > text.size()) {
    return false;
  }
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(text[at + k])) != word[k]) {
      return false;
    }
  }
  return true;
}

// Whether the character at `at` is one GitHub would start a link at: the
// colon of "scheme://", the dot of "www.".
bool starts_autolink(std::string_view text, std::size_t at) {
  if (text[at] == ':') {
    return at + 1 < text.size() && text[at + 1] == '/';
  }
  return text[at] == '.' && at >= 3 && lower_is(text, at - 3, "www");
}

} // namespace

std::string markdown_text(std::string_view text) {
  const std::string printable = text::printable(text);
  std::string escaped;
  escaped.reserve(printable.size());
  for (std::size_t at = 0; at < printable.size(); ++at) {
    const char c = printable[at];
    if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (std::string_view("\\`*_[]!|~&$#@").find(c) != std::string_view::npos ||
               (at == 0 && std::string_view("+-=:.").find(c) != std::string_view::npos) ||
               starts_autolink(printable, at)) {
      escaped += '\\';
      escaped += c;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string markdown_table(const Table &table) {
  const auto cell = [](const std::string &text) {
    return markdown_text(text::shortened(text::printable(text), widest_cell));
  };
  std::string markdown = "|";
  for (const Column &column : table.columns) {
    markdown += " " + cell(column.heading) + " |";
  }
  markdown += "\n|";
  for (const Column &column : table.columns) {
    markdown += column.align == Align::right ? "---:|" : "---|";
  }
  markdown += "\n";
  for (const auto &row : table.rows) {
    markdown += "|";
    for (const Cell &each : row) {
      markdown += " " + (each.kind == CellKind::number ? each.shown : cell(each.shown)) + " |";
    }
    markdown += "\n";
  }
  return markdown;
}

} // namespace output
