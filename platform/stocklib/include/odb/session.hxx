// odb::session: while a session is current on a thread, loading the same object of the same
// library twice gives the same instance. Sessions nest: a new one becomes current and the
// previous one is current again when it ends.
#pragma once

#include <cstddef>
#include <memory>

#include "stocklib/StocklibExport.h"

namespace stocklib::detail {
struct SessionAccess;
}

namespace odb {

class STOCKLIB_API session {
 public:
  /// session: a new session, current on this thread when `make_current`.
  explicit session(bool make_current = true);
  ~session();
  session(const session&) = delete;
  session& operator=(const session&) = delete;

  /// current: this thread's current session, or null.
  static session* current();
  static bool has_current() { return current() != nullptr; }
  static void current(session& s);
  static void reset_current();

  /// size: number of objects the session holds; clear: forgets them all.
  std::size_t size() const;
  void clear();

 private:
  friend struct stocklib::detail::SessionAccess;
  struct impl;
  std::unique_ptr<impl> impl_;
  session* previous_ = nullptr;
  bool made_current_ = false;
};

}  // namespace odb
