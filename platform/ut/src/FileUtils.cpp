// File helpers: existence, copying through a temporary file renamed into place, removal.
#include "ut/FileUtils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace ut {
namespace {

// Closes a descriptor on every path out of a scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  // close: closes now and answers whether the system reported no error (late write errors
  // surface here).
  bool close() {
    int f = fd;
    fd = -1;
    return ::close(f) == 0;
  }
};

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool copyBytes(int from, int to) {
  std::vector<char> buffer(1 << 18);
  for (;;) {
    ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!writeAll(to, buffer.data(), static_cast<std::size_t>(n))) return false;
  }
}

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Moves `temp` to `target` without replacing an existing target: a hard link fails when the
// name is taken, atomically; then the temporary name goes.
bool placeWithoutReplacing(const std::string& temp, const std::string& target) {
  if (::link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  // File systems without hard links: the best we can do is check, then rename.
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT) return false;
  return ::rename(temp.c_str(), target.c_str()) == 0;
}

void syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // durability of the new name only; the copy is complete either way
  ::close(fd);
}

}  // namespace

bool fileExists(const OdString& path) {
  if (path.isEmpty()) return false;
  struct stat st {};
  return ::stat(path.toUtf8().c_str(), &st) == 0;
}

bool copyFile(const OdString& source, const OdString& target, bool overwrite) {
  if (source.isEmpty() || target.isEmpty()) return false;
  const std::string from = source.toUtf8();
  const std::string to = target.toUtf8();

  // Non-blocking, so that a FIFO named as source cannot hang the open; no effect on files.
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.fd < 0) return false;
  struct stat st {};
  if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (!overwrite) {
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) return false;
  }

  const std::string folder = folderOf(to);
  std::string temp = folder + "/.ut-copy-XXXXXX";
  Fd out(::mkstemp(temp.data()));
  if (out.fd < 0) return false;
  bool ok =
      ::fchmod(out.fd, st.st_mode & 07777) == 0 && copyBytes(in.fd, out.fd) && ::fsync(out.fd) == 0;
  ok = out.close() && ok;
  if (ok) {
    ok = overwrite ? ::rename(temp.c_str(), to.c_str()) == 0 : placeWithoutReplacing(temp, to);
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  syncFolder(folder);
  return true;
}

bool removeFile(const OdString& path) {
  if (path.isEmpty()) return false;
  return ::unlink(path.toUtf8().c_str()) == 0;
}

}  // namespace ut
