#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Whether this build computes the workload's arithmetic: the state the
// workload reaches is held, bit for bit, to values worked out apart from this
// program. Flags that let a compiler change floating-point results
// (-ffast-math, contraction into fused multiply-adds, x87 extended precision),
// or a faulty processor, show up here as a value that differs.
namespace self_check {

// The first value that differs, as the message gives it.
struct Mismatch {
  std::string value; // for example "E1[3] after an outer iteration with inner count 2"
  std::string got;
  std::string expected;
};

// Runs one outer iteration at each known state's inner count, outside any
// timed interval (about 1 ms in all on a current server core), and compares
// the whole state after each. The workload's variables are left as the last
// one leaves them; every outer iteration sets all it reads before reading it.
std::optional<Mismatch> check_known_states();

// Compares what is cheap to know of the state the last outer iteration left,
// given its inner count: J and K in closed form, L, E1[0] to E1[2], and X1
// to X4.
std::optional<Mismatch> check_state_after(std::int32_t inner, const char *when);

// The same for the state a run's pass 2 left, in the run itself (copy 0) or
// in one of its copies; nothing to check when pass 2 ran no outer iteration.
std::optional<Mismatch> check_state_after_pass_2(std::int32_t outer, std::int32_t inner, unsigned copy);

// The error for standard error, ending in a line break.
std::string mismatch_message(const Mismatch &mismatch);

} // namespace self_check
