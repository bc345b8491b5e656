// A record's fields held one by one to what they must be: the value each
// check gives, and the words of each refusal, which name the field by its
// path and say what belongs there.

#include "record/field_checks.h"
#include "record/warning_kinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

using record::Field;
using record::FieldValue;
using Type = FieldValue::Type;

FieldValue number(std::string_view text) {
  return {.type = Type::number, .flag = text.find_first_of(".eE") == std::string_view::npos, .text = text};
}

const FieldValue a_string{.type = Type::string, .text = "hello"};
const FieldValue null{.type = Type::null};
const FieldValue absent{};

// A check of one field, $.x, and what it gives: the refusal's words, or ""
// where the field passes.
struct CheckCase {
  const char *name;
  std::function<void(const Field &)> check;
  FieldValue value;
  std::string refusal;
};

void PrintTo(const CheckCase &check, std::ostream *out) { *out << check.name; }

class FieldChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(FieldChecks, PassAFieldOrNameItAndSayWhatBelongs) {
  const FieldValue root{.type = Type::object};
  const Field record{root, {}};
  std::string refusal;
  try {
    GetParam().check(record::member(record, GetParam().value, "x"));
  } catch (const record::Refusal &caught) {
    refusal = caught.message;
    EXPECT_EQ(caught.kind, record::ProblemKind::not_a_record);
  }
  EXPECT_EQ(refusal, GetParam().refusal);
}

void one_or_two(const Field &field) { record::field_integer(field, 1, 2); }
void rate(const Field &field) { record::field_rate(field); }
void share(const Field &field) { record::field_share(field); }
void short_text(const Field &field) {
  std::string undone;
  record::field_text(field, {4, "a short field"}, undone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldChecks,
    testing::Values(
        CheckCase{"integer_in_range", one_or_two, number("2"), ""},
        CheckCase{"integer_above", one_or_two, number("3"), "$.x: 3 where an integer from 1 to 2 belongs"},
        CheckCase{"integer_negative", one_or_two, number("-1"),
                  "$.x: -1 where an integer from 1 to 2 belongs"},
        CheckCase{"integer_beyond_64_bits", one_or_two, number("18446744073709551616"),
                  "$.x: 1.8446744073709552e+19 where an integer from 1 to 2 belongs"},
        CheckCase{"integer_with_fraction", one_or_two, number("1.5"),
                  "$.x: 1.5 where an integer from 1 to 2 belongs"},
        CheckCase{"integer_as_text", one_or_two, a_string,
                  "$.x: a string where an integer from 1 to 2 belongs"},
        CheckCase{"missing", one_or_two, absent, "$.x: missing"},
        CheckCase{"rate", rate, number("13000.5"), ""}, CheckCase{"rate_of_no_work", rate, number("0"), ""},
        CheckCase{"rate_null", rate, null, ""},
        CheckCase{"rate_negative", rate, number("-1"), "$.x: -1 where a rate of at least 0 belongs"},
        CheckCase{"rate_too_small", rate, number("1e-7"),
                  "$.x: 1e-07 where a rate of 0 or of at least 1e-06 belongs"},
        CheckCase{"rate_underflow", rate, number("1e-400"),
                  "$.x: 1e-400 where a rate of 0 or of at least 1e-06 belongs"},
        CheckCase{"rate_too_large", rate, number("2e12"),
                  "$.x: 2000000000000.0 where a rate of at most 1e+12 belongs"},
        CheckCase{"rate_as_text", rate, a_string, "$.x: a string where a number belongs"},
        CheckCase{"share_above_one", share, number("1.01"), ""},
        CheckCase{"share_negative", share, number("-0.5"), "$.x: -0.5 where a share of at least 0 belongs"},
        CheckCase{"text", short_text, FieldValue{.type = Type::string, .text = "four"}, ""},
        CheckCase{"text_escaped_within", short_text,
                  FieldValue{.type = Type::string, .flag = true, .text = "\\u0041bc"}, ""},
        CheckCase{"text_too_long", short_text, a_string,
                  "$.x: 5 bytes long, more than the 4 bytes a short field may have"},
        CheckCase{"text_as_boolean", short_text, FieldValue{.type = Type::boolean, .flag = true},
                  "$.x: true where a string belongs"}),
    [](const testing::TestParamInfo<CheckCase> &info) { return std::string(info.param.name); });

TEST(FieldChecks, NameAnElementByItsIndexWithinItsParentsPath) {
  const record::Path record;
  const record::Path passes{&record, "passes"};
  const record::Path second{&passes, {}, 1};
  EXPECT_EQ((record::Path{&second, "pass"}.text()), "$.passes[1].pass");
}

TEST(FieldChecks, GiveAFigureAFieldMayLackAsNotANumber) {
  EXPECT_EQ(record::figure_or_none(number("7.25")), 7.25);
  EXPECT_EQ(record::figure_or_none(number("18446744073709551615")), 18446744073709551615.0);
  EXPECT_EQ(record::figure_or_none(number("-3")), -3.0);
  for (const FieldValue &none : {null, absent, a_string, FieldValue{.type = Type::object}}) {
    EXPECT_TRUE(std::isnan(record::figure_or_none(none)));
  }
}

TEST(WarningKinds, AreNamedAsTheReportNamesThemAndNoOtherWay) {
  for (const report::WarningKind kind : record::every_warning_kind) {
    EXPECT_EQ(record::warning_kind_named(report::warning_kind_name(kind)), kind);
  }
  for (const char *unknown : {"", "Interference", "interference ", "short_pass", "a later kind"}) {
    EXPECT_FALSE(record::warning_kind_named(unknown)) << unknown;
  }
}

TEST(WarningKinds, HoldEachKindApartAndSayWhetherAnyDisturbed) {
  record::WarningKinds kinds;
  EXPECT_TRUE(kinds.empty());
  kinds.add(report::WarningKind::sharing);
  kinds.add(report::WarningKind::short_pass);
  EXPECT_FALSE(kinds.disturbed());
  EXPECT_EQ(record::warning_kind_names(kinds), (std::vector<std::string>{"short", "sharing"}));
  kinds.add(report::WarningKind::steadiness);
  EXPECT_TRUE(kinds.disturbed());
  EXPECT_FALSE(kinds.has(report::WarningKind::interference));
}

} // namespace
