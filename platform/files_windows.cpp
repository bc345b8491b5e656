#include "platform/files.h"

#include "platform/windows_common.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform {

NewFile create_file_beside(const std::string &path) {
  const std::string stem = path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-";
  for (unsigned attempt = 0;; ++attempt) {
    const std::string name = stem + std::to_string(GetTickCount() + attempt);
    const HANDLE file =
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_EXISTS && attempt < 100) {
        continue;
      }
      return {.failure = system_message(code)};
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    std::FILE *stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (stream == nullptr) {
      fd < 0 ? CloseHandle(file) : _close(fd);
      DeleteFileA(name.c_str());
      return {.failure = "cannot open it as a stream"};
    }
    return {.stream = stream, .path = name};
  }
}

bool write_to_storage(std::FILE *stream, std::string &failure) {
  if (std::fflush(stream) != 0 || std::ferror(stream) != 0) {
    failure = "write error";
    return false;
  }
  if (FlushFileBuffers(handle_of(stream)) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  return true;
}

bool replace_file(const std::string &from, const std::string &to, std::string &failure) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    failure = system_message(GetLastError());
    return false;
  }
  return true;
}

OpenedFile open_for_reading(const std::string &path, bool regular_only) {
  errno = 0;
  std::FILE *stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) {
    return {.failure = std::strerror(errno)};
  }
  // A named pipe lives in its own namespace, never in a directory of files,
  // so nothing here waits; a device (NUL, CON) is no regular file either.
  struct _stat64 status {};
  const bool regular = _fstat64(_fileno(stream), &status) == 0 && (status.st_mode & _S_IFREG) != 0 &&
                       GetFileType(handle_of(stream)) == FILE_TYPE_DISK;
  if (regular_only && !regular) {
    std::fclose(stream);
    return {};
  }
  return {.stream = stream, .regular = regular, .size = regular ? static_cast<std::uintmax_t>(status.st_size) : 0U};
}

namespace {

// A file's volume and index, which name it whatever path reaches it; false
// when it cannot be opened to ask.
bool identity_of(const std::string &path, BY_HANDLE_FILE_INFORMATION &information) {
  // Asking opens nothing for reading or writing, and backup semantics let a
  // directory answer too.
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  return known;
}

} // namespace

bool same_file(const std::string &first, const std::string &second) {
  BY_HANDLE_FILE_INFORMATION one{};
  BY_HANDLE_FILE_INFORMATION other{};
  return identity_of(first, one) && identity_of(second, other) &&
         one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
         one.nFileIndexLow == other.nFileIndexLow;
}

} // namespace platform
