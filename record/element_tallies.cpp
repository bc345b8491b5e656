#include "record/element_tallies.h"

#include "record/field_checks.h"

#include <cmath>

namespace record {
namespace {

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
  if (copy.self.type != FieldValue::Type::object || copy.processor_share.type == FieldValue::Type::absent ||
      share_fault(copy.processor_share, figures.share) != Fault::none ||
      copy.groups.type != FieldValue::Type::object || copy.fastest.type == FieldValue::Type::absent ||
      rate_fault(copy.fastest, figures.fastest) != Fault::none) {
    return std::nullopt;
  }
  return figures;
}

const TextLimit warning_kind_limit{longest_warning_kind, "a warning's kind"};

bool is_warning(const WarningFields &warning, std::string &undone) {
  if (warning.self.type != FieldValue::Type::object || warning.kind.type != FieldValue::Type::string) {
    return false;
  }
  const JsonString kind = warning.kind.string();
  return (kind.escaped ? unescaped(kind, undone, warning_kind_limit.bytes) : kind.raw.size()) <=
         warning_kind_limit.bytes;
}

// The kind of a warning, as is_warning takes it, where this program knows
// it.
std::optional<report::WarningKind> known_kind(const WarningFields &warning, std::string &undone) {
  const JsonString kind = warning.kind.string();
  if (kind.escaped) {
    unescaped(kind, undone, warning_kind_limit.bytes);
  }
  return warning_kind_named(kind.escaped ? std::string_view(undone) : kind.raw);
}

} // namespace

// Why a copy that copy_figures refuses is not one, as its message says.
[[noreturn]] void refuse_copy(std::size_t pass, std::size_t index, const CopyFields &copy) {
  const PassPaths paths(pass);
  const Field element{copy.self, Path{&paths.copies, {}, index}};
  field_share(member(element, copy.processor_share, "processor_share"));
  const Field groups = member(element, copy.groups, "groups");
  field_rate(member(groups, copy.fastest, "fastest_megawhets_per_second"));
  throw not_a_record(element, "not a copy"); // copy_figures refuses nothing the lines above pass
}

// Why a warning that is_warning refuses is not one, as its message says.
[[noreturn]] void refuse_warning(std::size_t index, const WarningFields &warning, std::string &undone) {
  const Path record;
  const Path warnings{&record, "warnings"};
  const Field element{warning.self, Path{&warnings, {}, index}};
  field_text(member(element, warning.kind, "kind"), warning_kind_limit, undone);
  throw not_a_record(element, "not a warning"); // is_warning refuses nothing the line above passes
}

void ElementTallies::copy(std::size_t pass, const CopyFields &copy) {
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

void ElementTallies::warning(const WarningFields &warning) {
  const std::size_t index = warnings_.count++;
  if (!warnings_.fault && !is_warning(warning, undone_)) {
    warnings_.fault = {index, warning};
  }
  if (warnings_.fault) {
    return;
  }
  if (const auto kind = known_kind(warning, undone_)) {
    warnings_.kinds.add(*kind);
    warnings_.disturbances += WarningKinds::disturbing(*kind) ? 1 : 0;
  } else {
    warnings_.kinds.add_unknown();
  }
}

} // namespace record
