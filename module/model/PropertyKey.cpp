// sl_db::PropertyKey: the stored string form and its parser.
#include "sl_db/PropertyKey.h"

#include "sl_db/IDefinitions.h"

namespace sl_db {

PropertyKey::PropertyKey(const IAbstractDefinition& definition)
    : m_ns(definition.ns()), m_name(definition.name()) {}

OdString PropertyKey::str() const {
  if (m_ns.isEmpty()) return m_name;
  OdString out(m_name);
  out += KEY_DELIMITER;
  out += m_ns;
  return out;
}

PropertyKey PropertyKey::fromString(const OdString& text) {
  int at = text.reverseFind(KEY_DELIMITER);
  if (at < 0) return PropertyKey(OdString(), text);
  return PropertyKey(text.mid(at + 1), text.left(at));
}

bool PropertyKey::operator<(const PropertyKey& other) const {
  int byName = m_name.compare(other.m_name);
  if (byName != 0) return byName < 0;
  return m_ns.compare(other.m_ns) < 0;
}

}  // namespace sl_db
