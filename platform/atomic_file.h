#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// A file written whole or not at all: a reader of its name sees either what
// was there before or the whole new text, never a part. The text goes into
// a file of its own beside it, is pushed to storage, and only then takes
// the name. Created before anything runs, so that a place that cannot be
// written is found at once; until the text takes its name, an interrupt, a
// failure or an early end removes that file and leaves the name as it was.
class AtomicFile {
public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile &) = delete;
  AtomicFile &operator=(const AtomicFile &) = delete;

  bool ready() const { return stream_ != nullptr; }

  // Writes the text and gives it the name. False, with the file removed,
  // when any of that fails.
  bool commit(std::string_view text);

  // The name as given, or once the file is made, the file a symbolic link
  // under it leads to: the name a failure concerns.
  const std::string &path() const { return path_; }

  // Why the file could not be made or written, in the system's words ("No
  // space left on device"); empty while nothing has failed.
  const std::string &failure() const { return failure_; }

private:
  void abandon();

  std::string path_;
  std::string temporary_path_;
  std::FILE *stream_ = nullptr;
  std::string failure_;
};

} // namespace platform
