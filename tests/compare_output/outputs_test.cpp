// What a comparison shows: aligned whatever the text holds, the slow hosts
// last, CSV quoted, and JSON that says null where a figure is missing.

#include "compare_output/csv_output.h"
#include "compare_output/json_output.h"
#include "compare_output/tables.h"
#include "compare_output/text_output.h"

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
  comparison.slow_hosts = {comparison.hosts[1].host};
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
  const std::string text = text_output(comparison_tables(fleet()), true, false);
  std::istringstream lines(text);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  // "nüde1" is five characters in six bytes; the escaped host is longer.
  EXPECT_EQ(column_of(first, "S1"), column_of(second, "S1"));
  EXPECT_EQ(second.rfind("evil\\x1B[2J,\"x\"", 0), 0U);
  EXPECT_NE(second.find("-20.0 %"), std::string::npos);
  EXPECT_EQ(text.substr(text.rfind("Slow hosts")), "Slow hosts, comma-separated:\nevil\\x1B[2J,\"x\"\n");
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
  const std::string text = text_output(comparison_tables(comparison), false, true);
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
  EXPECT_EQ(json["slow_hosts"][0], "evil\x1b[2J,\"x\"");
  EXPECT_TRUE(json["groups"].empty());
}

} // namespace
