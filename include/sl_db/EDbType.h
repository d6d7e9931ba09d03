// Which library of a drawing is meant: the primary one or the first secondary one.
#pragma once
/// @file

namespace sl_db {

/// kPrimary: the drawing's primary library; kSecondary: its first secondary library. Any other
/// value names no library.
enum EDbType : int { kPrimary = 0, kSecondary = 1 };

}  // namespace sl_db
