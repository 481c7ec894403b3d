// Owners of open files. Every file the controller opens is held by one of these, so it is closed
// on every path out of the function that opened it, an exception thrown by the host included.
// Writers close explicitly and look at the result: a write that did not reach the disk is a
// failure, reported with the system's reason (errno).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace rokan {

class File {
 public:
  File() = default;
  explicit File(std::FILE* f) : f_(f) {}
  // fopen() on the local name of a controller path in `root` (see rooted_path in paths.h); the
  // second form takes the path as given, relative to the directory the process started in.
  static File open(std::string_view root, std::string_view cp932_path, const char* mode);
  static File open(std::string_view cp932_path, const char* mode);
  ~File() { reset(); }
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // The stream, for the C library's functions; nullptr when nothing is open.
  operator std::FILE*() const { return f_; }
  std::FILE* get() const { return f_; }

  // Flushes, optionally syncs to the disk, and closes. False, with errno set, when an earlier
  // write failed, or the flush, sync or close did. Nothing is open afterwards.
  bool close(bool sync = false);
  // Closes without looking at the result (nothing was written, or it is being thrown away).
  void reset();

 private:
  std::FILE* f_ = nullptr;
};

// Reads the whole of the controller path cp932_path in `root` into `bytes`; false, with errno set
// and `bytes` empty, when the file cannot be opened or a read fails.
bool read_whole_file(std::string_view root, std::string_view cp932_path, std::string& bytes);

// A file written as a whole and put in place only when complete: the text goes to a new file
// in the same directory, which is flushed, synced and renamed over the target. Until commit()
// succeeds the target is untouched; the new file is removed on every other path.
class ReplacingFile {
 public:
  // The target is the controller path cp932_path in `root` (see rooted_path in paths.h).
  ReplacingFile(std::string_view root, std::string_view cp932_path);
  explicit ReplacingFile(std::string_view cp932_path) : ReplacingFile({}, cp932_path) {}
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The new file's stream; nullptr when it could not be created (errno set).
  operator std::FILE*() const { return file_; }
  // Puts the new file in place of the target; false, with errno set, when any write, the
  // flush, the sync or the rename failed (the target is then as it was).
  bool commit();

 private:
  std::string target_;  // local names
  std::string temp_;
  File file_;
};

}  // namespace rokan
