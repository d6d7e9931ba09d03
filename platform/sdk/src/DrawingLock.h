// Private: the exclusive lock that a drawing file's changer holds from reading it to saving it.
#pragma once

#include <memory>
#include <string>

#include "OdResult.h"
#include "OdString.h"

namespace OdDbDetail {

/// DrawingLock: an advisory lock (flock) on "<drawing>.lock" beside the drawing, holding the
/// holder's process id. The kernel drops the lock when its process dies, so a lock file left by
/// a killed process is simply taken over. The lock file is removed when the lock is released.
class DrawingLock {
 public:
  /// acquire: locks the drawing at `target` (a native absolute path; `path` names it in
  /// messages). Throws OdError(eFileLocked, "the drawing is being changed by process N") when
  /// another holder has it (this process included, through another drawing), and
  /// OdError(failure) when the lock file cannot be made or locked.
  static std::unique_ptr<DrawingLock> acquire(const std::string& target, const OdString& path,
                                              OdResult failure);
  ~DrawingLock();
  DrawingLock(const DrawingLock&) = delete;
  DrawingLock& operator=(const DrawingLock&) = delete;

  /// target: the drawing this lock is for.
  const std::string& target() const { return m_target; }

 private:
  DrawingLock(int fd, std::string target, std::string lockFile);
  int m_fd;
  std::string m_target;
  std::string m_lockFile;
};

}  // namespace OdDbDetail
