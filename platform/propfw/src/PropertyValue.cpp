// tdx::PropertyValue: palette values; a string payload is a pointer to an owned OdString.
#include "tdx/PropertyValue.h"

#include <cstring>
#include <utility>

#include "OdError.h"

namespace tdx {

namespace {
std::uint64_t ownText(const OdString& text) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(new OdString(text)));
}
std::uint64_t realBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
}  // namespace

PropertyValue::PropertyValue() = default;

PropertyValue::PropertyValue(bool value) : m_kind(kBoolean), m_state(0), m_payload(value ? 1 : 0) {}

PropertyValue::PropertyValue(double value)
    : m_kind(kReal), m_state(0), m_payload(realBits(value)) {}

PropertyValue::PropertyValue(const OdString& text)
    : m_kind(kString), m_state(0), m_payload(ownText(text)) {}

PropertyValue::PropertyValue(const wchar_t* text) : m_kind(kString) {
  if (text) {
    m_state = 0;
    m_payload = ownText(OdString(text));
  }
}

PropertyValue::PropertyValue(Kind kind, std::uint64_t payload, std::uint32_t state)
    : m_kind(kind), m_state(state) {
  if (kind == kString && payload != 0) {
    throw OdError(eInvalidInput, OdString(L"a string palette value cannot take a raw payload"));
  }
  m_payload = payload;
}

PropertyValue PropertyValue::integer(std::int64_t value, std::uint32_t state) {
  return PropertyValue(kInteger, static_cast<std::uint64_t>(value), state);
}

PropertyValue::PropertyValue(const PropertyValue& other)
    : m_kind(other.m_kind), m_state(other.m_state), m_payload(other.m_payload) {
  if (m_kind == kString && other.text()) m_payload = ownText(*other.text());
}

PropertyValue::PropertyValue(PropertyValue&& other) noexcept
    : m_kind(other.m_kind), m_state(other.m_state), m_payload(other.m_payload) {
  other.m_kind = kNone;
  other.m_state = kNoValue;
  other.m_payload = 0;
}

PropertyValue& PropertyValue::operator=(PropertyValue other) noexcept {
  swap(other);
  return *this;
}

PropertyValue::~PropertyValue() {
  delete text();
}

void PropertyValue::swap(PropertyValue& other) noexcept {
  std::swap(m_kind, other.m_kind);
  std::swap(m_state, other.m_state);
  std::swap(m_payload, other.m_payload);
}

const OdString* PropertyValue::text() const {
  if (m_kind != kString || m_payload == 0) return nullptr;
  return reinterpret_cast<const OdString*>(static_cast<std::uintptr_t>(m_payload));
}

bool PropertyValue::get(OdString& text) const {
  if (m_kind != kString || (m_state & (kNoValue | kVaries))) return false;
  const OdString* own = this->text();
  text = own ? *own : OdString();
  return true;
}

bool PropertyValue::get(bool& value) const {
  if (m_kind != kBoolean || (m_state & (kNoValue | kVaries))) return false;
  value = m_payload != 0;
  return true;
}

bool PropertyValue::get(double& value) const {
  if (m_kind != kReal || (m_state & (kNoValue | kVaries))) return false;
  std::memcpy(&value, &m_payload, sizeof value);
  return true;
}

bool PropertyValue::get(std::int64_t& value) const {
  if (m_kind != kInteger || (m_state & (kNoValue | kVaries))) return false;
  value = static_cast<std::int64_t>(m_payload);
  return true;
}

bool PropertyValue::sameContent(const PropertyValue& other) const {
  if (m_kind != other.m_kind || !hasValue() || !other.hasValue()) return false;
  if (m_kind != kString) return m_payload == other.m_payload;
  const OdString* a = text();
  const OdString* b = other.text();
  return (a ? *a : OdString()) == (b ? *b : OdString());
}

bool PropertyValue::operator==(const PropertyValue& other) const {
  if (m_kind != other.m_kind || m_state != other.m_state) return false;
  if (m_kind != kString) return m_payload == other.m_payload;
  const OdString* a = text();
  const OdString* b = other.text();
  if (!a || !b) return a == b;
  return *a == *b;
}

}  // namespace tdx
