#pragma once

// The machine's latency of the operations the blocks' dependency chains are
// made of, each timed as a long chain in which every operation waits for the
// one before it.
namespace bench {

inline constexpr const char *kDoubleAddLatency = "latency_double_add";
inline constexpr const char *kDoubleMultiplyLatency = "latency_double_multiply";
inline constexpr const char *kDoubleDivideLatency = "latency_double_divide";
inline constexpr const char *kIntegerAddLatency = "latency_integer_add";
// An add then a multiply that waits for it, as one link: on processors whose
// adder and multiplier forward to each other more slowly than to themselves,
// it takes longer than the two latencies added.
inline constexpr const char *kAddThenMultiplyLatency = "latency_add_then_multiply";

void register_latency_benchmarks();

} // namespace bench
