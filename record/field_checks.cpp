#include "record/field_checks.h"

#include "record/record_reader.h"
#include "text/formatted.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace record {
namespace {

// A number as a message names it: as a double would print it, or as
// written where a double cannot hold it.
std::string number_text(const FieldValue &value) {
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

} // namespace

std::string Path::text() const {
  if (parent == nullptr) {
    return "$";
  }
  return parent->text() + (key.empty() ? "[" + std::to_string(index) + "]" : "." + std::string(key));
}

std::string what_it_is(const FieldValue &value) {
  switch (value.type) {
  case FieldValue::Type::string:
    return "a string";
  case FieldValue::Type::array:
    return "an array";
  case FieldValue::Type::object:
    return "an object";
  case FieldValue::Type::boolean:
    return value.flag ? "true" : "false";
  case FieldValue::Type::number:
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

void require_object(const Field &field) {
  if (field.value.type != FieldValue::Type::object) {
    throw mismatch(field, "an object");
  }
}

void require_array(const Field &field) {
  if (field.value.type != FieldValue::Type::array) {
    throw mismatch(field, "an array");
  }
}

Field optional_member(const Field &parent, const FieldValue &value, std::string_view key) {
  require_object(parent);
  return {value, Path{&parent.path, key}};
}

Field member(const Field &parent, const FieldValue &value, std::string_view key) {
  Field found = optional_member(parent, value, key);
  if (value.type == FieldValue::Type::absent) {
    throw Refusal{ProblemKind::not_a_record, found.path.text() + ": missing"};
  }
  return found;
}

std::string_view field_text(const Field &field, TextLimit limit, std::string &undone) {
  if (field.value.type != FieldValue::Type::string) {
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

std::string_view text_or_empty(const Field &field, TextLimit limit, std::string &undone) {
  return field.value.type == FieldValue::Type::null ? std::string_view() : field_text(field, limit, undone);
}

bool field_boolean(const Field &field) {
  if (field.value.type != FieldValue::Type::boolean) {
    throw mismatch(field, "true or false");
  }
  return field.value.flag;
}

std::int64_t field_integer(const Field &field, std::int64_t low, std::int64_t high) {
  const std::string range = "an integer from " + std::to_string(low) + " to " + std::to_string(high);
  if (field.value.type != FieldValue::Type::number) {
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
  return static_cast<unsigned>(field_integer(field, 1, std::numeric_limits<unsigned>::max()));
}

Fault figure_fault(const FieldValue &value, NumberValue &number) {
  if (value.type == FieldValue::Type::null) {
    number = {.floating = std::numeric_limits<double>::quiet_NaN()};
    return Fault::none;
  }
  if (value.type != FieldValue::Type::number) {
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

double figure_or_none(const FieldValue &value) {
  NumberValue number;
  return figure_fault(value, number) == Fault::none ? number.floating
                                                    : std::numeric_limits<double>::quiet_NaN();
}

Fault rate_fault(const FieldValue &value, double &rate) {
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

Fault share_fault(const FieldValue &value, double &share) {
  NumberValue number;
  if (const Fault fault = figure_fault(value, number); fault != Fault::none) {
    return fault;
  }
  share = number.floating;
  return share < 0.0 ? Fault::negative : Fault::none;
}

double field_rate(const Field &field) {
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

double field_share(const Field &field) {
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

} // namespace record
