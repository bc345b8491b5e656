// The page's answer table with programs named by long paths: shortened as
// the terminal shortens them, so that the table stays within the page, and
// whole in the cell's title.

#include "ab/html_page.h"
#include "ab/tables.h"
#include "output/text_table.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
  const char *name;
  std::size_t characters;
  bool shortened;
};

class PageTableName : public ::testing::TestWithParam<NameCase> {};

std::string path_of(std::size_t characters) {
  std::string path = "/home/someone/builds/";
  while (path.size() < characters - 10) {
    path += "deeper/";
  }
  path.resize(characters - 10, 'x');
  return path + "/megawhets";
}

// The table's cell, from its <td to its </td>.
std::string cell_holding(const std::string &page, const std::string &start) {
  const auto table = page.find("<table>");
  const auto at = page.find("<td title=\"" + start, table);
  if (at == std::string::npos) {
    return {};
  }
  return page.substr(at, page.find("</td>", at) + 5 - at);
}

TEST_P(PageTableName, ShortenedAsTheTerminalShortensIt) {
  ab::PairedComparison comparison;
  comparison.programs[0].name = "a";
  comparison.programs[1].name = path_of(GetParam().characters);
  const std::string &name = comparison.programs[1].name;
  const std::string page = ab::html_page(comparison, ab::comparison_document(comparison));
  const std::string table = page.substr(page.find("<table>"), page.find("</table>") - page.find("<table>"));
  const std::string cell = cell_holding(page, name);
  if (GetParam().shortened) {
    ASSERT_FALSE(cell.empty()) << table;
    const std::string shown = name.substr(0, output::widest_cell - 1) + "\u2026";
    EXPECT_EQ(cell, "<td title=\"" + name + "\">" + shown + "</td>");
    EXPECT_EQ(table.find(">" + name + "<"), std::string::npos) << "the whole name is shown as well";
  } else {
    EXPECT_TRUE(cell.empty()) << cell;
    EXPECT_NE(table.find("<td>" + name + "</td>"), std::string::npos) << table;
  }
  // A's short name is never given a title.
  EXPECT_NE(table.find("<td>a</td>"), std::string::npos) << table;
}

INSTANTIATE_TEST_SUITE_P(Lengths, PageTableName,
                         ::testing::Values(NameCase{"JustFits", output::widest_cell, false},
                                           NameCase{"OneTooMany", output::widest_cell + 1, true},
                                           NameCase{"LongPath", 400, true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
