// The change lock of drawing files: a flock on a lock file beside the drawing.
#include "DrawingLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "OdError.h"

namespace OdDbDetail {

namespace {

OdString holderText(int fd) {
  char buf[32] = {};
  ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
  long pid = n > 0 ? std::strtol(buf, nullptr, 10) : 0;
  return pid > 0 ? OdString::formatted(L"process %ld", pid) : OdString(L"another process");
}

}  // namespace

DrawingLock::DrawingLock(int fd, std::string target, std::string lockFile)
    : m_fd(fd), m_target(std::move(target)), m_lockFile(std::move(lockFile)) {}

DrawingLock::~DrawingLock() {
  // Removed while still held, so a waiting locker finds it gone and makes a fresh one.
  ::unlink(m_lockFile.c_str());
  ::close(m_fd);
}

std::unique_ptr<DrawingLock> DrawingLock::acquire(const std::string& target, const OdString& path,
                                                  OdResult failure) {
  const std::string lockFile = target + ".lock";
  // A holder may remove the file between our open and our flock: then lock the new one.
  for (int attempt = 0; attempt < 16; ++attempt) {
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      throw OdError(failure, OdString(L"cannot make the lock file of ") + path + L": " +
                                 OdString::fromUtf8(std::strerror(errno)));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      OdString holder = holderText(fd);
      ::close(fd);
      if (err == EWOULDBLOCK) {
        throw OdError(eFileLocked, OdString(L"the drawing is being changed by ") + holder);
      }
      throw OdError(failure, OdString(L"cannot lock ") + path + L": " +
                                 OdString::fromUtf8(std::strerror(err)));
    }
    struct stat held = {}, named = {};
    if (::fstat(fd, &held) == 0 && ::stat(lockFile.c_str(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      const std::string pid = std::to_string(::getpid()) + "\n";
      if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // The lock holds without the id; a second changer is then told "another process".
      }
      return std::unique_ptr<DrawingLock>(new DrawingLock(fd, target, lockFile));
    }
    ::close(fd);
  }
  throw OdError(failure, OdString(L"cannot lock ") + path + L": its lock file keeps changing");
}

}  // namespace OdDbDetail
