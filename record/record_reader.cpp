#include "record/record_reader.h"

#include "record/json_record.h"
#include "record/json_sequence.h"
#include "record/label.h"
#include "report/formatted.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace record {
namespace {

using Json = nlohmann::ordered_json;

// What ends the reading of a record: the first value that makes it no
// record, or the figure that leaves it out of a comparison.
struct Refusal {
  ProblemKind kind;
  std::string message;
};

// A value of the record and the path that names it.
struct Field {
  const Json &value;
  std::string path;
};

// A value as a message names it: the value itself for a number, true, false
// or null, its type otherwise, since text can be long.
std::string what_it_is(const Json &value) {
  switch (value.type()) {
  case Json::value_t::string:
    return "a string";
  case Json::value_t::array:
    return "an array";
  case Json::value_t::object:
    return "an object";
  default:
    return value.dump();
  }
}

Refusal not_a_record(const Field &field, const std::string &what) {
  return {ProblemKind::not_a_record, field.path + ": " + what};
}

Refusal mismatch(const Field &field, const std::string &what_belongs) {
  return not_a_record(field, what_it_is(field.value) + " where " + what_belongs + " belongs");
}

const Json &object(const Field &field) {
  if (!field.value.is_object()) {
    throw mismatch(field, "an object");
  }
  return field.value;
}

const Json::array_t &array(const Field &field) {
  if (!field.value.is_array()) {
    throw mismatch(field, "an array");
  }
  return field.value.get_ref<const Json::array_t &>();
}

std::optional<Field> optional_member(const Field &parent, const char *key) {
  const Json &members = object(parent);
  const auto found = members.find(key);
  if (found == members.end()) {
    return std::nullopt;
  }
  return Field{*found, parent.path + "." + key};
}

Field member(const Field &parent, const char *key) {
  auto found = optional_member(parent, key);
  if (!found) {
    throw Refusal{ProblemKind::not_a_record, parent.path + "." + key + ": missing"};
  }
  return std::move(*found);
}

Field element(const Field &parent, std::size_t index) {
  return {array(parent)[index], parent.path + "[" + std::to_string(index) + "]"};
}

std::string text(const Field &field) {
  if (!field.value.is_string()) {
    throw mismatch(field, "a string");
  }
  return field.value.get<std::string>();
}

// Text the record gives as null where the system did not say.
std::string text_or_empty(const Field &field) { return field.value.is_null() ? std::string() : text(field); }

bool boolean(const Field &field) {
  if (!field.value.is_boolean()) {
    throw mismatch(field, "true or false");
  }
  return field.value.get<bool>();
}

std::int64_t integer(const Field &field, std::int64_t low, std::int64_t high) {
  const Json &value = field.value;
  const std::string range = "an integer from " + std::to_string(low) + " to " + std::to_string(high);
  if (!value.is_number_integer()) {
    throw mismatch(field, range);
  }
  // nlohmann keeps every integer from 0 up as unsigned, so that the largest
  // fit.
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(high) || static_cast<std::int64_t>(number) < low) {
      throw mismatch(field, range);
    }
    return static_cast<std::int64_t>(number);
  }
  const auto number = value.get<std::int64_t>();
  if (number < low || number > high) {
    throw mismatch(field, range);
  }
  return number;
}

unsigned positive_unsigned(const Field &field) {
  return static_cast<unsigned>(integer(field, 1, std::numeric_limits<unsigned>::max()));
}

// A figure; not a number where the record gives null.
double figure(const Field &field) {
  if (field.value.is_null()) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (!field.value.is_number()) {
    throw mismatch(field, "a number");
  }
  return field.value.get<double>();
}

// A rate in megaWhets/second, or not a number where the record gives null.
// A pass with no work (an inner or outer count of 0) has a rate of 0: a run
// the program made, though not one to compare.
double rate(const Field &field) {
  const double value = figure(field);
  if (std::isnan(value)) {
    return value;
  }
  if (value < 0.0) {
    throw mismatch(field, "a rate of at least 0");
  }
  if (value > most_believable_rate) {
    throw mismatch(field, report::formatted("a rate of at most %g", most_believable_rate));
  }
  return value;
}

// A share of the processor: at least 0, and above 1 where the clocks' steps
// make it so; not a number where the record gives null.
double processor_share(const Field &field) {
  const double value = figure(field);
  if (value < 0.0) {
    throw mismatch(field, "a share of at least 0");
  }
  return value;
}

class RecordReading {
public:
  explicit RecordReading(const Json &value) : record_{value, "$"} {}

  RecordedRun run() {
    check_origin();
    RecordedRun run;
    read_program_and_build(run);
    read_machine(run);
    run.started_at = text(member(record_, "started_at"));
    const Field copies = member(record_, "copies");
    run.copies = copies.value.is_null() ? 0U : positive_unsigned(member(copies, "count"));
    run.self_check_passed = boolean(member(member(record_, "self_check"), "passed"));
    read_passes(run);
    const Field warnings = member(record_, "warnings");
    for (std::size_t i = 0; i < array(warnings).size(); ++i) {
      run.warning_kinds.push_back(text(member(element(warnings, i), "kind")));
    }
    run.exit_status = static_cast<int>(integer(
        member(record_, "exit_status"), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    if (unfit_) {
      throw *unfit_;
    }
    return run;
  }

private:
  // Another version, or another program, may mean anything by the rest.
  void check_origin() {
    object(record_);
    const Field version = member(record_, "schema_version");
    if (!version.value.is_number_integer() || version.value != schema_version) {
      throw not_a_record(version, what_it_is(version.value) +
                                      ", but this megawhets reads records of version " +
                                      std::to_string(schema_version));
    }
    const Field name = member(member(record_, "program"), "name");
    if (text(name) != "megawhets") {
      throw not_a_record(name, name.value.dump(-1, ' ', true).substr(0, 40) + ", not megawhets");
    }
  }

  void read_program_and_build(RecordedRun &run) {
    run.program_version = text(member(member(record_, "program"), "version"));
    if (const auto label = optional_member(record_, "label"); label && !label->value.is_null()) {
      run.label = text(*label);
      if (const std::string problem = label_problem(*run.label); !problem.empty()) {
        throw not_a_record(*label, "the label " + problem);
      }
    }
    const Field build = member(record_, "build");
    run.compiler = text(member(build, "compiler"));
    run.compiler_version = text(member(build, "compiler_version"));
    run.flags = text(member(build, "flags"));
    // A test build's drag is shown wherever its flags are, and sets it
    // apart from the build without one.
    if (const auto drag = optional_member(build, "drag_percent")) {
      run.flags += ", drag " + std::to_string(integer(*drag, 1, 100)) + " %";
    }
    run.architecture = text(member(build, "architecture"));
  }

  void read_machine(RecordedRun &run) {
    const Field machine = member(record_, "machine");
    if (const auto host_name = optional_member(machine, "host_name")) {
      run.host_name = text_or_empty(*host_name);
    }
    run.processor_model = text_or_empty(member(machine, "processor_model"));
    const Field processors = member(machine, "processors");
    run.processors = processors.value.is_null() ? 0U : positive_unsigned(processors);
  }

  void read_passes(RecordedRun &run) {
    const Field passes = member(record_, "passes");
    const std::size_t count = array(passes).size();
    if (count == 0 && !run.self_check_passed) {
      throw Refusal{ProblemKind::not_comparable,
                    passes.path + ": none, as the self-check failed before them"};
    }
    if (count != 2) {
      throw not_a_record(passes,
                         std::to_string(count) + (count == 1 ? " pass" : " passes") + " where 2 belong");
    }
    for (std::size_t i = 0; i < count; ++i) {
      read_pass(run, element(passes, i), static_cast<int>(i + 1));
    }
  }

  void read_pass(RecordedRun &run, const Field &pass, int number) {
    const Field number_field = member(pass, "pass");
    if (integer(number_field, 1, 2) != number) {
      throw mismatch(number_field, std::to_string(number));
    }
    const Field rate_field = member(pass, "megawhets_per_second");
    const double pass_rate = rate(rate_field);
    note_share(processor_share(member(pass, "processor_share")), run);
    const Field fastest = member(member(pass, "groups"), "fastest_megawhets_per_second");
    const double fastest_rate = rate(fastest);
    const Field copies = member(pass, "copies");
    const std::size_t count = array(copies).size();
    if (count != run.copies) {
      throw not_a_record(copies, std::to_string(count) + (count == 1 ? " copy" : " copies") + " where " +
                                     (run.copies == 0 ? "none" : std::to_string(run.copies)) + " belong");
    }
    double copies_fastest = 0.0;
    std::optional<Field> null_copy;
    for (std::size_t i = 0; i < count; ++i) {
      const Field copy = element(copies, i);
      note_share(processor_share(member(copy, "processor_share")), run);
      Field copy_fastest = member(member(copy, "groups"), "fastest_megawhets_per_second");
      const double copy_rate = rate(copy_fastest);
      copies_fastest += copy_rate;
      if (std::isnan(copy_rate) && !null_copy) {
        null_copy.emplace(std::move(copy_fastest));
      }
    }
    if (number != 2) {
      return;
    }
    run.rate = pass_rate;
    if (std::isnan(pass_rate)) {
      unfit(rate_field, "null, as a pass too short for the clock leaves it");
    } else if (pass_rate == 0.0) {
      unfit(rate_field, "0, as a pass with no work (an inner or outer count of 0) leaves it");
    }
    const Field &steady_field = run.copies == 0 ? fastest : null_copy ? *null_copy : copies;
    run.steady = run.copies == 0 ? fastest_rate : copies_fastest;
    if (std::isnan(run.steady)) {
      unfit(steady_field, "null, as a pass without a full group of outer iterations leaves it");
    } else if (run.steady == 0.0) {
      unfit(steady_field, "0, as a pass with no work (an inner or outer count of 0) leaves it");
    } else if (run.steady > most_believable_rate) {
      throw not_a_record(
          copies, report::formatted("fastest groups that add up to %g where a rate of at most %g belongs",
                                    run.steady, most_believable_rate));
    }
  }

  static void note_share(double share, RecordedRun &run) {
    if (!std::isnan(share) && !(share >= run.lowest_processor_share)) {
      run.lowest_processor_share = share;
    }
  }

  // The first figure a comparison cannot use; the record is read on, since
  // a reason that it is no record at all would count for more.
  void unfit(const Field &field, const std::string &why) {
    if (!unfit_) {
      unfit_ = Refusal{ProblemKind::not_comparable, field.path + ": " + why};
    }
  }

  Field record_;
  std::optional<Refusal> unfit_{};
};

ReadRecord read_one(const JsonText &text, std::string source) {
  if (!text.value) {
    return {.source = std::move(source), .problem = ProblemKind::not_a_record, .message = text.problem};
  }
  try {
    RecordedRun run = RecordReading(*text.value).run();
    return {.source = std::move(source), .run = std::move(run)};
  } catch (const Refusal &refusal) {
    return {.source = std::move(source), .problem = refusal.kind, .message = refusal.message};
  }
}

} // namespace

std::vector<ReadRecord> read_records(std::string_view text, std::string_view source) {
  std::vector<ReadRecord> records;
  JsonSequence sequence(text);
  for (auto json = sequence.next(); json; json = sequence.next()) {
    records.push_back(
        read_one(*json, std::string(source) + ", record " + std::to_string(records.size() + 1)));
  }
  return records;
}

} // namespace record
