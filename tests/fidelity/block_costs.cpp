#include "block_costs.h"

#include "dump_names.h"

#include <iterator>

namespace fidelity {
namespace {

double difference(std::uint64_t later, std::uint64_t earlier) {
  return static_cast<double>(later) - static_cast<double>(earlier);
}

} // namespace

CostsByBlock costs_by_block(const std::vector<Dump> &dumps) {
  CostsByBlock measured;
  for (const Dump &dump : dumps) {
    if (const auto run = parse_dump_name(dump.trigger)) {
      measured[run->block][run->iterations] = dump.costs;
    }
  }
  return measured;
}

double BlockCosts::first_c_instructions() const {
  return difference(at_c.instructions, at_zero.instructions);
}

double BlockCosts::second_c_instructions() const { return difference(at_2c.instructions, at_c.instructions); }

CostsPerIteration BlockCosts::per_iteration() const {
  const auto each = [this](std::uint64_t Costs::*count) { return difference(at_2c.*count, at_c.*count) / c; };
  return {.instructions = each(&Costs::instructions),
          .loads = each(&Costs::loads),
          .stores = each(&Costs::stores),
          .operations = each(&Costs::additions) + each(&Costs::multiplications) + each(&Costs::divisions),
          .divisions = each(&Costs::divisions),
          .fused = each(&Costs::fused)};
}

std::optional<BlockCosts> block_costs(const CostsByIterations &measured) {
  if (measured.size() != 3) {
    return std::nullopt;
  }
  const auto zero = measured.begin();
  const auto c = std::next(zero);
  const auto two_c = std::next(c);
  if (zero->first != 0 || c->first == 0 || two_c->first != 2 * static_cast<std::uint64_t>(c->first)) {
    return std::nullopt;
  }
  return BlockCosts{.c = c->first, .at_zero = zero->second, .at_c = c->second, .at_2c = two_c->second};
}

} // namespace fidelity
