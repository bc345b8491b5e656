#pragma once

#include "output/table.h"

#include <string>
#include <string_view>

namespace output {

// Text as Markdown shows it, never as Markdown: its controls escaped
// (text/printable.h), every character CommonMark or GitHub's Markdown gives
// a meaning to a link, an image, emphasis, code, a table's bar, HTML, an
// entity, math or strikethrough backslash-escaped, < and > as references,
// and what GitHub would make a link of by itself (http://..., www.,
// someone@example.org) broken where it would be recognised.
std::string markdown_text(std::string_view text);

// The table in GitHub-flavoured Markdown: figures aligned right, every cell
// escaped by markdown_text and shortened as a terminal's are
// (text_table.h's widest_cell).
std::string markdown_table(const Table &table);

} // namespace output
