// tdx::PropertyValue: one value shown or edited in the property palette: a kind, a 64-bit
// payload and a state word. A string value owns its text.
#pragma once
/// @file
/// One value shown or edited in the property palette.

#include <cstdint>

#include "OdString.h"
#include "oa/PropfwExport.h"

namespace tdx {

class PROPFW_API PropertyValue {
 public:
  /// Kind of value (stable numbers).
  enum Kind : std::int32_t {
    kNone = 0,  // no kind: a default-constructed value
    kBoolean = 1,
    kInteger = 2,
    kReal = 3,
    kString = 4,
  };
  /// State bits. Bits other than these two are carried unchanged and not interpreted.
  enum State : std::uint32_t {
    kNoValue = 0x1,  // the value is absent
    kVaries = 0x2,   // the value differs across a selection: nothing is to be written
  };

  /// A value of no kind, payload 0, state kNoValue.
  PropertyValue();
  /// A boolean value (payload 0 or 1), state 0.
  explicit PropertyValue(bool value);
  /// A real value (payload: the bits of the double), state 0.
  explicit PropertyValue(double value);
  /// A string value owning a copy of `text`, state 0.
  PropertyValue(const OdString& text);
  /// A string value owning a copy of `text`, state 0; a null pointer gives a string value
  /// without text and with state kNoValue.
  PropertyValue(const wchar_t* text);
  /// A value from its three fields. For kString the payload must be 0 (no text: the payload of a
  /// string is owned memory); any other payload throws OdError(eInvalidInput).
  PropertyValue(Kind kind, std::uint64_t payload, std::uint32_t state);
  /// integer: an integer value with the number as payload (two's complement) and `state`.
  static PropertyValue integer(std::int64_t value, std::uint32_t state = 0);

  PropertyValue(const PropertyValue& other);
  PropertyValue(PropertyValue&& other) noexcept;
  PropertyValue& operator=(PropertyValue other) noexcept;
  ~PropertyValue();

  void swap(PropertyValue& other) noexcept;

  Kind kind() const { return m_kind; }
  /// payload: the raw 64-bit payload: the number, the bits of the double, 0/1 for a boolean; for
  /// a string, an opaque non-zero word when it holds text, else 0.
  std::uint64_t payload() const { return m_payload; }
  std::uint32_t state() const { return m_state; }
  void setState(std::uint32_t state) { m_state = state; }
  /// hasValue: false when kNoValue is set or the kind is kNone.
  bool hasValue() const { return m_kind != kNone && !(m_state & kNoValue); }
  bool varies() const { return (m_state & kVaries) != 0; }

  /// get: the text of a string value. False (and `text` unchanged) for another kind, or when
  /// kNoValue or kVaries is set. A string value without text but with a value gives "".
  bool get(OdString& text) const;
  /// get: the truth of a boolean value; false as above for another kind or state.
  bool get(bool& value) const;
  /// get: the number of a real value; false as above.
  bool get(double& value) const;
  /// get: the number of an integer value (payload as signed); false as above.
  bool get(std::int64_t& value) const;

  /// Equal when kind, state and content (text of strings, payload otherwise) are equal.
  bool operator==(const PropertyValue& other) const;
  bool operator!=(const PropertyValue& other) const { return !(*this == other); }
  /// sameContent: kind and content equal, state ignored; two values without value never match.
  bool sameContent(const PropertyValue& other) const;

 private:
  const OdString* text() const;

  Kind m_kind = kNone;
  std::uint32_t m_state = kNoValue;
  std::uint64_t m_payload = 0;
};

inline void swap(PropertyValue& a, PropertyValue& b) noexcept {
  a.swap(b);
}

}  // namespace tdx
