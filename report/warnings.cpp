#include "report/warnings.h"

#include "pass/figures.h"
#include "pass/iteration_groups.h"
#include "text/formatted.h"
#include "workload/subnormal_limit.h"

namespace report {
namespace {

constexpr std::uint32_t limit = workload::largest_inner_count_without_subnormals;

std::string count_as_used(std::int32_t inner) {
  const auto used = static_cast<std::uint32_t>(inner);
  std::string text = std::to_string(inner);
  if (inner < 0) {
    text += " (taken as " + std::to_string(used) + ")";
  }
  return text;
}

std::string subject(int pass, unsigned copy) {
  const std::string pass_name = "pass " + std::to_string(pass);
  return copy == 0 ? pass_name : "copy " + std::to_string(copy) + "'s " + pass_name;
}

} // namespace

std::string interference_warning(int pass, const pass::PassTiming &timing, double processor_clock_step,
                                 unsigned copy) {
  // Comparisons with a reading that is not a number are false: no warning.
  const bool judged = timing.elapsed > 0 && processor_clock_step <= timing.elapsed * coarsest_judged_step;
  const double share = timing.processor / timing.elapsed;
  if (!judged || !(share < least_undisturbed_share)) {
    return {};
  }
  return text::formatted(
      "megawhets: warning: %s had the processor for only %.1f %% of its %.3g seconds: other "
      "work on this machine slowed it, so its figures are low; run again with the machine "
      "otherwise idle\n",
      subject(pass, copy).c_str(), share * 100.0, timing.elapsed);
}

bool speed_changed(double whole_rate, const pass::SteadyFigures &steady) {
  // Comparisons with a figure that is not a number are false: no warning.
  return steady.groups >= fewest_judged_groups &&
         whole_rate < steady.fastest_rate * (1.0 - largest_steady_shortfall);
}

std::string steadiness_warning(int pass, double whole_rate, const pass::SteadyFigures &steady,
                               unsigned copy) {
  if (!speed_changed(whole_rate, steady)) {
    return {};
  }
  const double fastest = steady.fastest_rate * pass::megawhets_per_rate_unit;
  return text::formatted(
      "megawhets: warning: %s ran %.1f %% below its fastest group of outer iterations "
      "(%.2f against %.2f megaWhets/second): the machine's speed changed during the pass (other "
      "virtual machines on the same host, frequency changes or throttling); %.2f is the steadier "
      "figure; run again, or compare steadier figures\n",
      subject(pass, copy).c_str(), (1.0 - whole_rate / steady.fastest_rate) * 100.0,
      whole_rate * pass::megawhets_per_rate_unit, fastest, fastest);
}

const char *warning_kind_name(WarningKind kind) {
  switch (kind) {
  case WarningKind::interference:
    return "interference";
  case WarningKind::steadiness:
    return "steadiness";
  case WarningKind::short_pass:
    return "short";
  case WarningKind::subnormal:
    return "subnormal";
  case WarningKind::sharing:
    return "sharing";
  }
  return "";
}

std::vector<RunWarning> pass_warnings(const pass::PassOutcome &first, const pass::PassOutcome &second,
                                      double processor_clock_step) {
  std::vector<RunWarning> warnings;
  const auto add = [&warnings](WarningKind kind, int pass, std::string text, unsigned copy) {
    if (!text.empty()) {
      warnings.push_back({kind, pass, std::move(text), copy});
    }
  };
  const auto judge = [&](const pass::PassOutcome &pass, const pass::PassTiming &timing, double rate,
                         const pass::SteadyFigures &steady, unsigned copy) {
    std::string interference = interference_warning(pass.number, timing, processor_clock_step, copy);
    if (interference.empty()) {
      add(WarningKind::steadiness, pass.number, steadiness_warning(pass.number, rate, steady, copy), copy);
    }
    add(WarningKind::interference, pass.number, std::move(interference), copy);
  };
  for (const pass::PassOutcome *pass : {&first, &second}) {
    if (pass->copies.empty()) {
      judge(*pass, pass->timing, pass->figures.rate, pass->steady, 0);
    }
    const double units = pass::work_units(pass->inner, pass->outer);
    for (unsigned copy = 1; copy <= pass->copies.size(); ++copy) {
      const pass::CopyOutcome &outcome = pass->copies[copy - 1];
      judge(*pass, outcome.timing, pass::pass_rate(units, outcome.timing.elapsed), outcome.steady, copy);
    }
  }
  for (const pass::PassOutcome *pass : {&first, &second}) {
    // Every copy runs the same counts, so each has the same groups.
    const std::uint64_t groups =
        pass->copies.empty() ? pass->steady.groups : pass->copies.front().steady.groups;
    add(WarningKind::short_pass, pass->number,
        short_warning(pass->number, pass->figures.elapsed, groups, first.inner), 0);
    add(WarningKind::subnormal, pass->number, subnormal_warning(pass->number, pass->inner), 0);
  }
  return warnings;
}

std::string short_warning(int pass, double elapsed, std::uint64_t groups, std::int32_t typed_inner) {
  if (groups >= fewest_judged_groups) {
    return {};
  }
  const std::uint32_t per_group = pass::outer_iterations_per_group(typed_inner);
  const std::string enough = per_group == 0 ? "an inner count above 0"
                                            : "an outer count of at least " +
                                                  std::to_string(fewest_judged_groups * per_group) +
                                                  " with inner count " + std::to_string(typed_inner);
  return text::formatted(
      "megawhets: warning: pass %d took %.3g seconds in %llu group%s of outer iterations, too few "
      "(fewer than %llu) to tell whether the machine's speed held, so nothing vouches for its "
      "figures; give it more work: --auto, or %s\n",
      pass, elapsed, static_cast<unsigned long long>(groups), groups == 1 ? "" : "s",
      static_cast<unsigned long long>(fewest_judged_groups), enough.c_str());
}

std::string sharing_warning(unsigned copies, unsigned usable_processors) {
  if (copies <= usable_processors) {
    return {};
  }
  return text::formatted(
      "megawhets: warning: %u copies will share %u usable processor%s, so the figures will "
      "measure how the processors are shared, not how fast they are; run at most %u cop%s, or "
      "--copies all\n",
      copies, usable_processors, usable_processors == 1 ? "" : "s", usable_processors,
      usable_processors == 1 ? "y" : "ies");
}

std::string subnormal_warning(int pass, std::int32_t inner) {
  if (static_cast<std::uint32_t>(inner) <= limit) {
    return {};
  }
  return "megawhets: warning: pass " + std::to_string(pass) + "'s inner count " + count_as_used(inner) +
         " is above " + std::to_string(limit) +
         ", where the workload's values turn subnormal and many processors slow down sharply, so its figures "
         "measure that; keep the inner count at or below " +
         std::to_string(limit / 2) + " and raise the outer count instead\n";
}

} // namespace report
