#include "platform/atomic_file.h"

#include "platform/files.h"
#include "platform/interrupts.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

// A name that leads through a symbolic link names the file it leads to, so
// the link survives and its target gets the text.
std::string target_of(const std::string &path, std::string &reason) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path name(path);
  if (!fs::is_symlink(fs::symlink_status(name, error))) {
    return path;
  }
  const fs::path target = fs::weakly_canonical(name, error);
  if (error) {
    reason = error.message();
    return {};
  }
  return target.string();
}

// Only a regular file can be replaced by renaming: a directory, a device or
// a pipe under that name would be lost or would refuse.
bool is_replaceable(const std::string &path, std::string &reason) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    reason = "it is not a regular file; name a file, or give - for standard output";
    return false;
  }
  return true;
}

} // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  std::string reason;
  const std::string target = target_of(path_, reason);
  if (target.empty() || !is_replaceable(target, reason)) {
    failure_ = reason;
    return;
  }
  const NewFile file = create_file_beside(target);
  if (file.stream == nullptr) {
    failure_ = file.failure;
    return;
  }
  stream_ = file.stream;
  temporary_path_ = file.path;
  path_ = target;
  remove_on_interrupt(temporary_path_);
}

AtomicFile::~AtomicFile() { abandon(); }

bool AtomicFile::commit(std::string_view text) {
  if (stream_ == nullptr) {
    return false;
  }
  std::string reason;
  // The system's reason ("No space left on device") is in errno when a
  // write fails, in fwrite's flush or in fclose's; nothing else says it.
  errno = 0;
  bool written = std::fwrite(text.data(), 1, text.size(), stream_) == text.size();
  if (!written && errno != 0) {
    reason = std::generic_category().message(errno);
  }
  written = written && write_to_storage(stream_, reason);
  errno = 0;
  const bool closed = std::fclose(stream_) == 0;
  if (!closed && reason.empty() && errno != 0) {
    reason = std::generic_category().message(errno);
  }
  stream_ = nullptr;
  if (!written || !closed) {
    failure_ = reason.empty() ? "write error" : reason;
    abandon();
    return false;
  }
  if (!replace_file(temporary_path_, path_, reason)) {
    failure_ = reason;
    abandon();
    return false;
  }
  temporary_path_.clear();
  forget_removal_on_interrupt();
  return true;
}

void AtomicFile::abandon() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_path_.empty()) {
    std::remove(temporary_path_.c_str());
    temporary_path_.clear();
    forget_removal_on_interrupt();
  }
}

} // namespace platform
