#pragma once

#include "output/table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a command shows, whichever reader it is for: its table, the titled
// lists under it, and a last line a script can take whole. compare,
// history and ab each fill one; a terminal's and Markdown's renderers
// (text_document.h, markdown_document.h) write every one alike, and a page
// shows the same table and lines in its own layout.
namespace output {

// Lines under the table: notes, a legend, what was left out.
struct TitledList {
  std::string title{};   // as a terminal shows it above the lines: "Notes:"
  std::string heading{}; // as Markdown shows it, in bold: "Notes"
  std::vector<std::string> lines{};
};

// A comma-separated list on a line of its own, as the last line, so that a
// script can take it with tail -n 1 or a pasted line can carry it.
struct LastLine {
  std::string title{};   // a terminal's line above it: "Slow hosts, comma-separated:"
  std::string heading{}; // Markdown's, in bold before it: "Slow hosts:"
  std::vector<std::string> items{};
};

struct Document {
  Table table{};
  // Said in place of a table without rows, where not empty: "No series is
  // slow or fast, or changed recently."
  std::string in_place_of_no_rows{};
  std::vector<TitledList> lists{}; // an empty one is not shown
  std::optional<LastLine> last_line{};
};

// The lines of the list with that heading; none where there is no such list.
const std::vector<std::string> &lines_headed(const Document &document, std::string_view heading);

} // namespace output
