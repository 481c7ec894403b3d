#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/paths.h"

namespace rokan {

File File::open(std::string_view root, std::string_view cp932_path, const char* mode) {
  return File(open_file(root, cp932_path, mode));
}

File File::open(std::string_view cp932_path, const char* mode) {
  return File(open_file(cp932_path, mode));
}

File::File(File&& other) noexcept : f_(std::exchange(other.f_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    reset();
    f_ = std::exchange(other.f_, nullptr);
  }
  return *this;
}

bool File::close(bool sync) {
  if (!f_) return true;
  std::FILE* f = std::exchange(f_, nullptr);
  bool ok = std::fflush(f) == 0;
  // A failed fprintf earlier leaves only the error flag; its errno may be long gone.
  if (ok && std::ferror(f)) {
    ok = false;
    errno = EIO;
  }
  if (ok && sync && ::fsync(::fileno(f)) != 0) ok = false;
  const int saved = errno;
  if (std::fclose(f) != 0) return false;
  errno = saved;
  return ok;
}

void File::reset() {
  if (f_) std::fclose(std::exchange(f_, nullptr));
}

ReplacingFile::ReplacingFile(std::string_view root, std::string_view cp932_path)
    : target_(rooted_path(root, cp932_path)), temp_(target_ + ".XXXXXX") {
  const int fd = ::mkstemp(temp_.data());
  if (fd < 0) {
    temp_.clear();
    return;
  }
  // mkstemp makes the file private; the replacement keeps the target's permissions, or gets
  // those of a new file.
  struct stat st;
  mode_t mode;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode = ::umask(0);
    ::umask(mode);
    mode = 0666 & ~mode;
  }
  ::fchmod(fd, mode);
  file_ = File(::fdopen(fd, "w"));
  if (!file_) {
    const int saved = errno;
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
    errno = saved;
  }
}

ReplacingFile::~ReplacingFile() {
  if (temp_.empty()) return;
  const int saved = errno;  // the caller may still be reporting why commit() failed
  file_.reset();
  ::unlink(temp_.c_str());
  errno = saved;
}

bool ReplacingFile::commit() {
  if (!file_) return false;
  if (!file_.close(true)) return false;
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  temp_.clear();
  return true;
}

bool read_whole_file(std::string_view root, std::string_view cp932_path, std::string& bytes) {
  bytes.clear();
  File f = File::open(root, cp932_path, "rb");
  if (!f) return false;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  if (std::ferror(f)) {
    const int reason = errno;
    bytes.clear();
    errno = reason;
    return false;
  }
  return true;
}

}  // namespace rokan
