#pragma once

#include "output/document.h"

#include <string>

namespace output {

// The document in GitHub-flavoured Markdown: the table (markdown_table.h),
// each list as a bulleted list under its heading in bold, and the last line
// after its heading, "none" where it has no items; every text escaped by
// markdown_text.
std::string markdown_document(const Document &document);

} // namespace output
