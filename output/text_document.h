#pragma once

#include "output/document.h"

#include <string>

namespace output {

// The document for a terminal, or a file: the table (text_table.h), then
// each list under its title with its lines indented, then the last line;
// every line of text with its controls escaped (text/printable.h). With
// `colour`, the verdicts take their colours.
std::string text_document(const Document &document, bool colour);

} // namespace output
