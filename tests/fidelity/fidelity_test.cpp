// Proves that the compiled workload does all of its work. Callgrind counts
// what each block executes at 0, c and 2c iterations, and every block must
//  - cost the same, in instructions, for its second c iterations as for its
//    first c (within 1 %), so its work grows with the iterations asked for:
//    a deleted loop, a call hoisted out of one, or a result computed in
//    closed form would cost next to nothing the second time; and
//  - execute per iteration at least the operations, loads and stores its
//    lines ask for, so none has been folded, merged or dropped.
// The run at 0 iterations measures what does not grow with the iterations
// (the call of the block, its set-up, callgrind's requests), so comparing
// the batches rather than I(2c) with I(c) keeps that fixed cost out of the
// ratio. Instructions, loads and stores are counted, not time, so the result
// does not depend on the machine's load.

#include "block_costs.h"
#include "callgrind_run.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace {

using namespace fidelity;

// The least one iteration of each block can execute with all of its work
// done: an instruction for each operation, load and store its lines ask for,
// and a call and a return for each call. Callgrind also counts the loop's own
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
     {.instructions = 16},
     "16 floating-point operations: 4 lines of 3 additions or subtractions and a multiplication"},
    {2, {.instructions = 16}, "16 floating-point operations: the lines of block 1, on E1"},
    {3,
     {.instructions = 2 + 6 * 16, .loads = 4, .stores = 4},
     "a call and a return, and mix_array's 6 rounds of 16 floating-point operations on E1's 4 elements"},
    {4, {.instructions = 2}, "an empty loop's increment and compare-and-branch"},
    {5, {.instructions = 2, .stores = 2}, "2 stores"},
    {6, {.instructions = 2}, "an empty loop's increment and compare-and-branch"},
    {7,
     {.instructions = 2 + 6, .loads = 2, .stores = 1},
     "a call and a return, and mix_pair's 2 loads, 3 additions, 2 multiplications, a division and a store"},
    {8,
     {.instructions = 2 + 6, .loads = 3, .stores = 3},
     "a call and a return, and rotate_elements' 3 loads and 3 stores"},
    {9, {.instructions = 5}, "5 integer additions and subtractions"},
    {10, {.instructions = 2 * 2 + 2}, "2 calls and returns (log and exp) and 2 multiplications"},
};

constexpr double proportionality_tolerance = 0.01;

struct Measured {
  CostsByBlock blocks;
  std::string problem;
};

void print_per_iteration(const CostsByBlock &blocks) {
  std::cout << "block  instructions  loads  stores  (per iteration)\n" << std::fixed << std::setprecision(3);
  for (const auto &[block, measured] : blocks) {
    if (const auto costs = block_costs(measured)) {
      const CostsPerIteration each = costs->per_iteration();
      std::cout << std::setw(5) << block << std::setw(14) << each.instructions << std::setw(7) << each.loads
                << std::setw(8) << each.stores << '\n';
    }
  }
}

Measured measure() {
  const std::string missing = MEGAWHETS_FIDELITY_MISSING;
  if (!missing.empty()) {
    return {.blocks = {},
            .problem = "cannot check the workload: the build was configured without " + missing +
                       "; install Debian's valgrind package and configure again"};
  }
  const CallgrindRun run = run_under_callgrind(MEGAWHETS_VALGRIND, MEGAWHETS_BLOCK_PROBE);
  if (!run.problem.empty()) {
    return {.blocks = {}, .problem = run.problem};
  }
  Measured measured{.blocks = costs_by_block(run.dumps), .problem = {}};
  print_per_iteration(measured.blocks);
  return measured;
}

// One callgrind run serves every test.
const Measured &measured() {
  static const Measured once = measure();
  return once;
}

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
  }

  std::string instructions() const {
    return figures("instructions", costs_.at_zero.instructions, costs_.at_c.instructions,
                   costs_.at_2c.instructions) +
           " (c = " + std::to_string(costs_.c) + ")";
  }

  BlockCosts costs_;
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
}

INSTANTIATE_TEST_SUITE_P(Workload, BlockFidelity, ::testing::ValuesIn(minimums),
                         [](const ::testing::TestParamInfo<Minimum> &info) {
                           return "Block" + std::to_string(info.param.block);
                         });

} // namespace
