#pragma once

#include "report/warnings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace record {

// Every kind of warning a record may carry, in the order report::WarningKind
// declares them.
inline constexpr report::WarningKind every_warning_kind[] = {
    report::WarningKind::interference, report::WarningKind::steadiness, report::WarningKind::short_pass,
    report::WarningKind::subnormal, report::WarningKind::sharing};

// The kind a record names, or none where this program knows no such kind
// (a later program's).
std::optional<report::WarningKind> warning_kind_named(std::string_view name);

// Which kinds of warning a record carries, one bit each: a run's warnings
// are many (one per pass and copy), their kinds few, and what a reader asks
// of them is whether a kind is among them.
class WarningKinds {
public:
  constexpr void add(report::WarningKind kind) { bits_ = static_cast<std::uint8_t>(bits_ | bit(kind)); }
  // A kind this program does not know, from a later program: the run still
  // carried a warning, and counts as warned wherever warned runs are
  // counted, though no kind can be named for it.
  constexpr void add_unknown() { bits_ = static_cast<std::uint8_t>(bits_ | unknown_bit); }
  constexpr bool has(report::WarningKind kind) const { return (bits_ & bit(kind)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  // Other work took the processor, or the machine's speed changed under it.
  static constexpr bool disturbing(report::WarningKind kind) {
    return kind == report::WarningKind::interference || kind == report::WarningKind::steadiness;
  }
  constexpr bool disturbed() const {
    return has(report::WarningKind::interference) || has(report::WarningKind::steadiness);
  }
  constexpr bool operator==(const WarningKinds &) const = default;

private:
  static constexpr std::uint8_t unknown_bit = 0x80;
  static constexpr std::uint8_t bit(report::WarningKind kind) {
    return static_cast<std::uint8_t>(1U << static_cast<unsigned>(kind));
  }

  std::uint8_t bits_ = 0;
};

// The kinds' names, as a record gives them, in every_warning_kind's order.
std::vector<std::string> warning_kind_names(WarningKinds kinds);

} // namespace record
