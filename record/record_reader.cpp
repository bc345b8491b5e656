#include "record/record_reader.h"

#include "record/json_record.h"
#include "record/json_sequence.h"
#include "record/label.h"
#include "record/record_fields.h"
#include "text/formatted.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace record {
namespace {

// What ends the reading of a record: the first value that makes it no
// record, or the figure that leaves it out of a comparison.
struct Refusal {
  ProblemKind kind;
  std::string message;
};

// The path of a value, made into text only for a message: "$.passes[1].pass".
struct Path {
  const Path *parent = nullptr; // none for the record itself, "$"
  std::string_view key{};       // a member's; empty for an element of an array
  std::size_t index = 0;

  std::string text() const {
    if (parent == nullptr) {
      return "$";
    }
    return parent->text() + (key.empty() ? "[" + std::to_string(index) + "]" : "." + std::string(key));
  }
};

// A value of the record and the path that names it.
struct Field {
  const Kept &value;
  Path path;
};

// A number as a message names it: as a double would print it, or as
// written where a double cannot hold it.
std::string number_text(const Kept &value) {
  const NumberValue number = number_value(value.number());
  switch (number.type) {
  case NumberValue::Type::signed_integer:
    return std::to_string(number.signed_integer);
  case NumberValue::Type::unsigned_integer:
    return std::to_string(number.unsigned_integer);
  case NumberValue::Type::floating:
    break;
  }
  if (number.underflow) {
    return value.text.size() > 40 ? std::string(value.text.substr(0, 36)) + "..." : std::string(value.text);
  }
  return nlohmann::json(number.floating).dump();
}

// A value as a message names it: the value itself for a number, true, false
// or null, its type otherwise, since text can be long.
std::string what_it_is(const Kept &value) {
  switch (value.type) {
  case Kept::Type::string:
    return "a string";
  case Kept::Type::array:
    return "an array";
  case Kept::Type::object:
    return "an object";
  case Kept::Type::boolean:
    return value.flag ? "true" : "false";
  case Kept::Type::number:
    return number_text(value);
  default:
    return "null";
  }
}

Refusal not_a_record(const Field &field, const std::string &what) {
  return {ProblemKind::not_a_record, field.path.text() + ": " + what};
}

Refusal mismatch(const Field &field, const std::string &what_belongs) {
  return not_a_record(field, what_it_is(field.value) + " where " + what_belongs + " belongs");
}

void object(const Field &field) {
  if (field.value.type != Kept::Type::object) {
    throw mismatch(field, "an object");
  }
}

void array(const Field &field) {
  if (field.value.type != Kept::Type::array) {
    throw mismatch(field, "an array");
  }
}

Field optional_member(const Field &parent, const Kept &value, std::string_view key) {
  object(parent);
  return {value, Path{&parent.path, key}};
}

Field member(const Field &parent, const Kept &value, std::string_view key) {
  Field found = optional_member(parent, value, key);
  if (value.type == Kept::Type::absent) {
    throw Refusal{ProblemKind::not_a_record, found.path.text() + ": missing"};
  }
  return found;
}

// A field's text, and the most of it the field may have, named for a
// message: "a host name".
struct TextLimit {
  std::size_t bytes;
  const char *holder;
};

// The field's text with its escapes undone, in `undone` where it has any.
std::string_view text(const Field &field, TextLimit limit, std::string &undone) {
  if (field.value.type != Kept::Type::string) {
    throw mismatch(field, "a string");
  }
  const JsonString string = field.value.string();
  const std::size_t length = string.escaped ? unescaped(string, undone, limit.bytes) : string.raw.size();
  if (length > limit.bytes) {
    throw not_a_record(field, std::to_string(length) + " bytes long, more than the " +
                                  std::to_string(limit.bytes) + " bytes " + limit.holder + " may have");
  }
  return string.escaped ? std::string_view(undone) : string.raw;
}

// Text the record gives as null where the system did not say.
std::string_view text_or_empty(const Field &field, TextLimit limit, std::string &undone) {
  return field.value.type == Kept::Type::null ? std::string_view() : text(field, limit, undone);
}

bool boolean(const Field &field) {
  if (field.value.type != Kept::Type::boolean) {
    throw mismatch(field, "true or false");
  }
  return field.value.flag;
}

std::int64_t integer(const Field &field, std::int64_t low, std::int64_t high) {
  const std::string range = "an integer from " + std::to_string(low) + " to " + std::to_string(high);
  if (field.value.type != Kept::Type::number) {
    throw mismatch(field, range);
  }
  const NumberValue number = number_value(field.value.number());
  if (number.type == NumberValue::Type::unsigned_integer) {
    if (number.unsigned_integer > static_cast<std::uint64_t>(high) ||
        static_cast<std::int64_t>(number.unsigned_integer) < low) {
      throw mismatch(field, range);
    }
    return static_cast<std::int64_t>(number.unsigned_integer);
  }
  if (number.type != NumberValue::Type::signed_integer || number.signed_integer < low ||
      number.signed_integer > high) {
    throw mismatch(field, range);
  }
  return number.signed_integer;
}

unsigned positive_unsigned(const Field &field) {
  return static_cast<unsigned>(integer(field, 1, std::numeric_limits<unsigned>::max()));
}

// What is wrong with a figure, found without words, so that the elements
// of a long array can be judged as they are read at the cost of a few
// comparisons; the words are made by the functions below them, only for the
// one a message names.
enum class Fault { none, not_a_number, negative, too_small, too_large };

// A figure: not a number where the record gives null.
Fault figure_fault(const Kept &value, NumberValue &number) {
  if (value.type == Kept::Type::null) {
    number = {.floating = std::numeric_limits<double>::quiet_NaN()};
    return Fault::none;
  }
  if (value.type != Kept::Type::number) {
    return Fault::not_a_number;
  }
  number = number_value(value.number());
  if (number.type == NumberValue::Type::signed_integer) {
    number.floating = static_cast<double>(number.signed_integer);
  } else if (number.type == NumberValue::Type::unsigned_integer) {
    number.floating = static_cast<double>(number.unsigned_integer);
  }
  return Fault::none;
}

// A rate in megaWhets/second, or not a number where the record gives null.
// A pass with no work (an inner or outer count of 0) has a rate of 0: a run
// the program made, though not one to compare. A rate written as a figure
// above 0 is one only from the least believable.
Fault rate_fault(const Kept &value, double &rate) {
  NumberValue number;
  if (const Fault fault = figure_fault(value, number); fault != Fault::none) {
    return fault;
  }
  rate = number.floating;
  if (std::isnan(rate)) {
    return Fault::none;
  }
  if (rate < 0.0) {
    return Fault::negative;
  }
  if (number.underflow || (rate > 0.0 && rate < least_believable_rate)) {
    return Fault::too_small;
  }
  return rate > most_believable_rate ? Fault::too_large : Fault::none;
}

// A share of the processor: at least 0, and above 1 where the clocks' steps
// make it so; not a number where the record gives null.
Fault share_fault(const Kept &value, double &share) {
  NumberValue number;
  if (const Fault fault = figure_fault(value, number); fault != Fault::none) {
    return fault;
  }
  share = number.floating;
  return share < 0.0 ? Fault::negative : Fault::none;
}

double rate(const Field &field) {
  double value = 0.0;
  switch (rate_fault(field.value, value)) {
  case Fault::none:
    break;
  case Fault::not_a_number:
    throw mismatch(field, "a number");
  case Fault::negative:
    throw mismatch(field, "a rate of at least 0");
  case Fault::too_small:
    throw mismatch(field, text::formatted("a rate of 0 or of at least %g", least_believable_rate));
  case Fault::too_large:
    throw mismatch(field, text::formatted("a rate of at most %g", most_believable_rate));
  }
  return value;
}

double processor_share(const Field &field) {
  double value = 0.0;
  switch (share_fault(field.value, value)) {
  case Fault::none:
    break;
  case Fault::not_a_number:
    throw mismatch(field, "a number");
  default:
    throw mismatch(field, "a share of at least 0");
  }
  return value;
}

void note_share(double share, double &lowest) {
  if (!std::isnan(share) && !(share >= lowest)) {
    lowest = share;
  }
}

// The paths of a pass and its copies.
struct PassPaths {
  Path record{};
  Path passes{&record, "passes"};
  Path pass;
  Path copies{&pass, "copies"};

  explicit PassPaths(std::size_t number) : pass{&passes, {}, number} {}
  PassPaths(const PassPaths &) = delete;
  PassPaths &operator=(const PassPaths &) = delete;
};

// A copy's processor share and fastest group; nothing where it is not a
// copy a record holds.
struct CopyFigures {
  double share;
  double fastest;
};

std::optional<CopyFigures> copy_figures(const CopyFields &copy) {
  CopyFigures figures{};
  if (copy.self.type != Kept::Type::object || copy.processor_share.type == Kept::Type::absent ||
      share_fault(copy.processor_share, figures.share) != Fault::none ||
      copy.groups.type != Kept::Type::object || copy.fastest.type == Kept::Type::absent ||
      rate_fault(copy.fastest, figures.fastest) != Fault::none) {
    return std::nullopt;
  }
  return figures;
}

// Why a copy that copy_figures refuses is not one, as its message says.
[[noreturn]] void refuse_copy(std::size_t pass, std::size_t index, const CopyFields &copy) {
  const PassPaths paths(pass);
  const Field element{copy.self, Path{&paths.copies, {}, index}};
  processor_share(member(element, copy.processor_share, "processor_share"));
  const Field groups = member(element, copy.groups, "groups");
  rate(member(groups, copy.fastest, "fastest_megawhets_per_second"));
  throw not_a_record(element, "not a copy"); // copy_figures refuses nothing the lines above pass
}

const TextLimit warning_kind_limit{longest_warning_kind, "a warning's kind"};

bool is_warning(const WarningFields &warning, std::string &undone) {
  if (warning.self.type != Kept::Type::object || warning.kind.type != Kept::Type::string) {
    return false;
  }
  const JsonString kind = warning.kind.string();
  return (kind.escaped ? unescaped(kind, undone, warning_kind_limit.bytes) : kind.raw.size()) <=
         warning_kind_limit.bytes;
}

// A warning, as is_warning takes it, that says the run was disturbed.
bool disturbs(const WarningFields &warning, std::string &undone) {
  const JsonString kind = warning.kind.string();
  if (kind.escaped) {
    unescaped(kind, undone, warning_kind_limit.bytes);
  }
  const std::string_view text = kind.escaped ? std::string_view(undone) : kind.raw;
  return text == "interference" || text == "steadiness";
}

// Why a warning that is_warning refuses is not one, as its message says.
[[noreturn]] void refuse_warning(std::size_t index, const WarningFields &warning, std::string &undone) {
  const Path record;
  const Path warnings{&record, "warnings"};
  const Field element{warning.self, Path{&warnings, {}, index}};
  text(member(element, warning.kind, "kind"), warning_kind_limit, undone);
  throw not_a_record(element, "not a warning"); // is_warning refuses nothing the line above passes
}

// The first element of an array that is not what it should be, and where
// it stands; its fields are views into the text being read.
template <class Fields> struct FirstFault {
  std::size_t index;
  Fields fields;
};

// The copies of a pass, taken one by one as they are read: how many, what
// they add up to, and the first that is no copy a record holds.
struct CopiesTally {
  std::size_t count = 0;
  double fastest_sum = 0.0;
  double lowest_share = std::numeric_limits<double>::quiet_NaN();
  std::optional<std::size_t> first_null{}; // the first copy whose fastest group is null
  std::optional<FirstFault<CopyFields>> fault{};
};

struct WarningsTally {
  std::size_t count = 0;
  std::size_t disturbances = 0; // interference and steadiness warnings
  std::optional<FirstFault<WarningFields>> fault{};
};

// Takes the elements of a record's long arrays as the listener ends each,
// judging each as the record's reading would, without words: a file of a
// million records, each with a faulty copy, costs no more than one of
// sound ones.
class Tallies final : public ElementJudge {
public:
  void copies_begin(std::size_t pass) override { copies_[pass] = {}; }

  void copy(std::size_t pass, const CopyFields &copy) override {
    CopiesTally &tally = copies_[pass];
    const std::size_t index = tally.count++;
    if (tally.fault) {
      return;
    }
    const auto figures = copy_figures(copy);
    if (!figures) {
      tally.fault = {index, copy};
      return;
    }
    note_share(figures->share, tally.lowest_share);
    tally.fastest_sum += figures->fastest;
    if (std::isnan(figures->fastest) && !tally.first_null) {
      tally.first_null = index;
    }
  }

  void warnings_begin() override { warnings_ = {}; }

  void warning(const WarningFields &warning) override {
    const std::size_t index = warnings_.count++;
    if (!warnings_.fault && !is_warning(warning, undone_)) {
      warnings_.fault = {index, warning};
    }
    if (!warnings_.fault && disturbs(warning, undone_)) {
      ++warnings_.disturbances;
    }
  }

  const CopiesTally &copies(std::size_t pass) const { return copies_[pass]; }
  const WarningsTally &warnings() const { return warnings_; }

private:
  CopiesTally copies_[2]{};
  WarningsTally warnings_{};
  std::string undone_{};
};

// The text of a run, as the record gives it, until the run proves to be one
// and its text is kept.
struct RunText {
  std::string_view program_version, label, host_name, processor_model, compiler, compiler_version, flags,
      architecture, started_at;
  bool labelled = false;
};

// Room for each field's text with its escapes undone.
struct Undone {
  std::string program_version, label, host_name, processor_model, compiler, compiler_version, flags,
      flags_with_drag, architecture, started_at, name;
};

class RecordReading {
public:
  RecordReading(const RecordFields &fields, const Tallies &tallies, Undone &undone)
      : f_(fields), tallies_(tallies), undone_(undone), record_{fields.root, Path{}} {}

  RecordedRun run() {
    check_origin();
    RecordedRun run;
    RunText text;
    read_program_and_build(text);
    read_machine(run, text);
    text.started_at = record::text(member(record_, f_.started_at, "started_at"),
                                   {longest_start_time, "a start time"}, undone_.started_at);
    const Field copies = member(record_, f_.copies, "copies");
    run.copies = copies.value.type == Kept::Type::null
                     ? 0U
                     : positive_unsigned(member(copies, f_.copies_count, "count"));
    run.self_check_passed =
        boolean(member(member(record_, f_.self_check, "self_check"), f_.self_check_passed, "passed"));
    read_passes(run);
    const Field warnings = member(record_, f_.warnings, "warnings");
    array(warnings);
    if (const auto &fault = tallies_.warnings().fault) {
      refuse_warning(fault->index, fault->fields, undone_.name);
    }
    run.warnings = static_cast<std::uint32_t>(
        std::min<std::size_t>(tallies_.warnings().count, std::numeric_limits<std::uint32_t>::max()));
    run.disturbances = static_cast<std::uint32_t>(
        std::min<std::size_t>(tallies_.warnings().disturbances, std::numeric_limits<std::uint32_t>::max()));
    run.exit_status =
        static_cast<int>(integer(member(record_, f_.exit_status, "exit_status"),
                                 std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    if (unfit_) {
      throw *unfit_;
    }
    keep(text, run);
    return run;
  }

private:
  // Another version, or another program, may mean anything by the rest.
  void check_origin() {
    object(record_);
    const Field version = member(record_, f_.schema_version, "schema_version");
    const bool integer = version.value.type == Kept::Type::number && version.value.flag;
    if (!integer || version.value.text != std::to_string(schema_version)) {
      throw not_a_record(version, what_it_is(version.value) +
                                      ", but this megawhets reads records of version " +
                                      std::to_string(schema_version));
    }
    const Field program = member(record_, f_.program, "program");
    const Field name = member(program, f_.program_name, "name");
    if (name.value.type != Kept::Type::string) {
      throw mismatch(name, "a string");
    }
    // Enough of a long name to show the first 40 characters of it.
    const std::size_t length = unescaped(name.value.string(), undone_.name, 64);
    if (length != undone_.name.size() || undone_.name != "megawhets") {
      const std::string shown =
          nlohmann::json(undone_.name).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
      throw not_a_record(name, shown.substr(0, 40) + ", not megawhets");
    }
  }

  void read_program_and_build(RunText &text) {
    text.program_version =
        record::text(member(member(record_, f_.program, "program"), f_.program_version, "version"),
                     {longest_program_version, "a program version"}, undone_.program_version);
    if (const Field label = optional_member(record_, f_.label, "label");
        label.value.type != Kept::Type::absent && label.value.type != Kept::Type::null) {
      if (label.value.type != Kept::Type::string) {
        throw mismatch(label, "a string");
      }
      // A long label is refused by its length, without keeping it whole.
      const std::size_t length = unescaped(label.value.string(), undone_.label, longest_label);
      std::string problem = label_length_problem(length);
      if (problem.empty()) {
        text.label = label.value.flag ? std::string_view(undone_.label) : label.value.text;
        problem = label_problem(text.label);
      }
      if (!problem.empty()) {
        throw not_a_record(label, "the label " + problem);
      }
      text.labelled = true;
    }
    const Field build = member(record_, f_.build, "build");
    const TextLimit build_text{longest_build_text, "a compiler's name"};
    text.compiler = record::text(member(build, f_.compiler, "compiler"), build_text, undone_.compiler);
    text.compiler_version =
        record::text(member(build, f_.compiler_version, "compiler_version"),
                     {longest_build_text, "a compiler's version"}, undone_.compiler_version);
    text.flags =
        record::text(member(build, f_.flags, "flags"), {longest_flags, "the build's flags"}, undone_.flags);
    // A test build's drag is shown wherever its flags are, and sets it
    // apart from the build without one.
    if (const Field drag = optional_member(build, f_.drag_percent, "drag_percent");
        drag.value.type != Kept::Type::absent) {
      undone_.flags_with_drag =
          std::string(text.flags) + ", drag " + std::to_string(integer(drag, 1, 100)) + " %";
      text.flags = undone_.flags_with_drag;
    }
    text.architecture = record::text(member(build, f_.architecture, "architecture"),
                                     {longest_build_text, "an architecture"}, undone_.architecture);
  }

  void read_machine(RecordedRun &run, RunText &text) {
    const Field machine = member(record_, f_.machine, "machine");
    if (const Field host_name = optional_member(machine, f_.host_name, "host_name");
        host_name.value.type != Kept::Type::absent) {
      text.host_name = text_or_empty(host_name, {longest_host_name, "a host name"}, undone_.host_name);
    }
    text.processor_model =
        text_or_empty(member(machine, f_.processor_model, "processor_model"),
                      {longest_processor_model, "a processor's model"}, undone_.processor_model);
    const Field processors = member(machine, f_.processors, "processors");
    run.processors = processors.value.type == Kept::Type::null ? 0U : positive_unsigned(processors);
  }

  void read_passes(RecordedRun &run) {
    const Field passes = member(record_, f_.passes, "passes");
    array(passes);
    const std::size_t count = f_.pass_count;
    if (count == 0 && !run.self_check_passed) {
      throw Refusal{ProblemKind::not_comparable,
                    passes.path.text() + ": none, as the self-check failed before them"};
    }
    if (count != 2) {
      throw not_a_record(passes,
                         std::to_string(count) + (count == 1 ? " pass" : " passes") + " where 2 belong");
    }
    for (std::size_t i = 0; i < count; ++i) {
      read_pass(run, {f_.pass[i].self, Path{&passes.path, {}, i}}, i);
    }
  }

  void read_pass(RecordedRun &run, const Field &pass, std::size_t index) {
    const PassFields &fields = f_.pass[index];
    const int number = static_cast<int>(index + 1);
    const Field number_field = member(pass, fields.pass, "pass");
    if (integer(number_field, 1, 2) != number) {
      throw mismatch(number_field, std::to_string(number));
    }
    const Field rate_field = member(pass, fields.megawhets_per_second, "megawhets_per_second");
    const double pass_rate = rate(rate_field);
    note_share(processor_share(member(pass, fields.processor_share, "processor_share")),
               run.lowest_processor_share);
    const Field groups = member(pass, fields.groups, "groups");
    const Field fastest = member(groups, fields.fastest, "fastest_megawhets_per_second");
    const double fastest_rate = rate(fastest);
    const Field copies = member(pass, fields.copies, "copies");
    array(copies);
    const CopiesTally &tally = tallies_.copies(index);
    if (tally.count != run.copies) {
      throw not_a_record(copies, std::to_string(tally.count) + (tally.count == 1 ? " copy" : " copies") +
                                     " where " + (run.copies == 0 ? "none" : std::to_string(run.copies)) +
                                     " belong");
    }
    if (tally.fault) {
      refuse_copy(index, tally.fault->index, tally.fault->fields);
    }
    note_share(tally.lowest_share, run.lowest_processor_share);
    if (number != 2) {
      return;
    }
    run.rate = pass_rate;
    if (std::isnan(pass_rate)) {
      unfit(rate_field, "null, as a pass too short for the clock leaves it");
    } else if (pass_rate == 0.0) {
      unfit(rate_field, "0, as a pass with no work (an inner or outer count of 0) leaves it");
    }
    run.steady = run.copies == 0 ? fastest_rate : tally.fastest_sum;
    const auto steady_path = [&] {
      if (run.copies == 0) {
        return fastest.path.text();
      }
      if (tally.first_null) {
        return copies.path.text() + "[" + std::to_string(*tally.first_null) +
               "].groups.fastest_megawhets_per_second";
      }
      return copies.path.text();
    };
    if (std::isnan(run.steady)) {
      unfit(steady_path(), "null, as a pass without a full group of outer iterations leaves it");
    } else if (run.steady == 0.0) {
      unfit(steady_path(), "0, as a pass with no work (an inner or outer count of 0) leaves it");
    } else if (run.steady > most_believable_rate) {
      throw not_a_record(
          copies, text::formatted("fastest groups that add up to %g where a rate of at most %g belongs",
                                  run.steady, most_believable_rate));
    }
  }

  // The first figure a comparison cannot use; the record is read on, since
  // a reason that it is no record at all would count for more.
  void unfit(const Field &field, const std::string &why) { unfit(field.path.text(), why); }
  void unfit(const std::string &path, const std::string &why) {
    if (!unfit_) {
      unfit_ = Refusal{ProblemKind::not_comparable, path + ": " + why};
    }
  }

  // The record is a run: its text is kept, once for every run that has it.
  static void keep(const RunText &text, RecordedRun &run) {
    run.program_version = Text(text.program_version);
    if (text.labelled) {
      run.label = Text(text.label);
    }
    run.host_name = Text(text.host_name);
    run.processor_model = Text(text.processor_model);
    run.compiler = Text(text.compiler);
    run.compiler_version = Text(text.compiler_version);
    run.flags = Text(text.flags);
    run.architecture = Text(text.architecture);
    run.started_at = StartTime(text.started_at);
  }

  const RecordFields &f_;
  const Tallies &tallies_;
  Undone &undone_;
  Field record_;
  std::optional<Refusal> unfit_{};
};

bool lacks_what_every_record_has(const RecordFields &f) {
  const Kept *const every[] = {&f.schema_version, &f.program,    &f.build,  &f.machine,  &f.started_at,
                               &f.copies,         &f.self_check, &f.passes, &f.warnings, &f.exit_status};
  return f.root.type != Kept::Type::object ||
         std::any_of(std::begin(every), std::end(every),
                     [](const Kept *kept) { return kept->type == Kept::Type::absent; });
}

// Reads one file's text, text by text.
class FileReading {
public:
  FileReading(std::string_view text, Text file, const TextHandler &handler)
      : text_(text), file_(file), handler_(handler), sequence_(text) {}

  std::size_t read() {
    std::size_t texts = 0;
    for (;;) {
      listener_.clear();
      const bool describe = named_ < problems_named_per_file;
      auto next = sequence_.next(listener_, describe);
      if (!next) {
        break;
      }
      ++texts;
      if (next->json) {
        read_value(*next, describe);
      } else if (describe) {
        ++named_;
        hand_on({.file = file_, .line = static_cast<std::uint32_t>(next->line)}, *next, nullptr,
                ProblemKind::not_a_record, next->problem);
      } else {
        ++unnamed_not_records_;
      }
    }
    note_unnamed(unnamed_not_records_, ProblemKind::not_a_record, "texts that are not records");
    note_unnamed(unnamed_not_comparable_, ProblemKind::not_comparable, "records that cannot be compared");
    return texts;
  }

private:
  void read_value(const SequenceText &read, bool describe) {
    const Source source{.file = file_, .record = static_cast<std::uint32_t>(++records_)};
    // A text that will not be named, and lacks what every record has, is
    // counted at once: finding the first of its faults would cost more
    // than reading it, and a file of a million `{}` would cost millions of
    // such searches. Any text the search is run on holds every key of a
    // record, and so is long enough to pay for it.
    if (!describe && lacks_what_every_record_has(listener_.fields())) {
      ++unnamed_not_records_;
      return;
    }
    try {
      const RecordedRun run = RecordReading(listener_.fields(), tallies_, undone_).run();
      hand_on(source, read, &run, ProblemKind::none, {});
    } catch (const Refusal &refusal) {
      if (describe) {
        ++named_;
        hand_on(source, read, nullptr, refusal.kind, refusal.message);
      } else {
        ++(refusal.kind == ProblemKind::not_comparable ? unnamed_not_comparable_ : unnamed_not_records_);
      }
    }
  }

  void hand_on(const Source &source, const SequenceText &read, const RecordedRun *run, ProblemKind problem,
               std::string_view message) {
    handler_({.source = source,
              .text = text_.substr(read.start, read.end - read.start),
              .run = run,
              .problem = problem,
              .message = message});
  }

  void note_unnamed(std::size_t count, ProblemKind kind, const char *what) {
    if (count > 0) {
      const std::string message = text::with_thousands(count) + " more " + what;
      handler_({.source = {.file = file_}, .problem = kind, .message = message});
    }
  }

  std::string_view text_;
  Text file_;
  const TextHandler &handler_;
  JsonSequence sequence_;
  Tallies tallies_{};
  RecordFieldsListener listener_{tallies_};
  Undone undone_{};
  std::size_t records_ = 0;
  std::size_t named_ = 0;
  std::size_t unnamed_not_records_ = 0;
  std::size_t unnamed_not_comparable_ = 0;
};

} // namespace

std::string source_name(const Source &source) {
  std::string name(source.file.view());
  if (source.record != 0) {
    return name + ", record " + std::to_string(source.record);
  }
  if (source.line != 0) {
    return name + ", line " + std::to_string(source.line);
  }
  return name;
}

std::size_t read_records(std::string_view text, Text file, const TextHandler &handler) {
  if (text.size() > largest_record_file) {
    handler({.source = {.file = file},
             .problem = ProblemKind::unreadable,
             .message = "is larger than the 64 MiB a file of records may have (" +
                        std::to_string(text.size()) + " bytes)"});
    return 1;
  }
  return FileReading(text, file, handler).read();
}

ReadRecord kept(const TextRead &read) {
  return {.source = source_name(read.source),
          .run = read.run != nullptr ? std::optional<RecordedRun>(*read.run) : std::nullopt,
          .problem = read.problem,
          .message = std::string(read.message)};
}

std::vector<ReadRecord> read_records(std::string_view text, std::string_view source) {
  std::vector<ReadRecord> records;
  read_records(text, Text(source), [&](const TextRead &read) { records.push_back(kept(read)); });
  return records;
}

} // namespace record
