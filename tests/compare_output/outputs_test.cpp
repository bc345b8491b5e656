// What a comparison shows: aligned whatever the text holds, the slow hosts
// last, CSV quoted, and JSON that says null where a figure is missing; and
// text from records made harmless for each reader.

#include "compare_output/csv_output.h"
#include "compare_output/json_output.h"
#include "compare_output/tables.h"
#include "output/csv_table.h"
#include "output/markdown_document.h"
#include "output/markdown_table.h"
#include "output/number_text.h"
#include "output/text_document.h"
#include "text/printable.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <limits>
#include <sstream>
#include <string>

namespace {

using namespace compare;
using namespace compare_output;

Comparison fleet() {
  Comparison comparison{.settings = {.fleet = true}};
  comparison.strata = {{.name = "AMD EPYC; g++", .hosts = {0, 1}, .median = 100.0, .slow_threshold = 95.0}};
  comparison.hosts = {{.host = "n\xC3\xBC"
                               "de1",
                       .records = 2,
                       .steady = 100.0,
                       .deficit_percent = 0.0,
                       .modified_z = 0.0,
                       .verdict = Verdict::ok,
                       .lowest_processor_share = 0.999,
                       .sustain = 0.99},
                      {.host = "evil\x1b[2J,\"x\"",
                       .records = 2,
                       .steady = 80.0,
                       .deficit_percent = 20.0,
                       .modified_z = -9.1,
                       .verdict = Verdict::slow,
                       .lowest_processor_share = std::numeric_limits<double>::quiet_NaN(),
                       .sustain = 0.9}};
  comparison.slow_hosts_apart = {comparison.hosts[1].host};
  return comparison;
}

// The column at which `text` appears in `line`, counting characters, not
// bytes.
std::size_t column_of(const std::string &line, const std::string &text) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.find(text); ++i) {
    column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 ? 1 : 0;
  }
  return column;
}

TEST(TextOutput, AlignsByCharactersShowsControlBytesAndEndsWithTheSlowHosts) {
  const std::string text =
      output::text_document(comparison_document(comparison_tables(fleet()), true), false);
  std::istringstream lines(text);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  // "nüde1" is five characters in six bytes; the escaped host is longer.
  EXPECT_EQ(column_of(first, "S1"), column_of(second, "S1"));
  EXPECT_EQ(second.rfind("evil\\x1B[2J,\"x\"", 0), 0U);
  EXPECT_NE(second.find("-20.0 %"), std::string::npos);
  // Its name is no host name: it is listed apart, and the last line, which
  // scontrol takes as it is, holds none.
  EXPECT_NE(text.find(":\n  evil\\x1B[2J,\"x\"\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.rfind("Slow hosts")), "Slow hosts, comma-separated:\n\n");
}

std::size_t occurrences(const std::string &text, const std::string &part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(TextOutput, ColoursAVerdictByWhatItIsNeverByTheTextOfACell) {
  // Groups named like verdicts, judged otherwise: only the verdict that is
  // slower takes a colour, orange.
  Comparison comparison;
  for (const auto &[name, verdict] : {std::pair{"faster", Verdict::base}, std::pair{"slow", Verdict::too_few},
                                      std::pair{"fast", Verdict::slower}}) {
    comparison.groups.push_back({.name = name, .base = verdict == Verdict::base, .verdict = verdict});
  }
  const std::string text =
      output::text_document(comparison_document(comparison_tables(comparison), false), true);
  EXPECT_EQ(occurrences(text, "\x1b["), 2U) << text;
  EXPECT_EQ(occurrences(text, "\x1b[38;5;208mslower"), 1U) << text;
}

TEST(CsvOutput, QuotesWhatWouldSplitAFieldAndLeavesMissingFiguresEmpty) {
  const std::string csv = csv_output(fleet());
  EXPECT_NE(csv.find("\r\n\"evil\\x1B[2J,\"\"x\"\"\",AMD EPYC; g++,2,80,100,20,-9.1,slow,,0.9,0\r\n"),
            std::string::npos)
      << csv;
}

TEST(JsonOutput, HoldsEveryHostWithNullForWhatIsMissing) {
  const auto json = nlohmann::json::parse(json_output(fleet()));
  ASSERT_EQ(json["hosts"].size(), 2U);
  EXPECT_EQ(json["hosts"][0]["host"], "n\xC3\xBC"
                                      "de1");
  EXPECT_EQ(json["hosts"][1]["verdict"], "slow");
  EXPECT_TRUE(json["hosts"][1]["lowest_processor_share"].is_null());
  EXPECT_TRUE(json["slow_hosts"].empty());
  EXPECT_EQ(json["slow_hosts_apart"][0], "evil\x1b[2J,\"x\"");
  EXPECT_TRUE(json["groups"].empty());
}

} // namespace

namespace {

// A name of 200,000 bytes among 300: a table padded to it would be 60 MB.
TEST(TablesForReaders, StayWithinASmallMultipleOfTheirInput) {
  Comparison comparison;
  comparison.strata = {{.name = "S", .median = 100.0, .slow_threshold = 95.0}};
  std::size_t input = 0;
  for (std::size_t host = 0; host < 300; ++host) {
    const std::string name = host == 7 ? std::string(200000, 'x') : "node-" + std::to_string(host);
    input += name.size();
    comparison.groups.push_back({.name = name, .base = host == 0, .verdict = Verdict::no_change});
    comparison.strata[0].hosts.push_back(host);
    comparison.hosts.push_back({.host = name, .steady = 100.0, .verdict = Verdict::ok});
  }
  for (const bool fleet : {false, true}) {
    comparison.settings.fleet = fleet;
    const Tables tables = comparison_tables(comparison);
    EXPECT_LT(output::text_document(comparison_document(tables, fleet), false).size(), 4 * input) << fleet;
    EXPECT_LT(output::markdown_document(comparison_document(tables, fleet)).size(), 4 * input) << fleet;
  }
}

struct ReaderCase {
  const char *name;
  std::string text;
  std::string shown;
};

void PrintTo(const ReaderCase &reader, std::ostream *out) { *out << reader.name; }

class TerminalText : public ::testing::TestWithParam<ReaderCase> {};
class CsvText : public ::testing::TestWithParam<ReaderCase> {};
class MarkdownText : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(TerminalText, ShowsEveryControlAsAnEscape) {
  EXPECT_EQ(text::printable(GetParam().text), GetParam().shown);
}
TEST_P(CsvText, IsInertInASpreadsheet) { EXPECT_EQ(output::csv_text(GetParam().text), GetParam().shown); }
TEST_P(MarkdownText, IsNeverMarkdown) { EXPECT_EQ(output::markdown_text(GetParam().text), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Texts, TerminalText,
                         ::testing::Values(ReaderCase{"a bidi override", "gpu7\u202Ewols", "gpu7\\u202Ewols"},
                                           ReaderCase{"an isolate and a mark", "a\u2066b\u200Fc\u061C",
                                                      "a\\u2066b\\u200Fc\\u061C"},
                                           ReaderCase{"a C1 control", "a\u009B2J", "a\\u009B2J"},
                                           ReaderCase{"C0 controls and DEL", std::string("\0\x1b\t\n\x7f", 5),
                                                      "\\x00\\x1B\\x09\\x0A\\x7F"},
                                           ReaderCase{"bytes that are not UTF-8", "a\x9B\xC3", "a\\x9B\\xC3"},
                                           ReaderCase{"text as it is", "n\xC5\x93ud \xE6\x97\xA5",
                                                      "n\xC5\x93ud \xE6\x97\xA5"}));

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvText,
    ::testing::Values(ReaderCase{"a label spreadsheets would run", "-O3", "\"'-O3\""},
                      ReaderCase{"a formula", "=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                      ReaderCase{"plus and at", "+1", "\"'+1\""},
                      ReaderCase{"at", "@SUM(A1)", "\"'@SUM(A1)\""},
                      ReaderCase{"a full-width equals",
                                 "\xEF\xBC\x9D"
                                 "1",
                                 "\"'\xEF\xBC\x9D"
                                 "1\""},
                      ReaderCase{"a quote that would be stripped", "'x", "\"''x\""},
                      ReaderCase{"controls", std::string("\tA\0\r\n", 5), "\\x09A\\x00\\x0D\\x0A"},
                      ReaderCase{"a comma", "a, b", "\"a, b\""}, ReaderCase{"plain", "node-1", "node-1"}));

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkdownText,
    ::testing::Values(ReaderCase{"a link", "[text](https://example.org)",
                                 "\\[text\\](https\\://example.org)"},
                      ReaderCase{"an image", "![img](u)", "\\!\\[img\\](u)"},
                      ReaderCase{"markup", "<img src=x>", "&lt;img src=x&gt;"},
                      ReaderCase{"a table's bar, emphasis, code", "a|*b*_`c`", "a\\|\\*b\\*\\_\\`c\\`"},
                      ReaderCase{"an address GitHub links by itself", "www.example.org, me@example.org",
                                 "www\\.example.org, me\\@example.org"},
                      ReaderCase{"a list item's start", "- x", "\\- x"},
                      ReaderCase{"a control", "x\u202Ey", "x\\\\u202Ey"}));

// An axis's ticks read as whole figures, with thousands separated, on
// either side of zero; below a step of 1, to the hundredth.
TEST(NumberText, TicksAreWholeOnEitherSideOfZero) {
  EXPECT_EQ(output::tick_text(-10.0, 10.0), "-10");
  EXPECT_EQ(output::tick_text(-1500.0, 500.0), "-1,500");
  EXPECT_EQ(output::tick_text(0.0, 5.0), "0");
  EXPECT_EQ(output::tick_text(12500.0, 2500.0), "12,500");
  EXPECT_EQ(output::tick_text(-0.5, 0.25), "-0.50");
}

} // namespace
