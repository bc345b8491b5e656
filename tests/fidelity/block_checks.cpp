// Proves that the compiled workload does all of its work. The probe's runs of
// each block at 0, c and 2c iterations are counted, and every block must
//  - cost the same, in instructions, for its second c iterations as for its
//    first c (within 1 %), so its work grows with the iterations asked for:
//    a deleted loop, a call hoisted out of one, or a result computed in
//    closed form would cost next to nothing the second time; and
//  - execute per iteration at least the operations, loads and stores its
//    lines ask for, so none has been folded, merged or dropped; and, where
//    the counting tells them apart, no multiply and add fused into one.
// The run at 0 iterations measures what does not grow with the iterations
// (the call of the block, its set-up, the probe's requests and markers), so
// comparing the batches rather than I(2c) with I(c) keeps that fixed cost out
// of the ratio. Instructions are counted, not time, so the result does not
// depend on the machine's load.

#include "block_checks.h"

#include "workload/outer_iteration.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <ostream>
#include <sstream>
#include <string>

namespace fidelity {
namespace {

// The least one iteration of each block can execute with all of its work
// done: an instruction for each operation, load and store its lines ask for,
// and a call and a return for each call. The counts also hold the loop's own
// counting and what runs inside the procedures and the library's log and exp,
// so the figures measured are higher. A call's saving of its return address
// is not counted as a store: not every processor makes one.
struct Minimum {
  int block;
  CostsPerIteration per_iteration;
  const char *work;
};

void PrintTo(const Minimum &minimum, std::ostream *out) { *out << "block " << minimum.block; }

constexpr Minimum minimums[] = {
    {1,
     {.instructions = 16, .operations = 16},
     "16 floating-point operations: 4 lines of 3 additions or subtractions and a multiplication"},
    {2, {.instructions = 16, .operations = 16}, "16 floating-point operations: the lines of block 1, on E1"},
    {3,
     {.instructions = 2 + 6 * 16, .loads = 4, .stores = 4, .operations = 6 * 16, .divisions = 6},
     "a call and a return, and mix_array's 6 rounds of 16 floating-point operations (one a division) on "
     "E1's 4 elements"},
    {4, {.instructions = 2}, "an empty loop's increment and compare-and-branch"},
    {5, {.instructions = 2, .stores = 2}, "2 stores"},
    {6, {.instructions = 2}, "an empty loop's increment and compare-and-branch"},
    {7,
     {.instructions = 2 + 6, .loads = 2, .stores = 1, .operations = 6, .divisions = 1},
     "a call and a return, and mix_pair's 2 loads, 3 additions, 2 multiplications, a division and a store"},
    {8,
     {.instructions = 2 + 6, .loads = 3, .stores = 3},
     "a call and a return, and rotate_elements' 3 loads and 3 stores"},
    {9, {.instructions = 5}, "5 integer additions and subtractions"},
    {10,
     {.instructions = 2 * 2 + 2, .operations = 2},
     "2 calls and returns (log and exp) and 2 multiplications"},
};

constexpr double proportionality_tolerance = 0.01;

std::string figures(const char *what, std::uint64_t at_zero, std::uint64_t at_c, std::uint64_t at_2c) {
  std::ostringstream out;
  out << what << " at 0, c and 2c iterations: " << at_zero << ", " << at_c << ", " << at_2c;
  return out.str();
}

class BlockFidelity : public ::testing::TestWithParam<Minimum> {
protected:
  void SetUp() override {
    const Measured &all = measured();
    ASSERT_TRUE(all.problem.empty()) << all.problem;
    const auto block = all.blocks.find(GetParam().block);
    ASSERT_NE(block, all.blocks.end()) << "the probe wrote no measurement of this block";
    const auto costs = block_costs(block->second);
    ASSERT_TRUE(costs.has_value()) << "the block was not measured at 0, c and 2c iterations";
    costs_ = *costs;
    counts_operations_ = all.counts_operations;
  }

  std::string instructions() const {
    return figures("instructions", costs_.at_zero.instructions, costs_.at_c.instructions,
                   costs_.at_2c.instructions) +
           " (c = " + std::to_string(costs_.c) + ")";
  }

  BlockCosts costs_;
  bool counts_operations_ = false;
};

TEST_P(BlockFidelity, EachFurtherBatchOfIterationsCostsTheSame) {
  ASSERT_GT(costs_.first_c_instructions(), 0.0) << "its iterations executed nothing; " << instructions();
  EXPECT_NEAR(costs_.second_c_instructions() / costs_.first_c_instructions(), 1.0, proportionality_tolerance)
      << instructions();
}

TEST_P(BlockFidelity, ExecutesAtLeastTheWorkOfItsLines) {
  const CostsPerIteration measured = costs_.per_iteration();
  const CostsPerIteration &least = GetParam().per_iteration;
  SCOPED_TRACE(std::string("each iteration must execute ") + GetParam().work);
  EXPECT_GE(measured.instructions, least.instructions) << instructions();
  EXPECT_GE(measured.loads, least.loads)
      << figures("loads", costs_.at_zero.loads, costs_.at_c.loads, costs_.at_2c.loads);
  EXPECT_GE(measured.stores, least.stores)
      << figures("stores", costs_.at_zero.stores, costs_.at_c.stores, costs_.at_2c.stores);
  if (counts_operations_) {
    EXPECT_GE(measured.operations, least.operations) << "double operations per iteration";
    EXPECT_GE(measured.divisions, least.divisions) << "double divisions per iteration";
  }
}

TEST_P(BlockFidelity, FusesNoMultiplyAndAdd) {
  if (!counts_operations_) {
    GTEST_SKIP() << "this way of counting does not tell instructions apart";
  }
  EXPECT_EQ(costs_.at_zero.fused + costs_.at_c.fused + costs_.at_2c.fused, 0U)
      << "fused multiply-adds in the workload's code, which must round twice";
}

INSTANTIATE_TEST_SUITE_P(Workload, BlockFidelity, ::testing::ValuesIn(minimums),
                         [](const ::testing::TestParamInfo<Minimum> &info) {
                           return "Block" + std::to_string(info.param.block);
                         });

// How many iterations of each block one unit of the inner count adds.
std::uint32_t iterations_per_unit(int block) {
  const workload::BlockCounts one = workload::block_counts(1);
  const workload::BlockCounts two = workload::block_counts(2);
  const std::uint32_t workload::BlockCounts::*counts[] = {
      &workload::BlockCounts::block_1,  &workload::BlockCounts::block_2, &workload::BlockCounts::block_3,
      &workload::BlockCounts::block_4,  &workload::BlockCounts::block_5, &workload::BlockCounts::block_6,
      &workload::BlockCounts::block_7,  &workload::BlockCounts::block_8, &workload::BlockCounts::block_9,
      &workload::BlockCounts::block_10,
  };
  const auto count = counts[block - 1];
  return two.*count - one.*count;
}

} // namespace

const Measured &measured() {
  static const Measured once = measure();
  return once;
}

void print_per_iteration(const Measured &measured) {
  std::cout << "block  instructions  loads  stores" << (measured.counts_operations ? "  operations" : "")
            << "  (per iteration)\n"
            << std::fixed << std::setprecision(3);
  double operations_per_unit = 0;
  for (const auto &[block, runs] : measured.blocks) {
    if (const auto costs = block_costs(runs)) {
      const CostsPerIteration each = costs->per_iteration();
      std::cout << std::setw(5) << block << std::setw(14) << each.instructions << std::setw(7) << each.loads
                << std::setw(8) << each.stores;
      if (measured.counts_operations) {
        std::cout << std::setw(12) << each.operations;
      }
      std::cout << '\n';
      operations_per_unit += each.operations * iterations_per_unit(block);
    }
  }
  if (measured.counts_operations) {
    std::cout << "double operations per unit of the inner count: " << operations_per_unit << '\n';
  }
}

} // namespace fidelity
