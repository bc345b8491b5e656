#pragma once

#include "platform/atomic_file.h"

#include <string>
#include <string_view>
#include <utility>

namespace driver {

// A file one of the program's outputs goes to (a record, a page, a
// comparison), written whole or not at all (platform::AtomicFile), whose
// failure is said as the program says it on standard error, naming what the
// file was to hold.
class OutputFile {
public:
  // `what` names the file's contents in a message: "the run record", say.
  explicit OutputFile(std::string path, std::string what = "the run record")
      : file_(std::move(path)), what_(std::move(what)) {}

  bool ready() const { return file_.ready(); }
  bool commit(std::string_view text) { return file_.commit(text); }

  // Why the file could not be made or written, as one line for standard
  // error; empty while nothing has failed.
  std::string failure() const;

private:
  platform::AtomicFile file_;
  std::string what_;
};

} // namespace driver
