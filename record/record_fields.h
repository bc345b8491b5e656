#pragma once

#include "record/json_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// What the record's reader keeps of a JSON text as it is parsed: the values
// of the fields a record has, each in a place of its own, and nothing else.
// Keys it does not know, and whole values of the wrong type, cost the time
// to read them and nothing more; a key given twice takes its last value, as
// a general parser would leave it, at no cost of its own.
namespace record {

// A value as the text gave it: its type, and for a number, a string or a
// boolean what the text says. Views into the text being read.
struct FieldValue {
  enum class Type : std::uint8_t { absent, null, boolean, number, string, array, object };
  Type type = Type::absent;
  bool flag = false;       // a boolean's value; whether a number is an integer, or a string holds escapes
  std::string_view text{}; // a number as written; a string between its quotes, escapes and all

  JsonNumber number() const { return {text, flag}; }
  JsonString string() const { return {text, flag}; }
};

// A copy's figures in a pass run in copies.
struct CopyFields {
  FieldValue self{}; // the element itself, an object where it is one
  FieldValue processor_share{};
  FieldValue groups{};
  FieldValue fastest{}; // groups.fastest_megawhets_per_second
};

struct WarningFields {
  FieldValue self{};
  FieldValue kind{};
};

struct PassFields {
  FieldValue self{};
  FieldValue pass{};
  FieldValue megawhets_per_second{};
  FieldValue processor_share{};
  FieldValue groups{};
  FieldValue fastest{}; // groups.fastest_megawhets_per_second
  FieldValue copies{};  // its elements go to the listener's judge one by one
  FieldValue elapsed_seconds{};
  FieldValue processor_rate{};    // processor_megawhets_per_second
  FieldValue processor_fastest{}; // groups.fastest_processor_megawhets_per_second
};

// The fields of a record, by their paths.
struct RecordFields {
  FieldValue root{};
  FieldValue schema_version{};
  FieldValue program{};
  FieldValue program_name{};
  FieldValue program_version{};
  FieldValue label{};
  FieldValue build{};
  FieldValue compiler{};
  FieldValue compiler_version{};
  FieldValue flags{};
  FieldValue drag_percent{}; // only a test build's
  FieldValue architecture{};
  FieldValue machine{};
  FieldValue host_name{};
  FieldValue processor_model{};
  FieldValue processors{};
  FieldValue started_at{};
  FieldValue counts{};
  FieldValue inner{};
  FieldValue outer{};
  FieldValue copies{};
  FieldValue copies_count{};
  FieldValue self_check{};
  FieldValue self_check_passed{};
  FieldValue passes{};
  std::size_t pass_count = 0; // of the elements of passes, of which only the first two are kept
  PassFields pass[2]{};
  FieldValue warnings{}; // its elements go to the listener's judge one by one
  FieldValue exit_status{};
};

// Where the elements of the arrays a record may hold many of go, each as it
// ends, so that a pass of a thousand copies or a record of many warnings
// costs what one element does.
class ElementJudge {
public:
  virtual void copies_begin(std::size_t pass) = 0; // the copies of $.passes[pass] start (again)
  virtual void copy(std::size_t pass, const CopyFields &copy) = 0;
  virtual void warnings_begin() = 0;
  virtual void warning(const WarningFields &warning) = 0;

protected:
  ~ElementJudge() = default;
};

class RecordFieldsListener final : public JsonListener {
public:
  explicit RecordFieldsListener(ElementJudge &judge) : judge_(judge) {}

  // Forgets the last text's fields, before the next is read.
  void clear();
  const RecordFields &fields() const { return fields_; }

  void begin_object() override { begin(FieldValue::Type::object); }
  void key(const JsonString &name) override;
  void end_object() override { end(); }
  void begin_array() override { begin(FieldValue::Type::array); }
  void end_array() override { end(); }
  void null() override { scalar({.type = FieldValue::Type::null}); }
  void boolean(bool value) override { scalar({.type = FieldValue::Type::boolean, .flag = value}); }
  void number(const JsonNumber &number) override {
    scalar({.type = FieldValue::Type::number, .flag = number.integer, .text = number.text});
  }
  void string(const JsonString &string) override {
    scalar({.type = FieldValue::Type::string, .flag = string.escaped, .text = string.raw});
  }

  // The objects and arrays of a record, and those it does not read.
  enum class Context : std::uint8_t {
    skipped,
    root,
    program,
    build,
    machine,
    counts,
    run_copies,
    self_check,
    passes,
    pass,
    pass_groups,
    pass_copies,
    copy,
    copy_groups,
    warnings,
    warning
  };

private:
  struct Frame {
    Context context = Context::skipped;
    std::uint8_t pass = 0;         // which pass, within one
    std::uint8_t element_pass = 0; // within the passes, which the element being read is
    FieldValue *pending = nullptr; // where the value being read goes
    // What an object or an array there is read as.
    Context object_child = Context::skipped;
    Context array_child = Context::skipped;
  };

  FieldValue *element_place(Frame &frame);
  FieldValue *value_place();
  void begin(FieldValue::Type type);
  void scalar(const FieldValue &value);
  void end();
  void enter(Context context, std::uint8_t pass);
  void value_done();

  ElementJudge &judge_;
  RecordFields fields_{};
  CopyFields copy_{};
  WarningFields warning_{};
  Frame frames_[deepest_json_nesting + 1]{};
  std::size_t depth_ = 0;
  bool dirty_ = false; // some field was kept since the last clear
};

} // namespace record
