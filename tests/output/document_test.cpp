// A document as a terminal and Markdown get it: what each shows of a list
// without lines, a table without rows and a last line without items, and
// that text from outside is escaped for each.

#include "output/markdown_document.h"
#include "output/text_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

output::Document document_with(std::vector<std::string> notes, std::vector<std::string> last_items,
                               bool rows) {
  output::Document document{.table = {.columns = {{"host", output::Align::left}}},
                            .in_place_of_no_rows = "Nothing to show.",
                            .lists = {{"Notes:", "Notes", std::move(notes)}, {"Legend:", "Legend", {}}},
                            .last_line =
                                output::LastLine{"Slow, comma-separated:", "Slow:", std::move(last_items)}};
  if (rows) {
    document.table.rows.push_back({output::text_cell("node-1")});
  }
  return document;
}

struct Shown {
  const char *name;
  bool rows;
  std::vector<std::string> notes;
  std::vector<std::string> last_items;
  const char *text;
  const char *markdown;
};

class DocumentShown : public ::testing::TestWithParam<Shown> {};

TEST_P(DocumentShown, AsEachReaderGetsIt) {
  const Shown &shown = GetParam();
  const output::Document document = document_with(shown.notes, shown.last_items, shown.rows);
  EXPECT_EQ(output::text_document(document, false), shown.text);
  EXPECT_EQ(output::markdown_document(document), shown.markdown);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DocumentShown,
    ::testing::Values(
        // No rows: the sentence in place of the table; a list without lines
        // is left out; a last line without items is empty, or "none".
        Shown{"Empty",
              false,
              {},
              {},
              "Nothing to show.\n\nSlow, comma-separated:\n\n",
              "Nothing to show.\n\n**Slow:** none\n"},
        Shown{"Whole",
              true,
              {"one", "two"},
              {"a", "b"},
              "host\nnode-1\n\nNotes:\n  one\n  two\n\nSlow, comma-separated:\na,b\n",
              "| host |\n|---|\n| node-1 |\n\n**Notes**\n\n- one\n- two\n\n**Slow:** a,b\n"},
        // A name from a record can neither move a terminal's cursor nor
        // make a Markdown link.
        Shown{
            "Escaped",
            true,
            {"\x1b[2J[x](http://e.org)"},
            {"n\x9b"},
            "host\nnode-1\n\nNotes:\n  \\x1B[2J[x](http://e.org)\n\nSlow, comma-separated:\nn\\x9B\n",
            "| host |\n|---|\n| node-1 |\n\n**Notes**\n\n- \\\\x1B\\[2J\\[x\\](http\\://e.org)\n\n**Slow:** "
            "n\\\\x9B\n"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
