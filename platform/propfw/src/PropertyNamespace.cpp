// oa::PropertyNamespace: qualified names, and the plain implementation.
#include "oa/PropertyNamespace.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropertyNamespace, KcRxObject, OdString("oa::PropertyNamespace"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())
PropertyNamespace::~PropertyNamespace() = default;

OdString PropertyNamespace::localName() const {
  return name();
}

OdString PropertyNamespace::qualifiedName() const {
  OdString result = name();
  // A namespace chain is short; the bound only guards against a parent loop.
  int depth = 0;
  for (const PropertyNamespace* p = parent(); p && depth < 64; p = p->parent(), ++depth) {
    result = p->name() + kSeparator + result;
  }
  return result;
}

PropertyNamespaceImpl::PropertyNamespaceImpl(const OdString& name, const PropertyNamespace* parent)
    : m_parent(parent), m_name(name) {}
PropertyNamespaceImpl::~PropertyNamespaceImpl() = default;

}  // namespace oa
