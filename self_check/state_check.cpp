#include "self_check/state_check.h"

#include "self_check/block_9_closed_form.h"
#include "self_check/known_states.h"
#include "workload/outer_iteration.h"
#include "workload/variables.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace self_check {
namespace {

// The C library's log and exp are not the same everywhere, and block 10's X
// goes through them 93 times per unit of inner count.
constexpr double library_tolerance = 1e-12;

std::string seventeen_digits(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// Values, named, compared in order; the first that differs is kept.
class Comparison {
public:
  explicit Comparison(std::string when) : when_(std::move(when)) {}

  void exactly(const char *name, double got, double expected) {
    if (!mismatch_ && std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(expected)) {
      keep(name, seventeen_digits(got), seventeen_digits(expected));
    }
  }

  void exactly(const char *name, std::int32_t got, std::int32_t expected) {
    if (!mismatch_ && got != expected) {
      keep(name, std::to_string(got), std::to_string(expected));
    }
  }

  void closely(const char *name, double got, double expected) {
    // Written so that a value that is not a number differs.
    if (!mismatch_ && !(std::fabs(got - expected) <= library_tolerance * std::fabs(expected))) {
      keep(name, seventeen_digits(got), seventeen_digits(expected));
    }
  }

  const std::optional<Mismatch> &mismatch() const { return mismatch_; }

private:
  void keep(const char *name, std::string got, std::string expected) {
    mismatch_ = Mismatch{std::string(name) + " " + when_, std::move(got), std::move(expected)};
  }

  std::string when_;
  std::optional<Mismatch> mismatch_;
};

constexpr const char *e1_names[] = {"E1[0]", "E1[1]", "E1[2]", "E1[3]"};

void compare_first_three_and_rest(Comparison &comparison, const double (&e1)[3], std::int32_t l) {
  for (int i = 0; i < 3; ++i) {
    comparison.exactly(e1_names[i], workload::E1[i], e1[i]);
  }
  comparison.exactly("L", workload::L, l);
  comparison.exactly("X1", workload::X1, 0.0);
  comparison.exactly("X2", workload::X2, 0.0);
  comparison.exactly("X3", workload::X3, 0.0);
  comparison.exactly("X4", workload::X4, 0.0);
}

std::optional<Mismatch> compare_known_state(const KnownState &known) {
  workload::OuterIterationLocals locals{};
  workload::run_outer_iteration_keeping_locals(static_cast<std::int32_t>(known.inner), locals);
  Comparison comparison("after an outer iteration with inner count " + std::to_string(known.inner));
  compare_first_three_and_rest(comparison, {known.e1[0], known.e1[1], known.e1[2]}, known.l);
  comparison.exactly(e1_names[3], workload::E1[3], known.e1[3]);
  comparison.exactly("J", workload::J, known.j);
  comparison.exactly("K", workload::K, known.k);
  comparison.exactly("block 7's Z", locals.block_7_z, known.block_7_z);
  comparison.closely("block 10's X", locals.block_10_x, known.block_10_x);
  return comparison.mismatch();
}

} // namespace

std::optional<Mismatch> check_known_states() {
  for (const KnownState &known : known_states) {
    if (auto mismatch = compare_known_state(known)) {
      return mismatch;
    }
  }
  return std::nullopt;
}

std::optional<Mismatch> check_state_after(std::int32_t inner, const char *when) {
  const workload::BlockCounts counts = workload::block_counts(inner);
  Comparison comparison(when);
  // Block 8 starts from (1, 2, 3) and, rotating an even number of times,
  // ends on (3, 2, 3) unless its count wrapped to none.
  const double rotated[3] = {3.0, 2.0, 3.0};
  const double unrotated[3] = {1.0, 2.0, 3.0};
  compare_first_three_and_rest(comparison, counts.block_8 == 0 ? unrotated : rotated, 2);
  const IntegerPair jk = block_9_after(counts.block_9);
  comparison.exactly("J", workload::J, static_cast<std::int32_t>(jk.j));
  comparison.exactly("K", workload::K, static_cast<std::int32_t>(jk.k));
  return comparison.mismatch();
}

std::optional<Mismatch> check_state_after_pass_2(std::int32_t outer, std::int32_t inner, unsigned copy) {
  if (outer == 0) {
    return std::nullopt;
  }
  const std::string in_copy = copy == 0 ? "" : "in copy " + std::to_string(copy) + " ";
  const std::string when = in_copy + "after pass 2 (inner count " + std::to_string(inner) + ")";
  return check_state_after(inner, when.c_str());
}

std::string mismatch_message(const Mismatch &mismatch) {
  return "megawhets: error: this build does not compute the workload's arithmetic: " + mismatch.value +
         " is " + mismatch.got + ", not " + mismatch.expected +
         ". Compiler flags that change floating-point results (-ffast-math, fused multiply-add "
         "contraction, x87 extended precision) or a faulty processor can cause this; this build's "
         "figures cannot be compared with others\n";
}

} // namespace self_check
