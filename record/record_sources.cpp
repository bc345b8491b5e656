#include "record/record_sources.h"

#include "platform/files.h"
#include "text/formatted.h"
#include "text/printable.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

namespace record {
namespace {

namespace fs = std::filesystem;

const std::string too_large = "is larger than the 64 MiB a file of records may have";

// Room for one file's text at a time, kept from file to file, so that a
// run of large files costs the memory of the largest once, rather than
// fresh pages, and a copy into them, for each.
class TextRoom {
public:
  // All a stream holds, up to just past the largest file of records;
  // nothing, with the reason, when it cannot be read or holds more. The
  // text is read straight into its place; a regular file's size, known
  // beforehand, is room enough at once.
  std::optional<std::string_view> read_whole(std::FILE *stream, std::uintmax_t expected_size,
                                             std::string &problem) {
    std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uintmax_t>(expected_size, largest_record_file)) + 1;
    std::size_t got = 0;
    for (;;) {
      reserve(std::max<std::size_t>(wanted, 1 << 16), got);
      got += std::fread(room_.get() + got, 1, size_ - got, stream);
      if (got > largest_record_file) {
        problem = too_large;
        return std::nullopt;
      }
      if (got < size_) {
        break;
      }
      wanted = std::min<std::size_t>(size_ * 2, largest_record_file + 1);
    }
    if (std::ferror(stream)) {
      problem = std::string("cannot be read: ") + std::strerror(errno);
      return std::nullopt;
    }
    return std::string_view(room_.get(), got);
  }

private:
  // At least `size` bytes of room, keeping the first `kept`.
  void reserve(std::size_t size, std::size_t kept) {
    if (size <= size_) {
      return;
    }
    auto room = std::make_unique_for_overwrite<char[]>(size);
    std::copy_n(room_.get(), kept, room.get());
    room_ = std::move(room);
    size_ = size;
  }

  std::unique_ptr<char[]> room_{};
  std::size_t size_ = 0;
};

// Why a directory's entry is left out, as a note says it.
std::string left_out_because(fs::file_type type) {
  const char *what = "";
  switch (type) {
  case fs::file_type::fifo:
    what = "a FIFO, ";
    break;
  case fs::file_type::socket:
    what = "a socket, ";
    break;
  case fs::file_type::block:
    what = "a block device, ";
    break;
  case fs::file_type::character:
    what = "a character device, ";
    break;
  case fs::file_type::not_found:
    what = "a link to nothing, ";
    break;
  default:
    break;
  }
  return std::string("is ") + what + "not a regular file, so it is left out unread";
}

class SourceReading {
public:
  explicit SourceReading(const TextHandler &handler) : handler_(handler) {}

  void read_argument(const std::string &argument) {
    ++argument_number_;
    if (argument == "-") {
      const Text name = unique_name("standard input");
      std::string problem;
      if (const auto text = room_.read_whole(stdin, 0, problem)) {
        read_text(*text, name);
      } else {
        note(name, ProblemKind::unreadable, problem);
      }
      return;
    }
    std::error_code error;
    const fs::file_status status = fs::status(argument, error);
    if (status.type() == fs::file_type::not_found) {
      note(unique_name(text::printable(argument)), ProblemKind::unreadable, "does not exist");
    } else if (error) {
      note(unique_name(text::printable(argument)), ProblemKind::unreadable,
           "cannot be read: " + error.message());
    } else if (fs::is_directory(status)) {
      read_directory(argument);
    } else {
      read_file(argument, unique_name(text::printable(argument)), false);
    }
  }

private:
  // The name a file is given, told apart from one given before.
  Text unique_name(const std::string &name) {
    if (names_.insert(name).second) {
      return Text(name);
    }
    return Text(name + " (argument " + std::to_string(argument_number_) + ")");
  }

  void note(Text file, ProblemKind kind, const std::string &message) {
    handler_({.source = {.file = file}, .problem = kind, .message = message});
  }

  void read_text(std::string_view text, Text name) {
    if (text.empty()) {
      note(name, ProblemKind::unreadable, "is empty");
    } else if (read_records(text, name, handler_) == 0) {
      note(name, ProblemKind::unreadable, "holds nothing but white space");
    }
  }

  void read_file(const fs::path &path, Text name, bool regular_only) {
    const platform::OpenedFile file = platform::open_for_reading(path.string(), regular_only);
    if (file.stream == nullptr) {
      if (!file.failure.empty()) {
        note(name, ProblemKind::unreadable, "cannot be read: " + file.failure);
      } else {
        note(name, ProblemKind::left_out, left_out_because(fs::file_type::unknown));
      }
      return;
    }
    // A pipe or a device has no size to judge by: its text is refused once
    // too much of it has come.
    if (file.regular && file.size > largest_record_file) {
      std::fclose(file.stream);
      note(name, ProblemKind::unreadable, too_large + " (" + std::to_string(file.size) + " bytes)");
      return;
    }
    std::string problem;
    const auto text = room_.read_whole(file.stream, file.size, problem);
    std::fclose(file.stream);
    if (!text) {
      note(name, ProblemKind::unreadable, problem);
      return;
    }
    read_text(*text, name);
  }

  void read_directory(const std::string &argument) {
    const fs::path directory = argument;
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      std::error_code type_error;
      if (name.size() > 5 && name.ends_with(".json") && !entry->is_directory(type_error)) {
        names.push_back(name);
      }
    }
    if (error) {
      note(unique_name(text::printable(argument)), ProblemKind::unreadable,
           "cannot be read: " + error.message());
      return;
    }
    if (names.empty()) {
      note(unique_name(text::printable(argument)), ProblemKind::unreadable,
           "holds no *.json file, so no records");
      return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
      const fs::path path = directory / name;
      const Text source = unique_name(text::printable(path.string()));
      // Through a link, what it leads to; a link to nothing is no file.
      std::error_code type_error;
      const fs::file_type type = fs::status(path, type_error).type();
      if (type == fs::file_type::regular) {
        read_file(path, source, true);
      } else if (type_error && type != fs::file_type::not_found) {
        note(source, ProblemKind::unreadable, "cannot be read: " + type_error.message());
      } else {
        note(source, ProblemKind::left_out, left_out_because(type));
      }
    }
  }

  const TextHandler &handler_;
  TextRoom room_{};
  std::set<std::string> names_{};
  std::size_t argument_number_ = 0;
};

} // namespace

void read_sources(const std::vector<std::string> &arguments, const TextHandler &handler) {
  SourceReading reading(handler);
  for (const std::string &argument : arguments) {
    reading.read_argument(argument);
  }
}

std::vector<ReadRecord> read_sources(const std::vector<std::string> &arguments) {
  std::vector<ReadRecord> read;
  read_sources(arguments, [&](const TextRead &each) { read.push_back(kept(each)); });
  return read;
}

} // namespace record
