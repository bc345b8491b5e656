#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Files written so that a reader never sees one half done, and files read
// without waiting on one that is not a file.
namespace platform {

// A new file, created beside `path` (in the same directory, so that it can
// later take path's place in one step) under a name no other file has.
struct NewFile {
  std::FILE *stream = nullptr; // null when it could not be created
  std::string path{};
  std::string failure{}; // the system's reason, when it could not be created
};

NewFile create_file_beside(const std::string &path);

// Pushes what the stream holds to the file, and the file to its storage, so
// that it survives a crash of the system once it has its final name. False
// on failure, with the system's reason.
bool write_to_storage(std::FILE *stream, std::string &failure);

// Gives the file at `from` the name `to` in one step, replacing any file of
// that name, so that no reader ever sees a partial file there.
bool replace_file(const std::string &from, const std::string &to, std::string &failure);

// A file opened to be read.
struct OpenedFile {
  std::FILE *stream = nullptr; // null when it could not be opened, or was refused
  bool regular = false;        // a regular file, rather than a FIFO, a device or a socket
  std::uintmax_t size = 0;     // a regular file's size as it was opened
  std::string failure{};       // the system's reason, when it could not be opened
};

// Opens the file at `path` to read it in binary. With `regular_only`,
// anything but a regular file (a FIFO, a device) is closed again unread,
// without waiting for a FIFO's writer, with `regular` false and no stream
// and no failure: a name that was a file when a directory was listed may be
// something else by the time it is opened.
OpenedFile open_for_reading(const std::string &path, bool regular_only);

// Whether the two paths name one existing file (the same device and file
// number, whatever the names, links or case), so that writing one would
// replace the other. False when either does not exist.
bool same_file(const std::string &first, const std::string &second);

} // namespace platform
