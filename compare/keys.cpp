#include "compare/keys.h"

#include <algorithm>
#include <cctype>

namespace compare {
namespace {

bool reads_as_placeholder(std::string_view text) {
  return std::any_of(std::begin(placeholders), std::end(placeholders), [&](std::string_view placeholder) {
    return std::equal(text.begin(), text.end(), placeholder.begin(), placeholder.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
  });
}

bool needs_quotes(std::string_view text) {
  return text.empty() || text.front() == ' ' || text.back() == ' ' ||
         text.find_first_of(",;\"") != std::string_view::npos || reads_as_placeholder(text);
}

// A compiler's name runs into its version, so a space in it is a separator
// too.
std::string shown_compiler(std::string_view compiler) {
  return compiler.find(' ') != std::string_view::npos && !needs_quotes(compiler)
             ? "\"" + std::string(compiler) + "\""
             : shown_field(compiler);
}

std::string processor_value(const record::RecordedRun &run) {
  std::string value =
      run.processor_model.empty() ? "unknown processor" : shown_field(run.processor_model.view());
  if (run.processors > 0) {
    value += ", " + std::to_string(run.processors) + (run.processors == 1 ? " processor" : " processors");
  }
  return value;
}

std::string build_value(const record::RecordedRun &run) {
  return shown_compiler(run.compiler.view()) + " " + shown_field(run.compiler_version.view()) + ", " +
         shown_field(run.flags.view()) + ", " + shown_field(run.architecture.view());
}

std::string copies_value(const record::RecordedRun &run) {
  if (run.copies == 0) {
    return "one process";
  }
  return std::to_string(run.copies) + (run.copies == 1 ? " copy" : " copies");
}

std::optional<record::Text> given(record::Text text) {
  return text.empty() ? std::nullopt : std::optional<record::Text>(text);
}

record::Text number(unsigned count) { return record::Text(std::to_string(count)); }

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

KeyFields key_fields(const record::RecordedRun &run, Key key) {
  switch (key) {
  case Key::label:
    return {run.label};
  case Key::host:
    return {given(run.host_name)};
  case Key::processor:
    return {given(run.processor_model), number(run.processors)};
  case Key::build:
    return {run.compiler, run.compiler_version, run.flags, run.architecture};
  case Key::copies:
    return {number(run.copies)};
  }
  return {};
}

KeyFields fields_of(const record::RecordedRun &run, const std::vector<Key> &keys) {
  KeyFields fields;
  for (const Key key : keys) {
    const KeyFields more = key_fields(run, key);
    fields.insert(fields.end(), more.begin(), more.end());
  }
  return fields;
}

std::string shown_field(std::string_view text) {
  if (!needs_quotes(text)) {
    return std::string(text);
  }
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  }
  return quoted + "\"";
}

std::string key_value(const record::RecordedRun &run, Key key) {
  switch (key) {
  case Key::label:
    return run.label ? shown_field(run.label->view()) : "no label";
  case Key::host:
    return run.host_name.empty() ? "unknown host" : shown_field(run.host_name.view());
  case Key::processor:
    return processor_value(run);
  case Key::build:
    return build_value(run);
  case Key::copies:
    return copies_value(run);
  }
  return {};
}

std::string group_name(const record::RecordedRun &run, const std::vector<Key> &keys) {
  if (keys.empty()) {
    return "all runs";
  }
  std::string name;
  for (const Key key : keys) {
    name += (name.empty() ? "" : ", ") + key_value(run, key);
  }
  return name;
}

KeyFields stratum_fields(const record::RecordedRun &run) {
  return fields_of(run, {Key::processor, Key::build, Key::copies});
}

std::string stratum_of(const record::RecordedRun &run) {
  return processor_value(run) + "; " + build_value(run) + "; " + copies_value(run);
}

std::vector<Key> differing_keys(const std::vector<const record::RecordedRun *> &runs) {
  std::vector<Key> keys;
  for (const Key key : all_keys) {
    const KeyFields first = key_fields(*runs.front(), key);
    if (std::any_of(runs.begin(), runs.end(),
                    [&](const auto *run) { return key_fields(*run, key) != first; })) {
      keys.push_back(key);
    }
  }
  return keys;
}

} // namespace compare
