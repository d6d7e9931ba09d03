// Whether two library locations name one file, however each is spelled.
#pragma once

#include <filesystem>
#include <system_error>

#include "OdString.h"

namespace sl_db::detail {

/// sameFile: true when `a` and `b` name the same file (links, "..", relative spellings
/// followed); when either does not exist, true only when their absolute, normalised forms match.
inline bool sameFile(const OdString& a, const OdString& b) {
  if (a == b) return true;
  namespace fs = std::filesystem;
  const fs::path pa(a.toUtf8()), pb(b.toUtf8());
  std::error_code error;
  const bool same = fs::equivalent(pa, pb, error);
  if (!error) return same;
  std::error_code errorA, errorB;
  const fs::path fa = fs::absolute(pa, errorA).lexically_normal();
  const fs::path fb = fs::absolute(pb, errorB).lexically_normal();
  return !errorA && !errorB && fa == fb;
}

}  // namespace sl_db::detail
