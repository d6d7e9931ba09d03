// oa::PropertyOptions: the flag words with which the palette asks sources for definitions of an
// object (Object) or of a class (Type).
#pragma once
/// @file
/// The flags with which the palette asks sources for definitions.

#include <cstdint>

namespace oa {

namespace detail {
/// A flag word; the tag keeps the options of objects and of classes apart.
template <class Tag>
class FlagWord {
 public:
  explicit FlagWord(std::uint32_t flags = 0xFFFFFFFFu) : m_flags(flags) {}
  std::uint32_t flags() const { return m_flags; }
  /// has: true when every bit of `bits` is set.
  bool has(std::uint32_t bits) const { return (m_flags & bits) == bits; }

 private:
  std::uint32_t m_flags;
};
}  // namespace detail

struct PropertyOptions {
  /// Flag bits understood by the framework; other bits belong to the sources.
  enum Flags : std::uint32_t {
    kStatic = 0x1,   // fixed properties of the object's kind
    kDynamic = 0x2,  // properties that vary from object to object
    kAll = 0xFFFFFFFFu,
  };
  /// Options of a request for one object (all bits by default).
  using Object = detail::FlagWord<struct ObjectTag>;
  /// Options of a request for a class of objects (all bits by default).
  using Type = detail::FlagWord<struct TypeTag>;
};

}  // namespace oa
