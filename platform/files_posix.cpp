#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

std::string reason() { return std::strerror(errno); }

// The directory entry that names a file is written to storage only when the
// directory itself is; without this a crash could lose a rename.
void sync_directory_of(const std::string &path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string directory = parent.empty() ? std::string(".") : parent.string();
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

} // namespace

NewFile create_file_beside(const std::string &path) {
  const std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    return {.failure = reason()};
  }
  // mkstemp lets only the owner read the file; the record is made readable
  // as any new file of the user's would be.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  std::FILE *stream = fdopen(fd, "wb");
  if (stream == nullptr) {
    const std::string failure = reason();
    close(fd);
    unlink(name.data());
    return {.failure = failure};
  }
  return {.stream = stream, .path = name.data()};
}

bool write_to_storage(std::FILE *stream, std::string &failure) {
  errno = 0;
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0 || fsync(fileno(stream)) != 0) {
    failure = errno != 0 ? reason() : "write error";
    return false;
  }
  return true;
}

bool replace_file(const std::string &from, const std::string &to, std::string &failure) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    failure = reason();
    return false;
  }
  sync_directory_of(to);
  return true;
}

OpenedFile open_for_reading(const std::string &path, bool regular_only) {
  // O_NONBLOCK lets a FIFO open at once rather than wait for a writer; it
  // means nothing to a regular file, and is taken off again before reading.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (regular_only ? O_NONBLOCK : 0));
  if (fd < 0) {
    return {.failure = reason()};
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    const std::string failure = reason();
    close(fd);
    return {.failure = failure};
  }
  const bool regular = S_ISREG(status.st_mode);
  if (regular_only && (!regular || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
    const std::string failure = regular ? reason() : std::string();
    close(fd);
    return {.failure = failure};
  }
  std::FILE *stream = fdopen(fd, "rb");
  if (stream == nullptr) {
    const std::string failure = reason();
    close(fd);
    return {.failure = failure};
  }
  return {.stream = stream,
          .regular = regular,
          .size = regular ? static_cast<std::uintmax_t>(status.st_size) : 0U};
}

bool same_file(const std::string &first, const std::string &second) {
  struct stat one {};
  struct stat other {};
  return stat(first.c_str(), &one) == 0 && stat(second.c_str(), &other) == 0 && one.st_dev == other.st_dev &&
         one.st_ino == other.st_ino;
}

} // namespace platform
