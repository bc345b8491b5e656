#include "record/record_sources.h"

#include "report/formatted.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace record {
namespace {

namespace fs = std::filesystem;

const std::string too_large = "is larger than the 64 MiB a file of records may have";

ReadRecord unreadable(const std::string &source, const std::string &why) {
  return {.source = source, .problem = ProblemKind::unreadable, .message = why};
}

// All a stream holds, up to just past the largest file of records; nothing,
// with the reason, when it cannot be read or holds more.
std::optional<std::string> whole_stream(std::FILE *stream, std::string &problem) {
  std::string text;
  char buffer[1 << 16];
  std::size_t got = 0;
  do {
    got = std::fread(buffer, 1, sizeof buffer, stream);
    text.append(buffer, got);
    if (text.size() > largest_record_file) {
      problem = too_large;
      return std::nullopt;
    }
  } while (got == sizeof buffer);
  if (std::ferror(stream)) {
    problem = std::string("cannot be read: ") + std::strerror(errno);
    return std::nullopt;
  }
  return text;
}

void add_records_in(std::string_view text, const std::string &source, std::vector<ReadRecord> &read) {
  if (text.empty()) {
    read.push_back(unreadable(source, "is empty"));
    return;
  }
  std::vector<ReadRecord> records = read_records(text, source);
  if (records.empty()) {
    read.push_back(unreadable(source, "holds nothing but white space"));
  }
  std::move(records.begin(), records.end(), std::back_inserter(read));
}

void read_file(const fs::path &path, const std::string &source, std::vector<ReadRecord> &read) {
  std::error_code error;
  // A pipe or a device has no size to judge by: its text is refused once
  // too much of it has come.
  if (fs::is_regular_file(path, error)) {
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > largest_record_file) {
      read.push_back(unreadable(source, too_large + " (" + std::to_string(size) + " bytes)"));
      return;
    }
  }
  errno = 0;
  std::FILE *stream = std::fopen(path.string().c_str(), "rb");
  if (stream == nullptr) {
    read.push_back(unreadable(source, std::string("cannot be read: ") + std::strerror(errno)));
    return;
  }
  std::string problem;
  const auto text = whole_stream(stream, problem);
  std::fclose(stream);
  if (!text) {
    read.push_back(unreadable(source, problem));
    return;
  }
  add_records_in(*text, source, read);
}

void read_directory(const fs::path &directory, const std::string &source, std::vector<ReadRecord> &read) {
  std::error_code error;
  std::vector<std::string> names;
  for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code type_error;
    if (name.size() > 5 && name.ends_with(".json") && !entry->is_directory(type_error)) {
      names.push_back(name);
    }
  }
  if (error) {
    read.push_back(unreadable(source, "cannot be read: " + error.message()));
    return;
  }
  if (names.empty()) {
    read.push_back(unreadable(source, "holds no *.json file, so no records"));
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string &name : names) {
    const fs::path path = directory / name;
    read_file(path, report::printable(path.string()), read);
  }
}

void read_argument(const std::string &argument, std::vector<ReadRecord> &read) {
  if (argument == "-") {
    std::string problem;
    const auto text = whole_stream(stdin, problem);
    if (!text) {
      read.push_back(unreadable("standard input", problem));
    } else {
      add_records_in(*text, "standard input", read);
    }
    return;
  }
  const std::string source = report::printable(argument);
  std::error_code error;
  const fs::file_status status = fs::status(argument, error);
  if (status.type() == fs::file_type::not_found) {
    read.push_back(unreadable(source, "does not exist"));
  } else if (error) {
    read.push_back(unreadable(source, "cannot be read: " + error.message()));
  } else if (fs::is_directory(status)) {
    read_directory(argument, source, read);
  } else {
    read_file(argument, source, read);
  }
}

} // namespace

std::vector<ReadRecord> read_sources(const std::vector<std::string> &arguments) {
  std::vector<ReadRecord> read;
  for (const std::string &argument : arguments) {
    read_argument(argument, read);
  }
  return read;
}

} // namespace record
