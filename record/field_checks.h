#pragma once

#include "record/record_fields.h"
#include "record/record_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The fields of a record held to what they must be, one by one: each check
// returns the field's value, or throws the Refusal that names the field by
// its path and says what belongs there.
namespace record {

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

  std::string text() const;
};

// A value of the record and the path that names it.
struct Field {
  const FieldValue &value;
  Path path;
};

// A field's text, and the most of it the field may have, named for a
// message: "a host name".
struct TextLimit {
  std::size_t bytes;
  const char *holder;
};

// What is wrong with a figure, found without words, so that the elements
// of a long array can be judged as they are read at the cost of a few
// comparisons; the words are made by the functions below them, only for the
// one a message names.
enum class Fault { none, not_a_number, negative, too_small, too_large };

// A value as a message names it: the value itself for a number, true, false
// or null, its type otherwise, since text can be long.
std::string what_it_is(const FieldValue &value);

Refusal not_a_record(const Field &field, const std::string &what);

Refusal mismatch(const Field &field, const std::string &what_belongs);

void require_object(const Field &field);

void require_array(const Field &field);

Field optional_member(const Field &parent, const FieldValue &value, std::string_view key);

Field member(const Field &parent, const FieldValue &value, std::string_view key);

// The field's text with its escapes undone, in `undone` where it has any.
std::string_view field_text(const Field &field, TextLimit limit, std::string &undone);

// Text the record gives as null where the system did not say.
std::string_view text_or_empty(const Field &field, TextLimit limit, std::string &undone);

bool field_boolean(const Field &field);

std::int64_t field_integer(const Field &field, std::int64_t low, std::int64_t high);

unsigned positive_unsigned(const Field &field);

// A figure: not a number where the record gives null.
Fault figure_fault(const FieldValue &value, NumberValue &number);

// A figure, or not a number where the record gives none or something else.
double figure_or_none(const FieldValue &value);

// A rate in megaWhets/second, or not a number where the record gives null.
// A pass with no work (an inner or outer count of 0) has a rate of 0: a run
// the program made, though not one to compare. A rate written as a figure
// above 0 is one only from the least believable.
Fault rate_fault(const FieldValue &value, double &rate);

// A share of the processor: at least 0, and above 1 where the clocks' steps
// make it so; not a number where the record gives null.
Fault share_fault(const FieldValue &value, double &share);

double field_rate(const Field &field);

double field_share(const Field &field);

void note_share(double share, double &lowest);

} // namespace record
