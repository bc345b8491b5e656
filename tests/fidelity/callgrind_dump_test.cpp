// The checker's reading of callgrind's output, on an excerpt of what
// valgrind 3.19 writes with --cache-sim=yes --combine-dumps=yes --dump-line=no.

#include "block_costs.h"
#include "callgrind_dump.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace fidelity;

constexpr const char *combined_dumps = R"(# callgrind format
version: 1
creator: callgrind-3.19.0
pid: 4242
cmd:  ./megawhets_block_probe
part: 1
desc: I1 cache: 
desc: Timerange: Basic block 0 - 308220
desc: Trigger: Client Request: block_5_iterations_0
positions: line
events: Ir Dr Dw I1mr D1mr D1mw ILmr DLmr DLmw
summary: 20 4 11 1 0 0 1
ob=(1) /build/megawhets_block_probe
fn=(1) workload::run_block_5(unsigned int)
0 19 3 11
totals: 19 3 11
part: 2
desc: Timerange: Basic block 308220 - 309720
desc: Trigger: Client Request: block_5_iterations_1000
events: Ir Dr Dw I1mr D1mr D1mw ILmr DLmr DLmw
summary: 5023 4 2011
totals: 5023 4 2011
part: 3
desc: Trigger: Program termination
events: Ir
summary: 3484
totals: 3484
)";

std::vector<Dump> read_excerpt() {
  std::istringstream in(combined_dumps);
  return read_dumps(in);
}

TEST(CallgrindDump, ReadsEachPartsTriggerAndTotals) {
  const std::vector<Dump> dumps = read_excerpt();
  ASSERT_EQ(dumps.size(), 3U);
  EXPECT_EQ(dumps[0].trigger, "block_5_iterations_0");
  EXPECT_EQ(dumps[0].costs, (Costs{.instructions = 19, .loads = 3, .stores = 11}));
  EXPECT_EQ(dumps[1].trigger, "block_5_iterations_1000");
  EXPECT_EQ(dumps[1].costs, (Costs{.instructions = 5023, .loads = 4, .stores = 2011}));
  EXPECT_EQ(dumps[2].trigger, "Program termination");
  EXPECT_EQ(dumps[2].costs, (Costs{.instructions = 3484}));
}

TEST(CallgrindDump, KeepsOnlyTheProbesDumpsByBlockAndIterations) {
  const CostsByBlock blocks = costs_by_block(read_excerpt());
  const CostsByBlock expected = {{5, {{0, {19, 3, 11}}, {1000, {5023, 4, 2011}}}}};
  EXPECT_EQ(blocks, expected);
}

struct IterationsCase {
  const char *name;
  std::vector<std::uint32_t> iterations;
  bool usable;
};

void PrintTo(const IterationsCase &shape, std::ostream *out) { *out << shape.name; }

class BlockCostsShape : public ::testing::TestWithParam<IterationsCase> {};

TEST_P(BlockCostsShape, NeedsExactlyZeroCAndTwoC) {
  CostsByIterations measured;
  for (const std::uint32_t iterations : GetParam().iterations) {
    measured[iterations] = {};
  }
  EXPECT_EQ(block_costs(measured).has_value(), GetParam().usable);
}

INSTANTIATE_TEST_SUITE_P(Counts, BlockCostsShape,
                         ::testing::Values(IterationsCase{"ZeroCAndTwoC", {0, 8, 16}, true},
                                           IterationsCase{"MissingTwoC", {0, 8}, false},
                                           IterationsCase{"NoRunAtZero", {4, 8, 16}, false},
                                           IterationsCase{"NotDoubled", {0, 8, 24}, false},
                                           IterationsCase{"AnExtraCount", {0, 8, 16, 32}, false}),
                         [](const ::testing::TestParamInfo<IterationsCase> &info) {
                           return std::string(info.param.name);
                         });

TEST(BlockCosts, TakesEachBatchFromTheRunsAroundIt) {
  const auto costs = block_costs({{0, {10, 1, 2}}, {8, {50, 9, 2}}, {16, {98, 17, 18}}});
  ASSERT_TRUE(costs.has_value());
  EXPECT_EQ(costs->first_c_instructions(), 40.0);
  EXPECT_EQ(costs->second_c_instructions(), 48.0);
  const CostsPerIteration each = costs->per_iteration();
  EXPECT_EQ(each.instructions, 6.0);
  EXPECT_EQ(each.loads, 1.0);
  EXPECT_EQ(each.stores, 2.0);
}

} // namespace
