#include "driver/history_records.h"

#include "record/record_sources.h"
#include "report/formatted.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace driver {
namespace {

namespace fs = std::filesystem;

using Take = std::function<void(std::string_view, const record::ReadRecord &)>;

void unreadable(const std::string &source, const std::string &why, const Take &take) {
  take({}, {.source = source, .problem = record::ProblemKind::unreadable, .message = why});
}

std::optional<std::string> whole_stream(std::FILE *stream, std::string &problem) {
  std::string text;
  char buffer[1 << 16];
  std::size_t got = 0;
  do {
    got = std::fread(buffer, 1, sizeof buffer, stream);
    text.append(buffer, got);
    if (text.size() > record::largest_record_file) {
      problem = "is larger than the 64 MiB a file of records may have";
      return std::nullopt;
    }
  } while (got == sizeof buffer);
  if (std::ferror(stream)) {
    problem = std::string("cannot be read: ") + std::strerror(errno);
    return std::nullopt;
  }
  return text;
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Where the object that starts at `start` ends, by its brackets and quotes;
// npos when it does not.
std::size_t object_end(std::string_view text, std::size_t start) {
  std::size_t depth = 0;
  bool in_string = false;
  for (std::size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if ((c == '}' || c == ']') && --depth == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// The next line after `at` that starts with '{', where the reader, too,
// looks for the next record after text that is none; the end without one.
std::size_t next_object_line(std::string_view text, std::size_t at) {
  const std::size_t found = text.find("\n{", at);
  return found == std::string_view::npos ? text.size() : found + 1;
}

} // namespace

// Each object of the text read alone, named as the reader names the records
// of the whole, with its text; what is not an object, or not a whole one,
// is read alone up to the next line that starts with '{', so that the reader
// says what is wrong with it.
void for_each_record_text_in(std::string_view text, const std::string &source, const Take &take) {
  std::size_t number = 0;
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && is_space(text[at])) {
      ++at;
    }
    if (at == text.size()) {
      break;
    }
    std::size_t end = text[at] == '{' ? object_end(text, at) : std::string_view::npos;
    const bool whole_object = end != std::string_view::npos;
    if (!whole_object) {
      end = next_object_line(text, at);
    }
    const std::string_view one = text.substr(at, end - at);
    for (record::ReadRecord &record : record::read_records(one, source)) {
      record.source = source + ", record " + std::to_string(++number);
      if (record.run && !whole_object) {
        // Never so: the reader finds no record in what is no object.
        record.run.reset();
        record.problem = record::ProblemKind::not_a_record;
        record.message = "a record that cannot be told apart from the text around it";
      }
      take(record.run ? std::string(one) + "\n" : std::string(), record);
    }
    at = end;
  }
  if (number == 0) {
    unreadable(source, text.empty() ? "is empty" : "holds nothing but white space", take);
  }
}

namespace {

void take_file(const fs::path &path, const std::string &source, const Take &take) {
  std::error_code error;
  if (fs::is_regular_file(path, error) && fs::file_size(path, error) > record::largest_record_file) {
    unreadable(source, "is larger than the 64 MiB a file of records may have", take);
    return;
  }
  errno = 0;
  std::FILE *stream = std::fopen(path.string().c_str(), "rb");
  if (stream == nullptr) {
    unreadable(source, std::string("cannot be read: ") + std::strerror(errno), take);
    return;
  }
  std::string problem;
  const auto text = whole_stream(stream, problem);
  std::fclose(stream);
  if (!text) {
    unreadable(source, problem, take);
    return;
  }
  for_each_record_text_in(*text, source, take);
}

void take_directory(const fs::path &directory, const std::string &source, const Take &take) {
  std::error_code error;
  std::vector<std::string> names;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code type_error;
    if (name.size() > 5 && name.ends_with(".json") && !entry->is_directory(type_error)) {
      names.push_back(name);
    }
  }
  if (error || names.empty()) {
    unreadable(source, error ? "cannot be read: " + error.message() : "holds no *.json file, so no records", take);
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string &name : names) {
    take_file(directory / name, report::printable((directory / name).string()), take);
  }
}

} // namespace

void for_each_record_text(const std::vector<std::string> &arguments, const Take &take) {
  for (const std::string &argument : arguments) {
    if (argument == "-") {
      std::string problem;
      const auto text = whole_stream(stdin, problem);
      text ? for_each_record_text_in(*text, "standard input", take) : unreadable("standard input", problem, take);
      continue;
    }
    const std::string source = report::printable(argument);
    std::error_code error;
    const fs::file_status status = fs::status(argument, error);
    if (status.type() == fs::file_type::not_found) {
      unreadable(source, "does not exist", take);
    } else if (error) {
      unreadable(source, "cannot be read: " + error.message(), take);
    } else if (fs::is_directory(status)) {
      take_directory(argument, source, take);
    } else {
      take_file(argument, source, take);
    }
  }
}

} // namespace driver
