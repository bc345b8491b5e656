#include "compare/keys.h"

namespace compare {
namespace {

std::string processor_value(const record::RecordedRun &run) {
  std::string value = run.processor_model.empty() ? "unknown processor" : run.processor_model.str();
  if (run.processors > 0) {
    value += ", " + std::to_string(run.processors) + (run.processors == 1 ? " processor" : " processors");
  }
  return value;
}

std::string build_value(const record::RecordedRun &run) {
  return run.compiler.str() + " " + run.compiler_version.str() + ", " + run.flags.str() + ", " +
         run.architecture.str();
}

std::string copies_value(const record::RecordedRun &run) {
  if (run.copies == 0) {
    return "one process";
  }
  return std::to_string(run.copies) + (run.copies == 1 ? " copy" : " copies");
}

} // namespace

std::string_view key_name(Key key) {
  switch (key) {
  case Key::label:
    return "label";
  case Key::host:
    return "host";
  case Key::processor:
    return "processor";
  case Key::build:
    return "build";
  case Key::copies:
    return "copies";
  }
  return "";
}

std::optional<Key> key_named(std::string_view name) {
  for (const Key key : all_keys) {
    if (key_name(key) == name) {
      return key;
    }
  }
  return std::nullopt;
}

std::string key_value(const record::RecordedRun &run, Key key) {
  switch (key) {
  case Key::label:
    return run.label ? run.label->str() : "no label";
  case Key::host:
    return run.host_name.empty() ? "unknown host" : run.host_name.str();
  case Key::processor:
    return processor_value(run);
  case Key::build:
    return build_value(run);
  case Key::copies:
    return copies_value(run);
  }
  return {};
}

std::string stratum_of(const record::RecordedRun &run) {
  return processor_value(run) + "; " + build_value(run) + "; " + copies_value(run);
}

std::vector<Key> differing_keys(const std::vector<const record::RecordedRun *> &runs) {
  std::vector<Key> keys;
  for (const Key key : all_keys) {
    for (const record::RecordedRun *run : runs) {
      if (key_value(*run, key) != key_value(*runs.front(), key)) {
        keys.push_back(key);
        break;
      }
    }
  }
  return keys;
}

} // namespace compare
