#include "record/warning_kinds.h"

namespace record {

std::optional<report::WarningKind> warning_kind_named(std::string_view name) {
  for (const report::WarningKind kind : every_warning_kind) {
    if (name == report::warning_kind_name(kind)) {
      return kind;
    }
  }
  return std::nullopt;
}

std::vector<std::string> warning_kind_names(WarningKinds kinds) {
  std::vector<std::string> names;
  for (const report::WarningKind kind : every_warning_kind) {
    if (kinds.has(kind)) {
      names.emplace_back(report::warning_kind_name(kind));
    }
  }
  return names;
}

} // namespace record
