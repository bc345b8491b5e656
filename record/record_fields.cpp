#include "record/record_fields.h"

#include <string>

namespace record {
namespace {

using Context = RecordFieldsListener::Context;

// A key a record's object has, where its value goes, and what an object or
// an array there is read as.
struct Known {
  std::string_view name;
  FieldValue *place;
  Context object_child = Context::skipped;
  Context array_child = Context::skipped;
};

// No key of a record is longer; a longer one is none of its keys.
constexpr std::size_t longest_known_key = 38;

} // namespace

void RecordFieldsListener::clear() {
  if (dirty_) {
    fields_ = RecordFields{};
    dirty_ = false;
  }
  fields_.root = {};
  depth_ = 0;
}

void RecordFieldsListener::key(const JsonString &name) {
  Frame &frame = frames_[depth_ - 1];
  frame.pending = nullptr;
  frame.object_child = Context::skipped;
  frame.array_child = Context::skipped;
  if (frame.context == Context::skipped) {
    return;
  }
  std::string_view key = name.raw;
  std::string undone;
  if (name.escaped) {
    if (unescaped(name, undone, longest_known_key + 1) > longest_known_key) {
      return;
    }
    key = undone;
  }
  if (key.size() > longest_known_key) {
    return;
  }
  RecordFields &f = fields_;
  PassFields &pass = f.pass[frame.pass];
  const auto find = [&](std::initializer_list<Known> known) {
    for (const Known &each : known) {
      if (each.name.size() == key.size() && each.name.front() == key.front() && each.name == key) {
        frame.pending = each.place;
        frame.object_child = each.object_child;
        frame.array_child = each.array_child;
        return;
      }
    }
  };
  switch (frame.context) {
  case Context::root:
    find({{"schema_version", &f.schema_version},
          {"program", &f.program, Context::program},
          {"label", &f.label},
          {"build", &f.build, Context::build},
          {"machine", &f.machine, Context::machine},
          {"started_at", &f.started_at},
          {"counts", &f.counts, Context::counts},
          {"copies", &f.copies, Context::run_copies},
          {"self_check", &f.self_check, Context::self_check},
          {"passes", &f.passes, Context::skipped, Context::passes},
          {"warnings", &f.warnings, Context::skipped, Context::warnings},
          {"exit_status", &f.exit_status}});
    break;
  case Context::program:
    find({{"name", &f.program_name}, {"version", &f.program_version}});
    break;
  case Context::build:
    find({{"compiler", &f.compiler},
          {"compiler_version", &f.compiler_version},
          {"flags", &f.flags},
          {"drag_percent", &f.drag_percent},
          {"architecture", &f.architecture}});
    break;
  case Context::machine:
    find({{"host_name", &f.host_name},
          {"processor_model", &f.processor_model},
          {"processors", &f.processors}});
    break;
  case Context::counts:
    find({{"inner", &f.inner}, {"outer", &f.outer}});
    break;
  case Context::run_copies:
    find({{"count", &f.copies_count}});
    break;
  case Context::self_check:
    find({{"passed", &f.self_check_passed}});
    break;
  case Context::pass:
    find({{"pass", &pass.pass},
          {"megawhets_per_second", &pass.megawhets_per_second},
          {"processor_share", &pass.processor_share},
          {"elapsed_seconds", &pass.elapsed_seconds},
          {"processor_megawhets_per_second", &pass.processor_rate},
          {"groups", &pass.groups, Context::pass_groups},
          {"copies", &pass.copies, Context::skipped, Context::pass_copies}});
    break;
  case Context::pass_groups:
    find({{"fastest_megawhets_per_second", &pass.fastest},
          {"fastest_processor_megawhets_per_second", &pass.processor_fastest}});
    break;
  case Context::copy:
    find({{"processor_share", &copy_.processor_share}, {"groups", &copy_.groups, Context::copy_groups}});
    break;
  case Context::copy_groups:
    find({{"fastest_megawhets_per_second", &copy_.fastest}});
    break;
  case Context::warning:
    find({{"kind", &warning_.kind}});
    break;
  default:
    break;
  }
}

// Where an element of an array goes: of the passes, the first two; of a
// pass's copies and of the warnings, the one being read, which the judge
// takes when it ends.
FieldValue *RecordFieldsListener::element_place(Frame &frame) {
  switch (frame.context) {
  case Context::passes: {
    const std::size_t index = fields_.pass_count++;
    if (index >= 2) {
      return nullptr;
    }
    fields_.pass[index] = {};
    frame.object_child = Context::pass;
    frame.element_pass = static_cast<std::uint8_t>(index);
    return &fields_.pass[index].self;
  }
  case Context::pass_copies:
    copy_ = {};
    frame.object_child = Context::copy;
    return &copy_.self;
  case Context::warnings:
    warning_ = {};
    frame.object_child = Context::warning;
    return &warning_.self;
  default:
    return nullptr;
  }
}

FieldValue *RecordFieldsListener::value_place() {
  if (depth_ == 0) {
    return &fields_.root;
  }
  Frame &frame = frames_[depth_ - 1];
  switch (frame.context) {
  case Context::passes:
  case Context::pass_copies:
  case Context::warnings:
    return element_place(frame);
  default:
    return frame.pending;
  }
}

void RecordFieldsListener::begin(FieldValue::Type type) {
  FieldValue *const place = value_place();
  Frame child{.pass = depth_ == 0 ? std::uint8_t{0} : frames_[depth_ - 1].pass};
  if (place != nullptr) {
    *place = {.type = type};
    if (depth_ == 0) {
      child.context = type == FieldValue::Type::object ? Context::root : Context::skipped;
    } else {
      const Frame &parent = frames_[depth_ - 1];
      dirty_ = true;
      child.context = type == FieldValue::Type::object ? parent.object_child : parent.array_child;
      if (parent.context == Context::passes) {
        child.pass = parent.element_pass;
      }
    }
  }
  frames_[depth_++] = child;
  enter(child.context, child.pass);
}

// A container read (again) starts empty, so that a key given twice leaves
// only its last value.
void RecordFieldsListener::enter(Context context, std::uint8_t pass) {
  RecordFields &f = fields_;
  switch (context) {
  case Context::program:
    f.program_name = f.program_version = {};
    break;
  case Context::build:
    f.compiler = f.compiler_version = f.flags = f.drag_percent = f.architecture = {};
    break;
  case Context::machine:
    f.host_name = f.processor_model = f.processors = {};
    break;
  case Context::counts:
    f.inner = f.outer = {};
    break;
  case Context::run_copies:
    f.copies_count = {};
    break;
  case Context::self_check:
    f.self_check_passed = {};
    break;
  case Context::passes:
    f.pass_count = 0;
    f.pass[0] = f.pass[1] = {};
    judge_.copies_begin(0);
    judge_.copies_begin(1);
    break;
  case Context::pass:
  case Context::pass_copies:
    judge_.copies_begin(pass);
    break;
  case Context::pass_groups:
    f.pass[pass].fastest = f.pass[pass].processor_fastest = {};
    break;
  case Context::copy_groups:
    copy_.fastest = {};
    break;
  case Context::warnings:
    judge_.warnings_begin();
    break;
  default:
    break;
  }
}

void RecordFieldsListener::scalar(const FieldValue &value) {
  if (FieldValue *const place = value_place()) {
    *place = value;
    dirty_ = depth_ > 0 || dirty_;
  }
  value_done();
}

void RecordFieldsListener::end() {
  --depth_;
  value_done();
}

// After each value: an element of the copies or the warnings goes to the
// judge, and an object's next value needs its key.
void RecordFieldsListener::value_done() {
  if (depth_ == 0) {
    return;
  }
  Frame &frame = frames_[depth_ - 1];
  switch (frame.context) {
  case Context::pass_copies:
    judge_.copy(frame.pass, copy_);
    break;
  case Context::warnings:
    judge_.warning(warning_);
    break;
  default:
    frame.pending = nullptr;
  }
}

} // namespace record
