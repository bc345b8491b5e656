// Every output of ab for two comparisons made of fixed slices, held byte
// for byte to what it wrote before (tests/outputs/held/ab-*.txt): a change
// in how any of them is laid out shows as a difference in one of these
// files. MEGAWHETS_WRITE_HELD=1 keeps what it writes now instead, for a
// change meant to be seen in the held files' diff.

#include "ab/html_page.h"
#include "ab/json_output.h"
#include "ab/judged_figure.h"
#include "ab/paired_answer.h"
#include "ab/tables.h"
#include "output/csv_table.h"
#include "output/markdown_document.h"
#include "output/text_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Slices whose rates wander as a shared machine's do, B `change` faster,
// with one of B's slices warned of interference.
ab::PairedComparison made_comparison(std::size_t rounds, double change, ab::Mode mode) {
  ab::PairedComparison comparison;
  comparison.settings.slice_seconds = 1.0;
  comparison.settings.budget_seconds = 60.0;
  comparison.settings.figure = ab::default_figure;
  comparison.settings.seed = 42;
  comparison.programs[0] = {"./megawhets-base", "/home/someone/megawhets-base",
                            "g++ 12.2.0, -O2 -ffp-contract=off, x86-64", "1.0.0"};
  comparison.programs[1] = {"./megawhets-o3", "/home/someone/megawhets-o3",
                            "g++ 12.2.0, -O3 -ffp-contract=off, x86-64", "1.0.0"};
  comparison.inner = 2000;
  comparison.outer = 3;
  comparison.mode = mode;
  comparison.mode_reason = mode == ab::Mode::duet ? "asked for with --duet" : "asked for with --interleaved";
  std::vector<double> a_figures, b_figures, log_ratios;
  for (std::size_t round = 1; round <= rounds; ++round) {
    const double machine = 1000.0 * (1.0 + 0.02 * std::sin(static_cast<double>(round)));
    ab::Round pair{round, round % 2 == 0, comparison.slices.size(), comparison.slices.size() + 1, 0.0, {}};
    for (int program = 0; program < 2; ++program) {
      ab::Slice slice;
      slice.round = round;
      slice.program = program;
      slice.start_seconds = 2.0 * static_cast<double>(round - 1) + program;
      slice.seconds = 1.0;
      const double own = 1.0 + 0.004 * std::cos(3.0 * static_cast<double>(round) + program);
      slice.rate = machine * own * (program == 1 ? 1.0 + change : 1.0);
      slice.steady = slice.rate * 1.01;
      slice.processor_rate = slice.rate * 1.002;
      slice.processor_steady = slice.steady * 1.002;
      if (program == 1 && round == 3) {
        slice.warnings.add(report::WarningKind::interference);
      }
      if (mode == ab::Mode::duet) {
        slice.processor = static_cast<unsigned>((round + program) % 2);
        pair.start_apart = 0.0004 * static_cast<double>(round);
      }
      slice.started_at = "2026-12-10T09:" + std::to_string(10 + round) + ":0" + std::to_string(program) + "Z";
      (program == 0 ? a_figures : b_figures).push_back(ab::judged(slice, comparison.settings.figure));
      comparison.slices.push_back(slice);
    }
    pair.log_ratio = std::log(b_figures.back() / a_figures.back());
    log_ratios.push_back(pair.log_ratio);
    comparison.rounds.push_back(pair);
  }
  comparison.answer =
      ab::paired_answer(log_ratios, comparison.settings.alpha, comparison.settings.threshold_percent);
  comparison.unpaired = ab::unpaired_view(a_figures, b_figures);
  comparison.seconds = 2.0 * static_cast<double>(rounds) + 0.5;
  comparison.warned_slices = 1;
  if (mode == ab::Mode::duet) {
    comparison.duet_check = ab::DuetCheck{{0, 1}, 2, 0.4, 1.1, true};
  }
  return comparison;
}

struct Held {
  const char *name;
  std::size_t rounds;
  double change;
  ab::Mode mode;
};

class AbOutputs : public ::testing::TestWithParam<Held> {};

void hold(const std::string &name, const std::string &now) {
  const std::filesystem::path held = std::filesystem::path(MEGAWHETS_HELD_OUTPUTS) / ("ab-" + name + ".txt");
  if (std::getenv("MEGAWHETS_WRITE_HELD") != nullptr) {
    std::ofstream(held, std::ios::binary) << now;
    return;
  }
  std::ifstream file(held, std::ios::binary);
  ASSERT_TRUE(file) << held << " is missing";
  const std::string before((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(now, before) << name << " differs from " << held;
}

TEST_P(AbOutputs, AreAsHeld) {
  const ab::PairedComparison comparison =
      made_comparison(GetParam().rounds, GetParam().change, GetParam().mode);
  const output::Document document = ab::comparison_document(comparison);
  const std::string name = GetParam().name;
  hold(name + "-table", output::text_document(document, false));
  hold(name + "-colour", output::text_document(document, true));
  hold(name + "-markdown", output::markdown_document(document));
  hold(name + "-csv", output::csv_table(ab::csv_table(comparison)));
  hold(name + "-json", ab::json_output(comparison));
  hold(name + "-html", ab::html_page(comparison, document));
}

INSTANTIATE_TEST_SUITE_P(Comparisons, AbOutputs,
                         ::testing::Values(Held{"faster", 16, 0.03, ab::Mode::interleaved},
                                           Held{"undecided", 5, 0.004, ab::Mode::duet}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
