// An answer resting on disturbed slices: where more than half of the
// rounds' slices carried an interference or steadiness warning, every output
// says so, and --strict fails.

#include "ab/disturbed_slices.h"
#include "ab/json_output.h"
#include "ab/tables.h"
#include "output/verdict_style.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

struct DisturbedCase {
  const char *name;
  std::vector<record::WarningKinds> warnings; // each round slice's, A's and B's in turn
  record::WarningKinds check_warnings;        // the duet check's slice, which never counts
  ab::Verdict verdict;
  std::size_t disturbed;
  bool rests;
  bool strict_fails;
};

ab::PairedComparison comparison_of(const DisturbedCase &with) {
  ab::PairedComparison comparison;
  comparison.programs[0].name = "a";
  comparison.programs[1].name = "b";
  comparison.slices.push_back({.round = 0, .warnings = with.check_warnings});
  for (std::size_t k = 0; k < with.warnings.size(); ++k) {
    comparison.slices.push_back({.round = k / 2 + 1,
                                 .program = static_cast<int>(k % 2),
                                 .steady = 100.0,
                                 .rate = 100.0,
                                 .warnings = with.warnings[k]});
  }
  comparison.answer.rounds = with.warnings.size() / 2;
  comparison.answer.verdict = with.verdict;
  comparison.answer.change_percent = with.verdict == ab::Verdict::slower ? -5.0 : 0.2;
  comparison.answer.low_percent = with.verdict == ab::Verdict::slower ? -7.0 : -0.5;
  comparison.answer.high_percent = with.verdict == ab::Verdict::slower ? -3.0 : 0.9;
  return comparison;
}

class Disturbed : public ::testing::TestWithParam<DisturbedCase> {};

TEST_P(Disturbed, EveryOutputSaysSo) {
  const DisturbedCase &with = GetParam();
  const ab::PairedComparison comparison = comparison_of(with);
  EXPECT_EQ(ab::disturbed_slices(comparison), with.disturbed);
  EXPECT_EQ(ab::rests_on_disturbed_slices(comparison), with.rests);
  EXPECT_EQ(ab::fails_strict(comparison), with.strict_fails);

  const output::Document document = ab::comparison_document(comparison);
  const std::vector<std::string> &notes = output::lines_headed(document, ab::notes_heading);
  const std::string verdict = document.table.rows.at(1).back().shown;
  EXPECT_EQ(verdict.ends_with(output::disturbed_mark), with.rests) << verdict;
  EXPECT_FALSE(document.table.rows.at(0).back().shown.ends_with(output::disturbed_mark));
  const auto mentions = [](const std::vector<std::string> &lines, const std::string &words) {
    return std::ranges::any_of(
        lines, [&](const std::string &line) { return line.find(words) != std::string::npos; });
  };
  EXPECT_EQ(mentions(notes, "rests on disturbed slices: " + std::to_string(with.disturbed) + " of"),
            with.rests);
  EXPECT_EQ(mentions(notes, "run again with the machine otherwise idle"), with.rests);
  EXPECT_EQ(mentions(output::lines_headed(document, ab::legend_heading),
                     "disturbed): the answer rests on disturbed slices: more than 50 %"),
            with.rests);

  const nlohmann::json json = nlohmann::json::parse(ab::json_output(comparison));
  EXPECT_EQ(json.at("answer").at("disturbed"), with.rests);
}

using W = record::WarningKinds;

W kinds(std::initializer_list<report::WarningKind> each) {
  W kinds;
  for (const report::WarningKind kind : each) {
    kinds.add(kind);
  }
  return kinds;
}

const W none{};
const W busy = kinds({report::WarningKind::interference});
const W drift = kinds({report::WarningKind::steadiness});
const W other = kinds({report::WarningKind::short_pass});

INSTANTIATE_TEST_SUITE_P(
    Slices, Disturbed,
    ::testing::Values(
        DisturbedCase{"Quiet", {none, none, none, none}, {}, ab::Verdict::same, 0, false, false},
        // Half is not more than half.
        DisturbedCase{"HalfDisturbed", {busy, none, drift, none}, {}, ab::Verdict::same, 2, false, false},
        DisturbedCase{"MostDisturbed", {busy, drift, busy, none}, {}, ab::Verdict::same, 3, true, true},
        // Both kinds on one slice count it once.
        DisturbedCase{
            "BothKindsOnce",
            {kinds({report::WarningKind::interference, report::WarningKind::steadiness}), busy, drift, none},
            {},
            ab::Verdict::same,
            3,
            true,
            true},
        // Other warnings do not disturb, as compare does not count them.
        DisturbedCase{"OtherWarnings", {other, other, other, busy}, {}, ab::Verdict::same, 1, false, false},
        // The duet check's slices are not the rounds'.
        DisturbedCase{"CheckNotCounted", {busy, none, busy, none}, busy, ab::Verdict::same, 2, false, false},
        DisturbedCase{"SlowerAndQuiet", {none, none, none, none}, {}, ab::Verdict::slower, 0, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
