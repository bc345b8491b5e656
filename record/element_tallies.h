#pragma once

#include "record/record_fields.h"
#include "record/warning_kinds.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>

// The elements of the arrays a record may hold many of, a pass's copies and
// the warnings, each judged as it is read.
namespace record {

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
  WarningKinds kinds{};
  std::optional<FirstFault<WarningFields>> fault{};
};

// Takes the elements of a record's long arrays as the listener ends each,
// judging each as the record's reading would, without words: a file of a
// million records, each with a faulty copy, costs no more than one of
// sound ones.
class ElementTallies final : public ElementJudge {
public:
  void copies_begin(std::size_t pass) override { copies_[pass] = {}; }

  void copy(std::size_t pass, const CopyFields &copy) override;

  void warnings_begin() override { warnings_ = {}; }

  void warning(const WarningFields &warning) override;

  const CopiesTally &copies(std::size_t pass) const { return copies_[pass]; }
  const WarningsTally &warnings() const { return warnings_; }

private:
  CopiesTally copies_[2]{};
  WarningsTally warnings_{};
  std::string undone_{};
};

// Why the copy or the warning a tally found at fault is not one, as the
// message of the record's refusal says (record/field_checks.h).
[[noreturn]] void refuse_copy(std::size_t pass, std::size_t index, const CopyFields &copy);
[[noreturn]] void refuse_warning(std::size_t index, const WarningFields &warning, std::string &undone);

} // namespace record
