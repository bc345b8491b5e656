#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace record {

// A record's file, written so that a reader of its name sees either what was
// there before or the whole new record, never a part: the record goes into
// a file of its own beside it, is pushed to storage, and only then takes the
// name. Created before anything runs, so that a place that cannot be written
// is found at once; until the record takes its name, an interrupt, a failure
// or an early end removes that file and leaves the name as it was.
class RecordFile {
public:
  // `what` names the file's contents in a message: "the run record", say.
  explicit RecordFile(std::string path, std::string what = "the run record");
  ~RecordFile();
  RecordFile(const RecordFile &) = delete;
  RecordFile &operator=(const RecordFile &) = delete;

  bool ready() const { return stream_ != nullptr; }

  // Writes the text and gives it the name. False, with the file removed,
  // when any of that fails.
  bool commit(std::string_view text);

  // Why the file could not be made or written, as one line for standard
  // error.
  const std::string &failure() const { return failure_; }

private:
  void fail(const std::string &reason);
  void abandon();

  std::string path_;
  std::string what_;
  std::string temporary_path_;
  std::FILE *stream_ = nullptr;
  std::string failure_;
};

} // namespace record
