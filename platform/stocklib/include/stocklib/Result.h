// The answer of a store call that a user's input can make fail (a file that is missing, not a
// library, too new, damaged): a value, or a code and a message naming the failure.
#pragma once
/// @file
/// Result: a value, or an error code and a message.

#include <cstdint>
#include <type_traits>
#include <utility>

#include "stocklib/Types.h"

namespace stocklib {

/// ErrorCode: why a call that reports a Result failed; kNone on success.
enum class ErrorCode : int32_t {
  kNone = 0,
  kNoLocation,      ///< no location, or an in-memory location without a name or file system
  kNotFound,        ///< no file (or an empty one) where one must exist
  kNotWritable,     ///< a file to be made in a folder that is not writable
  kNotALibrary,     ///< not a file, or a file of another kind or holding what a library does not
  kUnknownVersion,  ///< a schema version this code does not read
  kDamaged,         ///< the file cannot be read, or its page structure is broken
  kInconsistent,    ///< a checked open found dangling references or rows without their object
  kUpgradeFailed    ///< the migration to the current schema failed; the file is as it was
};

/// Result: either a value (ok()) or an ErrorCode with a message naming the file and failure.
/// Reading the value of a failed result is a broken invariant: value() throws Exception then.
/// For a pointer-like T (as std::shared_ptr<Library>) a failed result holds an empty T, and the
/// result converts to T and to what T converts to, so it can stand where a T stood.
template <class T>
class [[nodiscard]] Result {
 public:
  /// Result: a success holding `value`.
  Result(T value) : m_value(std::move(value)) {}  // NOLINT: implicit by design
  /// Result: a failure; `code` must not be kNone.
  Result(ErrorCode code, OdString message) : m_code(code), m_message(std::move(message)) {
    if (code == ErrorCode::kNone) throw Exception("a failed result needs an error code");
  }

  /// ok: the call succeeded.
  bool ok() const { return m_code == ErrorCode::kNone; }
  explicit operator bool() const { return ok(); }
  /// code: kNone on success, else why it failed.
  ErrorCode code() const { return m_code; }
  /// message: empty on success, else one line naming the file and the failure.
  const OdString& message() const { return m_message; }

  /// value: the value; Exception with message() when the call failed.
  const T& value() const& {
    if (!ok()) throw Exception(m_message);
    return m_value;
  }
  T&& value() && {
    if (!ok()) throw Exception(m_message);
    return std::move(m_value);
  }

  /// The held value (empty on failure) as T or anything T converts to.
  template <class U, class = std::enable_if_t<std::is_convertible<const T&, U>::value>>
  operator U() const& {  // NOLINT: implicit by design
    return m_value;
  }
  template <class U, class = std::enable_if_t<std::is_convertible<T&&, U>::value>>
  operator U() && {  // NOLINT: implicit by design
    return std::move(m_value);
  }
  /// operator->: the held pointer (null on failure), for a pointer-like T.
  auto operator->() const { return m_value.get(); }
  auto& operator*() const { return *m_value; }
  /// get: the held raw pointer (null on failure), for a pointer-like T.
  auto get() const { return m_value.get(); }
  /// operator== / !=: compare the held value (empty on failure) with `other`.
  friend bool operator==(const Result& result, const T& other) { return result.m_value == other; }
  friend bool operator==(const T& other, const Result& result) { return result.m_value == other; }
  friend bool operator!=(const Result& result, const T& other) { return !(result == other); }
  friend bool operator!=(const T& other, const Result& result) { return !(result == other); }

 private:
  T m_value{};
  ErrorCode m_code = ErrorCode::kNone;
  OdString m_message;
};

}  // namespace stocklib
