// The page stands whatever the comparison holds: text from records that
// would be markup, figures that are not numbers, nothing at all. (What the
// page shows, and where, is checked in a real browser: page_in_browser.py.)

#include "compare_output/html_page.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace compare;

const std::string hostile = "</title><script>alert(1)</script><b x='1' y=\"2\">&amp;\xFF\x01";

Comparison hostile_fleet() {
  Comparison comparison;
  comparison.settings.fleet = true;
  comparison.settings.keys = {Key::label, Key::host};
  GroupResult group{.name = hostile, .base = true};
  group.records.push_back(
      {.source = hostile, .steady = 1000.0, .rate = 990.0, .sustain = 0.99, .warned = true});
  group.steady = {.median = 1000.0,
                  .low = 1000.0,
                  .high = 1000.0,
                  .low_high_is_range = true,
                  .min = 1000.0,
                  .max = 1000.0};
  comparison.groups.push_back(group);
  comparison.strata.push_back({.name = hostile, .median = 1002.5, .slow_threshold = 1002.5 * 0.95});
  for (std::size_t host = 0; host < 6; ++host) {
    comparison.strata[0].hosts.push_back(host);
    comparison.hosts.push_back({.host = hostile + std::to_string(host),
                                .records = 1,
                                .steady = host == 0 ? 800.0 : 1000.0 + static_cast<double>(host),
                                .deficit_percent = host == 0 ? 20.2 : 0.0,
                                .verdict = host == 0 ? Verdict::slow : Verdict::ok});
  }
  comparison.slow_hosts = {hostile + "0"};
  comparison.excluded = {{hostile, hostile}};
  return comparison;
}

compare_output::Tables hostile_tables() {
  compare_output::Tables tables;
  tables.groups = {.columns = {{hostile, output::Align::right}}, .rows = {{output::text_cell(hostile)}}};
  tables.notes = {hostile};
  tables.legend = {hostile};
  tables.excluded = {hostile};
  tables.slow_hosts = {hostile};
  return tables;
}

Comparison figures_not_numbers() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Comparison comparison;
  comparison.settings.fleet = true;
  GroupResult group{.name = "empty", .base = true};
  group.steady = {.median = nan, .low = nan, .high = nan, .min = nan, .max = nan};
  comparison.groups.push_back(group);
  comparison.strata.push_back({.name = "s", .hosts = {0}, .median = nan, .slow_threshold = nan});
  comparison.hosts.push_back({.host = "h", .steady = nan});
  return comparison;
}

struct PageCase {
  const char *name;
  Comparison comparison;
  compare_output::Tables tables;
  std::vector<std::string> absent;
  std::string present;
};

void PrintTo(const PageCase &page, std::ostream *out) { *out << page.name; }

class Page : public ::testing::TestWithParam<PageCase> {};

TEST_P(Page, IsWholeAndHoldsNoMarkupOrBytesFromRecords) {
  const PageCase &c = GetParam();
  const std::string page = compare_output::html_page(c.comparison, c.tables);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("</html>\n"), std::string::npos);
  EXPECT_NE(page.find(c.present), std::string::npos) << c.present;
  for (const std::string &absent : c.absent) {
    EXPECT_EQ(page.find(absent), std::string::npos) << absent;
  }
  for (const char byte : page) {
    const auto value = static_cast<unsigned char>(byte);
    EXPECT_TRUE(value >= 0x20 || byte == '\n') << "control byte " << int(value);
    EXPECT_NE(value, 0xFF);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, Page,
    ::testing::Values(
        PageCase{"markup in every text from records",
                 hostile_fleet(),
                 hostile_tables(),
                 {"<script", "<b "},
                 "&lt;/title&gt;&lt;script&gt;alert(1)&lt;/script&gt;&lt;b x=&#39;1&#39; "
                 "y=&quot;2&quot;&gt;&amp;amp;\xEF\xBF\xBD\xE2\x90\x81"},
        PageCase{
            "figures that are not numbers", figures_not_numbers(), {}, {"nan", "inf"}, "megawhets compare"},
        PageCase{"nothing compared", Comparison{}, {}, {"<svg class"}, "No record could be compared."}));

} // namespace
